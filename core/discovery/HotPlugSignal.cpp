#include "discovery/HotPlugSignal.h"

#include <chrono>

namespace ivra {

void HotPlugSignal::Raise() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = true;
    }
    changed_.notify_all();
}

void HotPlugSignal::Fail() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failed_ = true;
    }
    changed_.notify_all();
}

HotPlugWait HotPlugSignal::WaitForChange(int timeoutMs, std::stop_token stop) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto ready = [this] { return pending_ || failed_; };
    if (timeoutMs < 0) {
        changed_.wait(lock, stop, ready);
    } else {
        changed_.wait_for(lock, stop, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (stop.stop_requested()) return HotPlugWait::Stopped;
    if (failed_) return HotPlugWait::Failed;
    if (!pending_) return HotPlugWait::TimedOut;
    pending_ = false;
    return HotPlugWait::Changed;
}

}  // namespace ivra
