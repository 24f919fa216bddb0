// A clock for tests: time stands still until SleepMs or Advance moves it,
// so code that waits by sleeping runs without delay.
#pragma once

#include <atomic>
#include <cstdint>

#include "base/Clock.h"

namespace ivra::sim {

class ManualClock final : public IClock {
public:
    explicit ManualClock(uint64_t startMs = 0);

    uint64_t NowMs() override;
    // Returns at once, the time having moved on by `ms`.
    void SleepMs(uint32_t ms) override;
    void Advance(uint64_t ms);

private:
    std::atomic<uint64_t> now_;
};

}  // namespace ivra::sim
