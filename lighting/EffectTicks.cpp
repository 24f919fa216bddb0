#include "lighting/EffectTicks.h"

namespace ivra::light {

bool EffectTickCounter::Poll(uint64_t nowMs) {
    const uint64_t tick = EffectTickAt(nowMs);
    if (!haveReading_) {
        haveReading_ = true;
        lastTick_ = tick;
        return false;
    }
    if (tick == lastTick_) return false;
    lastTick_ = tick;
    ++changes_;
    return true;
}

bool EffectTickCounter::TakeStepIfDue(unsigned interval) {
    if (changes_ < interval) return false;
    changes_ = 0;
    return true;
}

}  // namespace ivra::light
