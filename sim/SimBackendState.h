// Settings and counters a simulated backend shares with the handles it has
// opened (which may outlive it): the instant timing flag and the count of
// readers blocked in a read, which tests wait on instead of sleeping.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace ivra::sim {

class SimBackendState {
public:
    void SetInstantTimeouts(bool on) { instantTimeouts_.store(on); }
    bool InstantTimeouts() const { return instantTimeouts_.load(); }

    // Called by a reader right before it blocks and right after it wakes.
    void ReaderBlocked();
    void ReaderWoke();
    size_t BlockedReaders() const;
    // Waits until at least `count` readers are blocked; false on timeout.
    bool WaitForBlockedReaders(size_t count, int timeoutMs);

private:
    std::atomic<bool> instantTimeouts_{false};
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    size_t blocked_ = 0;
};

}  // namespace ivra::sim
