// Time source for every wait the core makes, so tests can let time pass
// without sleeping.
#pragma once

#include <cstdint>

namespace ivra {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds on a monotonic clock.
    virtual uint64_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// The real monotonic clock.
class SystemClock final : public IClock {
public:
    uint64_t NowMs() override;
    void SleepMs(uint32_t ms) override;
};

IClock& DefaultSystemClock();

}  // namespace ivra
