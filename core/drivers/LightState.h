// The light state every lit device keeps: the colour buffer its effects
// paint (one entry per LED: byte 0 red, 1 green, 2 blue, 3 brightness), the
// per-LED effect records, the light record in use, and the shared simple
// effect steps that paint the buffer from that record.
//
// Threads: any. The colours, the per-LED records, the record and the step
// state are guarded by one lock; WithColours runs a change under it.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "base/Clock.h"
#include "models/lighting/BaseEffectSteps.h"
#include "models/lighting/LightRecords.h"

namespace ivra {

class LightState {
public:
    explicit LightState(IClock& clock) : clock_(clock) {}

    // Resizes the colours and per-LED records when the count changes; then
    // zeroes every colour and record.
    void SetCount(int count);
    int Count() const;

    // A copy of the colour buffer, and its replacement.
    std::vector<uint32_t> Colours() const;
    void SetColours(std::vector<uint32_t> colours);
    // One entry; an index outside the buffer is ignored (set) or reads 0.
    void SetColour(int index, uint32_t colour);
    uint32_t Colour(int index) const;
    // Runs `change(colours)` on the buffer under the lock and returns what
    // it returns. `change` must not call back into the light state.
    template <typename Change>
    auto WithColours(Change&& change) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        return std::forward<Change>(change)(colours_);
    }

    // The per-LED effect records (one per LED; present byte 0: none).
    std::vector<LightInfo> PerLedRecords() const;
    void SetPerLedRecords(std::vector<LightInfo> records);

    // The light record the effects follow.
    LightInfo Record() const;
    void SetRecord(const LightInfo& record);

    // The shared effect steps: each paints every entry of the buffer from
    // the record once (the kinds' effect threads choose which runs and when).
    void EffectStepBreathe();
    void EffectStepFourColourBreathe();
    void EffectStepStatic();
    void EffectStepHueCycle();
    void EffectStepFlash();
    void EffectStepFourColourBlink();
    void EffectStepOff();

    // The steps' animation state (phase, colour index, flash toggle and its
    // time).
    light::EffectStepState StepState() const;
    void SetStepState(const light::EffectStepState& state);

private:
    template <typename Step>
    void RunStep(Step step);
    // The millisecond tick the flashing steps time their toggles with.
    uint32_t StepClockMs() const { return static_cast<uint32_t>(clock_.NowMs()); }

    IClock& clock_;
    mutable std::recursive_mutex mutex_;
    std::vector<uint32_t> colours_;
    std::vector<LightInfo> perLed_;
    LightInfo record_{};
    light::EffectStepState steps_{};
};

}  // namespace ivra
