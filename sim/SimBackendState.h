// Settings and counters a simulated backend shares with the handles it has
// opened (which may outlive it): the instant timing flag, the report
// latency, and the count of readers blocked in a read, which tests wait on
// instead of sleeping.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace ivra::sim {

class SimBackendState {
public:
    void SetInstantTimeouts(bool on) { instantTimeouts_.store(on); }
    bool InstantTimeouts() const { return instantTimeouts_.load(); }

    // Wall time each report takes on the wire, either way.
    void SetReportLatencyMs(uint32_t ms) { reportLatencyMs_.store(ms); }
    uint32_t ReportLatencyMs() const { return reportLatencyMs_.load(); }

    // Called by a reader right before it blocks and right after it wakes.
    void ReaderBlocked();
    void ReaderWoke();
    size_t BlockedReaders() const;
    // Waits until at least `count` readers are blocked; false on timeout.
    bool WaitForBlockedReaders(size_t count, int timeoutMs);

private:
    std::atomic<bool> instantTimeouts_{false};
    std::atomic<uint32_t> reportLatencyMs_{0};
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    size_t blocked_ = 0;
};

}  // namespace ivra::sim
