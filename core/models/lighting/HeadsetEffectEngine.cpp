#include "models/lighting/HeadsetEffectEngine.h"

#include <algorithm>

#include "models/lighting/BaseEffectSteps.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

namespace {

constexpr uint8_t kHueShift = 0;
constexpr uint8_t kColourCycle = 1;
constexpr uint8_t kBreathing = 2;
constexpr uint8_t kSteady = 3;
constexpr uint8_t kBlink = 4;
constexpr uint8_t kComet = 6;
constexpr uint8_t kAlternatingBreath = 7;
constexpr uint8_t kOff = 8;

constexpr unsigned kBreathLength = 128;
constexpr unsigned kHueShiftSpacing = 16;
constexpr int kCometHueStep = 4;
constexpr unsigned kCometTail = 3;
constexpr int kBreathHueStep = 16;

bool DrawnHere(uint8_t effect) {
    return effect <= kOff && effect != 5;
}

uint8_t Cycle(uint8_t value, bool forward, unsigned range) {
    const unsigned current = value % range;
    return static_cast<uint8_t>(forward ? (current + 1) % range : (current + range - 1) % range);
}

void Fill(std::vector<uint32_t>& colours, uint32_t value) {
    std::fill(colours.begin(), colours.end(), value);
}

}  // namespace

HeadsetEffectEngine::HeadsetEffectEngine(IClock& clock) : clock_(clock), toggledAtMs_(clock.NowMs()) {}

void HeadsetEffectEngine::SetRecord(const LightInfo& record) {
    std::lock_guard<std::mutex> guard(stateLock_);
    record_ = record;
}

void HeadsetEffectEngine::Restart(const LightInfo& record) {
    const uint64_t now = clock_.NowMs();
    std::lock_guard<std::mutex> guard(stateLock_);
    record_ = record;
    passes_ = 0;
    phase_ = 0;
    colourIndex_ = 0;
    hue_ = 0;
    head_ = 0;
    lit_ = true;
    toggledAtMs_ = now;
    clearBeforeStep_ = true;
}

void HeadsetEffectEngine::ApplyRecord(const LightInfo& record) {
    bool restart = false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        restart = record[info::kSelectItem] != record_[info::kSelectItem];
    }
    if (restart) {
        Restart(record);
    } else {
        SetRecord(record);
    }
}

void HeadsetEffectEngine::SetPerKeyList(std::vector<LightInfo> list) {
    overlays_.SetList(std::move(list), clock_.NowMs());
}

void HeadsetEffectEngine::SetRecordedSteps(std::vector<RecordedStep> steps) {
    recorded_.SetSteps(std::move(steps), clock_.NowMs());
}

uint8_t HeadsetEffectEngine::EffectIndex() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return record_[info::kSelectItem];
}

unsigned HeadsetEffectEngine::PassesPerStep() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return PassesPerStepLocked();
}

unsigned HeadsetEffectEngine::PassesPerStepLocked() const {
    return DrawnHere(record_[info::kSelectItem]) ? SpeedPasses(record_[info::kSpeed]) : 0;
}

size_t HeadsetEffectEngine::RecordedStepIndex() const {
    return recorded_.CurrentStep();
}

void HeadsetEffectEngine::Pass(std::vector<uint32_t>& colours) {
    const uint64_t now = clock_.NowMs();
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        if (++passes_ >= PassesPerStepLocked()) {
            passes_ = 0;
            StepLocked(colours, now);
        }
    }
    overlays_.Apply(colours, now);
}

void HeadsetEffectEngine::Step(std::vector<uint32_t>& colours) {
    const uint64_t now = clock_.NowMs();
    std::lock_guard<std::mutex> guard(stateLock_);
    StepLocked(colours, now);
}

template <typename SharedStep>
void HeadsetEffectEngine::RunShared(SharedStep step) {
    EffectStepState state{phase_, colourIndex_, lit_, static_cast<uint32_t>(toggledAtMs_)};
    step(state);
    phase_ = state.phase;
    colourIndex_ = state.colourIndex;
    lit_ = state.toggle;
    toggledAtMs_ = state.toggleTime;
}

void HeadsetEffectEngine::StepLocked(std::vector<uint32_t>& colours, uint64_t nowMs) {
    if (clearBeforeStep_) {
        Fill(colours, 0);
        clearBeforeStep_ = false;
    }
    const uint8_t effect = record_[info::kSelectItem];
    const bool forward = record_[info::kFx] != 0;
    const bool multi = record_[info::kMultiColor] != 0;
    const uint8_t bright = Bright(record_[info::kLight]);
    const Rgb fixed = FixedColour(record_);
    switch (effect) {
        case kHueShift:
            phase_ = Cycle(phase_, forward, kHueWheelColours);
            for (size_t i = 0; i < colours.size(); ++i) {
                colours[i] =
                    PackLed(Hue(static_cast<uint8_t>((phase_ + kHueShiftSpacing * i) % kHueWheelColours)), bright);
            }
            break;
        // The shared steps every lit device has.
        case kColourCycle: RunShared([&](EffectStepState& state) { StepHueCycle(state, colours, record_); }); break;
        case kBreathing: RunShared([&](EffectStepState& state) { StepBreathe(state, colours, record_); }); break;
        case kSteady: StepStatic(colours, record_); break;
        case kBlink:
            RunShared(
                [&](EffectStepState& state) { StepFlash(state, colours, record_, static_cast<uint32_t>(nowMs)); });
            break;
        case kComet: {
            const size_t count = colours.size();
            if (count == 0) break;
            head_ = forward ? (head_ + 1) % count : (head_ + count - 1) % count;
            hue_ = HueAdvance(hue_, kCometHueStep);
            Fill(colours, 0);
            const Rgb colour = multi ? Hue(hue_) : fixed;
            for (unsigned k = 0; k <= kCometTail && k < count; ++k) {
                const size_t at = forward ? (head_ + count - k) % count : (head_ + k) % count;
                colours[at] = PackLed(colour, static_cast<uint8_t>(bright >> k));
            }
            break;
        }
        case kAlternatingBreath: {
            phase_ = Cycle(phase_, forward, kBreathLength);
            if (phase_ == 0) hue_ = HueAdvance(hue_, kBreathHueStep);
            const uint32_t even = PackLed(multi ? Hue(hue_) : fixed, Scale(Curve128(phase_), bright));
            const uint32_t odd =
                PackLed(multi ? Hue(HueAdvance(hue_, 96)) : fixed, Scale(Curve128(phase_ + 64u), bright));
            for (size_t i = 0; i < colours.size(); ++i) colours[i] = i % 2 == 0 ? even : odd;
            break;
        }
        case kOff: StepOff(colours); break;
        default: recorded_.Play(colours, nowMs); break;
    }
}

}  // namespace ivra::light
