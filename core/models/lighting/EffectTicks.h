// Counting the ticks that pace the light effects.
//
// The effect speeds were tuned against a system tick counter that moves in
// steps of about 15.6 ms (64 changes a second), and the effect loop counts
// how often that counter has changed, not how many milliseconds passed.
// Counting milliseconds instead would run every effect about fifteen times
// too fast. So the counter derives a 64 Hz tick from the millisecond clock
// (tick = ms x 64 / 1000) and counts the ticks that went by.
//
// One pass of an effect loop is one tick: the loop sleeps until the next
// tick at which something can change (TickStartMs tells when that is) and
// may skip ticks on purpose, so a pass counts every tick since the previous
// one, not only one change. A pass within the same tick (a key press woke
// the loop) counts none.
#pragma once

#include <cstdint>

namespace ivra::light {

constexpr uint64_t kEffectTicksPerSecond = 64;

constexpr uint64_t EffectTickAt(uint64_t nowMs) {
    return nowMs * kEffectTicksPerSecond / 1000;
}

// The first millisecond of a tick.
constexpr uint64_t TickStartMs(uint64_t tick) {
    return (tick * 1000 + kEffectTicksPerSecond - 1) / kEffectTicksPerSecond;
}

class EffectTickCounter {
public:
    // Reads the time of this pass; counts and returns the ticks that began
    // since the previous call (0 within the same tick). The first call only
    // takes its reading.
    unsigned Poll(uint64_t nowMs);

    // True when the ticks counted since the last step reach `interval`; the
    // count then starts again. Interval 0 is reached on every pass.
    bool TakeStepIfDue(unsigned interval);

    // Starts counting from zero (the last reading is kept).
    void RestartCount() { changes_ = 0; }

    // For a loop that slept through steps which would have changed nothing:
    // counts as if they had run every `interval` ticks, so the steps keep
    // their rhythm. A step that falls on the current tick ran at its start,
    // unless this pass is at that very millisecond.
    void KeepRhythm(unsigned interval, uint64_t nowMs);

    unsigned Changes() const { return changes_; }
    bool HasReading() const { return haveReading_; }
    uint64_t LastTick() const { return lastTick_; }
    // The first millisecond of the tick at which `interval` is reached (at
    // least the next tick: a pass in the current one has run).
    uint64_t DueMs(unsigned interval) const;

private:
    uint64_t lastTick_ = 0;
    bool haveReading_ = false;
    unsigned changes_ = 0;
};

}  // namespace ivra::light
