#include "ManualClock.h"

namespace ivra::sim {

ManualClock::ManualClock(uint64_t startMs) : now_(startMs) {}

uint64_t ManualClock::NowMs() {
    return now_.load();
}

void ManualClock::SleepMs(uint32_t ms) {
    Advance(ms);
}

void ManualClock::Advance(uint64_t ms) {
    now_.fetch_add(ms);
}

}  // namespace ivra::sim
