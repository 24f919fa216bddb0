#include "models/lighting/BaseEffectSteps.h"

#include <algorithm>

#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

namespace {

constexpr unsigned kBreathPhases = kCurve128Size;  // 0..127
constexpr unsigned kSevenColours = 7;
constexpr unsigned kFourColours = 4;
constexpr unsigned kFlashHueStep = 16;

bool Forward(const LightInfo& record) {
    return record[info::kFx] != 0;
}
bool Multi(const LightInfo& record) {
    return record[info::kMultiColor] != 0;
}
uint8_t Level(const LightInfo& record) {
    return Bright(record[info::kLight]);
}

void Fill(std::vector<uint32_t>& colours, Rgb colour, uint8_t brightness) {
    std::fill(colours.begin(), colours.end(), PackLed(colour, brightness));
}

// Moves the breathing phase one step and, when it comes round to 0, the
// colour index on through `colourCount` colours.
void BreathePhase(EffectStepState& state, const LightInfo& record, unsigned colourCount) {
    // A phase or index another step left beyond this step's range is
    // brought into it first.
    unsigned phase = state.phase % kBreathPhases;
    state.colourIndex = static_cast<uint8_t>(state.colourIndex % colourCount);
    if (Forward(record)) {
        phase = (phase + 1) % kBreathPhases;
    } else {
        phase = phase == 0 ? kBreathPhases - 1 : phase - 1;
    }
    state.phase = static_cast<uint8_t>(phase);
    if (phase == 0) state.colourIndex = static_cast<uint8_t>((state.colourIndex + 1) % colourCount);
}

uint8_t BreatheBrightness(const EffectStepState& state, const LightInfo& record) {
    return static_cast<uint8_t>(Level(record) * Curve128(state.phase) / 256);
}

// Whether half a blink period has passed since the last toggle; if so the
// toggle flips and its time is taken.
bool Toggled(EffectStepState& state, const LightInfo& record, uint32_t nowMs) {
    if (static_cast<uint32_t>(nowMs - state.toggleTime) < BlinkHalfPeriodMs(record[info::kSpeed])) return false;
    state.toggle = !state.toggle;
    state.toggleTime = nowMs;
    return true;
}

}  // namespace

void StepBreathe(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record) {
    BreathePhase(state, record, kSevenColours);
    const Rgb colour = Multi(record) ? SevenColour(state.colourIndex) : FixedColour(record);
    Fill(colours, colour, BreatheBrightness(state, record));
}

void StepFourColourBreathe(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record) {
    BreathePhase(state, record, kFourColours);
    Fill(colours, FourColour(state.colourIndex), BreatheBrightness(state, record));
}

void StepStatic(std::vector<uint32_t>& colours, const LightInfo& record) {
    Fill(colours, FixedColour(record), Level(record));
}

void StepHueCycle(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record) {
    state.phase = HueAdvance(state.phase, Forward(record) ? 1 : -1);
    Fill(colours, Hue(state.phase), Level(record));
}

void StepFlash(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record, uint32_t nowMs) {
    if (Toggled(state, record, nowMs)) {
        const unsigned phase = state.phase + kFlashHueStep;
        state.phase = static_cast<uint8_t>(phase >= kHueWheelColours ? 0 : phase);
    }
    if (!state.toggle) {
        StepOff(colours);
        return;
    }
    const Rgb colour = Multi(record) ? Hue(state.phase) : FixedColour(record);
    Fill(colours, colour, Level(record));
}

void StepFourColourBlink(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record,
                         uint32_t nowMs) {
    state.phase = static_cast<uint8_t>(state.phase % kFourColours);
    if (Toggled(state, record, nowMs)) state.phase = static_cast<uint8_t>((state.phase + 1) % kFourColours);
    if (!state.toggle) {
        StepOff(colours);
        return;
    }
    Fill(colours, FourColour(state.phase), Level(record));
}

void StepOff(std::vector<uint32_t>& colours) {
    std::fill(colours.begin(), colours.end(), 0u);
}

}  // namespace ivra::light
