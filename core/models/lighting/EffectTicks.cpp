#include "models/lighting/EffectTicks.h"

#include <algorithm>

namespace ivra::light {

namespace {
// More than any interval: an idle hour does not overflow the count.
constexpr unsigned kMaxCountedTicks = 1u << 16;
}  // namespace

unsigned EffectTickCounter::Poll(uint64_t nowMs) {
    const uint64_t tick = EffectTickAt(nowMs);
    if (!haveReading_) {
        haveReading_ = true;
        lastTick_ = tick;
        return 0;
    }
    if (tick <= lastTick_) return 0;
    const auto elapsed = static_cast<unsigned>(std::min<uint64_t>(tick - lastTick_, kMaxCountedTicks));
    lastTick_ = tick;
    changes_ = std::min(changes_ + elapsed, kMaxCountedTicks);
    return elapsed;
}

bool EffectTickCounter::TakeStepIfDue(unsigned interval) {
    if (changes_ < interval) return false;
    changes_ = 0;
    return true;
}

void EffectTickCounter::KeepRhythm(unsigned interval, uint64_t nowMs) {
    if (interval == 0 || changes_ < interval) return;
    changes_ %= interval;
    if (changes_ == 0 && nowMs == TickStartMs(lastTick_)) changes_ = interval;
}

uint64_t EffectTickCounter::DueMs(unsigned interval) const {
    const unsigned ahead = interval > changes_ ? interval - changes_ : 1;
    return TickStartMs(lastTick_ + ahead);
}

}  // namespace ivra::light
