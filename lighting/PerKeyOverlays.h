// The per-key effects of a device's "LightList": keys with a record of their
// own show that record's effect over whatever the global effect painted.
// Applied on every pass of the effect loop, after the global step.
//
// Modes: 0 breathe, 1 steady, 2 blink, 3 colour cycle, 4 dark; a record
// whose presence byte is 0 (or any other mode) leaves its key alone.
//
// Pacing: the colour cycle moves one hue every SpeedPasses(speed) passes and
// the blink toggles every BlinkHalfPeriodMs(speed) of clock time. The breathe
// phase grows by speed + 4 once per 64 Hz effect tick (EffectTicks.h), not
// once per 1 ms pass: per pass, a whole breath would last 16 to 32 ms, a
// flicker rather than a breath. A phase that reaches 128 restarts at 0 (it
// can jump past 128, since it grows by up to 8) and the key's hue moves on by
// one, wrapping from 191 to 0.
//
// The list has its own lock: the UI thread replaces it while the effect
// thread applies it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "device/LightRecords.h"
#include "lighting/EffectTicks.h"

namespace ivra::light {

class PerKeyOverlays {
public:
    // Replaces the list and starts every overlay afresh: phases, hues and
    // pass counts at 0, blinking keys lit with their timer at `nowMs`.
    void SetList(std::vector<LightInfo> list, uint64_t nowMs);

    // Paints the keys that have a record, for positions below both the
    // list's and the buffer's length.
    void Apply(std::vector<uint32_t>& colours, uint64_t nowMs);

    bool HasAny() const;

private:
    struct KeyState {
        uint8_t phase = 0;
        uint8_t hue = 0;
        uint8_t passes = 0;
        bool lit = true;
        uint64_t toggledAtMs = 0;
    };

    mutable std::mutex lock_;
    std::vector<LightInfo> list_;
    std::vector<KeyState> state_;
    EffectTickCounter ticks_;
    bool any_ = false;
};

}  // namespace ivra::light
