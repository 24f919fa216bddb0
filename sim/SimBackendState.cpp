#include "SimBackendState.h"

#include <chrono>

namespace ivra::sim {

void SimBackendState::ReaderBlocked() {
    {
        std::lock_guard lock(mutex_);
        ++blocked_;
    }
    cv_.notify_all();
}

void SimBackendState::ReaderWoke() {
    {
        std::lock_guard lock(mutex_);
        --blocked_;
    }
    cv_.notify_all();
}

size_t SimBackendState::BlockedReaders() const {
    std::lock_guard lock(mutex_);
    return blocked_;
}

bool SimBackendState::WaitForBlockedReaders(size_t count, int timeoutMs) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return blocked_ >= count; });
}

}  // namespace ivra::sim
