// The headset's software light effects, over a colour buffer of any length
// (the headset has 13 LEDs). Same shape as the keyboard's engine, but the
// loop counts passes instead of effect ticks: a step of effects 0..4, 6 and
// 7 runs every SpeedPasses(S) passes (28, 23, 18, 13, 7); the recorded step
// list runs on every pass. The per-key overlays follow every pass. A pass is
// one 64 Hz effect tick: the thread that runs the engine calls Pass once at
// the start of each tick (EffectTicks.h), never in 1 ms passes.
//
// Effects (B brightness level, S speed, D direction, M multicolour):
//   0 hue shift: LED i shows hue phase + 16i; the phase moves ±1 per step.
//   1 colour cycle: every LED hue phase; the phase moves ±1 per step.
//   2 breathing: the 128-step curve, ±1 per step; each breath takes the next
//     colour of the seven-colour list (M) or the fixed colour.
//   3 steady: the fixed colour.
//   4 blink: on and off every BlinkHalfPeriodMs(S) of clock time, the hue
//     moving on by 16 at each toggle; hue (M) or fixed colour when on.
//   6 comet: a lit LED runs round the LEDs, ±1 per step, with a tail of
//     three LEDs at half, quarter and eighth brightness; its hue moves on by
//     4 per step (M), else the fixed colour.
//   7 alternating breath: even and odd LEDs breathe half a breath apart; M
//     gives them opposite hues, moving on by 16 with each breath.
//   8 off.
//   any other index: the recorded step list (empty: dark).
// The first step after a restart clears the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "models/lighting/LightRecords.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/PerKeyOverlays.h"
#include "models/lighting/RecordedStepPlayer.h"
#include "base/Clock.h"

namespace ivra::light {

class HeadsetEffectEngine {
public:
    explicit HeadsetEffectEngine(IClock& clock);

    // Takes the record's values; the effect runs on without a restart.
    void SetRecord(const LightInfo& record);
    // Takes the record and starts its effect afresh.
    void Restart(const LightInfo& record);
    // Restart when the effect index differs from the current one, else
    // SetRecord.
    void ApplyRecord(const LightInfo& record);

    void SetPerKeyList(std::vector<LightInfo> list);
    void SetRecordedSteps(std::vector<RecordedStep> steps);

    // One pass of the effect loop.
    void Pass(std::vector<uint32_t>& colours);
    // One step of the current effect, now.
    void Step(std::vector<uint32_t>& colours);

    uint8_t EffectIndex() const;
    unsigned PassesPerStep() const;  // 0: the recorded list, every pass
    size_t RecordedStepIndex() const;

private:
    void StepLocked(std::vector<uint32_t>& colours, uint64_t nowMs);
    // Runs one of the shared effect steps on this engine's step state.
    template <typename SharedStep>
    void RunShared(SharedStep step);
    unsigned PassesPerStepLocked() const;

    IClock& clock_;
    mutable std::mutex stateLock_;
    LightInfo record_{};
    unsigned passes_ = 0;
    uint8_t phase_ = 0;
    uint8_t colourIndex_ = 0;
    uint8_t hue_ = 0;
    size_t head_ = 0;
    bool lit_ = true;
    uint64_t toggledAtMs_ = 0;
    bool clearBeforeStep_ = true;

    PerKeyOverlays overlays_;
    RecordedStepPlayer recorded_;
};

}  // namespace ivra::light
