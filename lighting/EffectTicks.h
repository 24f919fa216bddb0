// Counting the ticks that pace the keyboard's light effects.
//
// The effect speeds were tuned against a system tick counter that moves in
// steps of about 15.6 ms (64 changes a second), and the effect loop counts
// how often that counter has changed, not how many milliseconds passed.
// Counting milliseconds instead would run every effect about fifteen times
// too fast. So the counter derives a 64 Hz tick from the millisecond clock
// (tick = ms x 64 / 1000) and counts the changes of that tick: a loop that
// polls every millisecond counts one change about every 15.6 ms, and a loop
// that falls behind by several ticks counts a single change, as a loop
// reading the system tick counter would.
#pragma once

#include <cstdint>

namespace ivra::light {

constexpr uint64_t kEffectTicksPerSecond = 64;

constexpr uint64_t EffectTickAt(uint64_t nowMs) { return nowMs * kEffectTicksPerSecond / 1000; }

class EffectTickCounter {
public:
    // Reads the time of this pass; counts one change and returns true when
    // the 64 Hz tick differs from the one seen on the previous call. The
    // first call only takes its reading.
    bool Poll(uint64_t nowMs);

    // True when the changes counted since the last step reach `interval`;
    // the count then starts again. Interval 0 is reached on every pass.
    bool TakeStepIfDue(unsigned interval);

    // Starts counting from zero (the last reading is kept).
    void RestartCount() { changes_ = 0; }

    unsigned Changes() const { return changes_; }

private:
    uint64_t lastTick_ = 0;
    bool haveReading_ = false;
    unsigned changes_ = 0;
};

}  // namespace ivra::light
