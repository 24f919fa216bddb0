// The simple effect steps every lit device shares: breathing, four-colour
// breathing, steady, hue cycle, flash, four-colour blink and off. Each call
// is one step: it moves the effect state on and writes the same colour
// buffer entry (red, green, blue, brightness) into every position. The
// device's effect thread decides which step runs and how often.
#pragma once

#include <cstdint>
#include <vector>

#include "models/lighting/LightRecords.h"

namespace ivra::light {

// Shared by all the steps and not reset when the effect changes, so a step
// may find a phase or colour index another step left; each step brings the
// values it uses into its own range first.
struct EffectStepState {
    uint8_t phase = 0;
    uint8_t colourIndex = 0;
    bool toggle = false;      // flash and blink: lit half of the period
    uint32_t toggleTime = 0;  // millisecond tick of the last toggle
};

// Breathing: the phase steps through the 128-step curve (forward when Fx is
// set, wrapping 127 -> 0 and back 0 -> 127); each time it reaches 0 the
// colour index advances through the seven colours. Colour: the seven-colour
// list with MultiColor, the fixed colour without; brightness
// bright(Light) x curve(phase) / 256.
void StepBreathe(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record);

// As StepBreathe over the four-colour list, whatever MultiColor says.
void StepFourColourBreathe(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record);

// The fixed colour at bright(Light).
void StepStatic(std::vector<uint32_t>& colours, const LightInfo& record);

// Hue cycle: the phase steps round the 192-colour hue wheel (forward when Fx
// is set); every position hue(phase) at bright(Light).
void StepHueCycle(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record);

// Flash: once half a blink period (200 ms x the speed table) has passed
// since the last toggle (an unsigned difference, so a wrapping tick count
// works), the lit half flips and the phase moves 16 hues on. Lit: hue(phase)
// with MultiColor, else the fixed colour, at bright(Light); dark: all zero.
void StepFlash(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record, uint32_t nowMs);

// Four-colour blink: timed as StepFlash; each toggle moves the phase to the
// next of the four colours. Lit: four-colour list[phase] at bright(Light).
void StepFourColourBlink(EffectStepState& state, std::vector<uint32_t>& colours, const LightInfo& record,
                         uint32_t nowMs);

// Every position 0, 0, 0, 0.
void StepOff(std::vector<uint32_t>& colours);

}  // namespace ivra::light
