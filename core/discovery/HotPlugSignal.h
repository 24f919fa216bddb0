// A hot-plug source raised by code in the same process (the simulator's
// plugs, fakes in tests): Raise from any thread, WaitForChange on the
// discovery thread.
#pragma once

#include <condition_variable>
#include <mutex>

#include "hid/HotPlugSource.h"

namespace ivra {

class HotPlugSignal final : public IHotPlugSource {
public:
    void Raise();
    // Makes every later wait answer Failed (a source that broke).
    void Fail();

    HotPlugWait WaitForChange(int timeoutMs, std::stop_token stop) override;

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool pending_ = false;
    bool failed_ = false;
};

}  // namespace ivra
