// The per-key effects of a device's "LightList": keys with a record of their
// own show that record's effect over whatever the global effect painted.
// Applied on every pass of the effect loop, after the global step.
//
// Modes: 0 breathe, 1 steady, 2 blink, 3 colour cycle, 4 dark; a record
// whose presence byte is 0 (or any other mode) leaves its key alone.
//
// Pacing: a pass is one 64 Hz effect tick (EffectTicks.h); passes within the
// same tick (the loop was woken early) do not count. The colour cycle moves
// one hue every SpeedPasses(speed) ticks, the breathe phase grows by
// speed + 4 per tick, and the blink toggles every BlinkHalfPeriodMs(speed) of
// clock time. A breathe phase that reaches 128 restarts at 0 (it can jump
// past 128, since it grows by up to 8) and the key's hue moves on by one,
// wrapping from 191 to 0. NextChangeMs says when the overlays next change
// what they paint, so the loop can sleep until then.
//
// The list has its own lock: the UI thread replaces it while the effect
// thread applies it.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "models/lighting/LightRecords.h"
#include "models/lighting/EffectTicks.h"

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
    // The clock time at which Apply next paints something different: the
    // next tick while a key breathes or cycles, a blink's next toggle;
    // nothing when every record is steady or dark (or there is none).
    std::optional<uint64_t> NextChangeMs() const;

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
