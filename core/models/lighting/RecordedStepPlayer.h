// Playback of a recorded light effect: a list of steps, each an effect over
// all LEDs for its duration, played in order and from the start again.
//
// Called on every pass of the effect loop; a pass is one 64 Hz effect tick,
// and a pass within the same tick (`newTick` false) paints without moving
// the animation on. A step's mode: 0 breathe (the
// 128-step curve moves one step every SpeedPasses(speed) passes, the hue
// moves on by 16 with each breath), 1 steady, 2 blink (half period
// BlinkHalfPeriodMs(speed), the hue moves on by 14 with each toggle),
// 4 flowing rainbow (each LED 12 hue steps after the previous; single
// colour: the 96-step curve with the same offsets), 5 colour cycle (one hue
// for all, moving every SpeedPasses(speed) passes). Direction set moves
// forward. Any other mode, and an empty list, paints every LED dark.
//
// When a step's time has elapsed since it began, the next step begins
// (after the last, the first); a step of time 0 thus moves on every pass,
// and a one-step list repeats its step. The animation (phase, hue, pass
// count, blink timer) runs on across steps, so a list of short steps does
// not restart its animation at every step.
//
// The list and the playback position have their own lock: the UI thread
// replaces the list while the effect thread plays it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "models/lighting/LightRecordLayout.h"

namespace ivra::light {

class RecordedStepPlayer {
public:
    // Replaces the list and starts again at its first step, now.
    void SetSteps(std::vector<RecordedStep> steps, uint64_t nowMs);

    // One pass: paints the current step into every entry of `colours`,
    // then moves to the next step when the current one has run its time.
    void Play(std::vector<uint32_t>& colours, uint64_t nowMs, bool newTick = true);

    // When playing next paints something different: `nextTickMs` while a
    // step animates; the next step's start while every step is steady or
    // dark; nothing for an empty list or a single still step.
    std::optional<uint64_t> NextChangeMs(uint64_t nextTickMs) const;
    // Whether a step of the list animates (breathe, blink, flowing, cycle).
    bool Animates() const;

    size_t CurrentStep() const;
    size_t StepCount() const;

private:
    void Paint(const RecordedStep& step, std::vector<uint32_t>& colours, uint64_t nowMs, bool newTick);

    mutable std::mutex lock_;
    std::vector<RecordedStep> steps_;
    size_t index_ = 0;
    uint64_t stepStartMs_ = 0;
    unsigned passes_ = 0;
    uint8_t phase_ = 0;
    uint8_t hue_ = 0;
    bool lit_ = true;
    uint64_t toggledAtMs_ = 0;
    bool painted_ = false;  // the current step has been painted since it began
};

}  // namespace ivra::light
