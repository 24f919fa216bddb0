// The input report queue of one open handle, as hidraw keeps one per open
// file: every report the device emits on the interface is copied into every
// handle's queue, and a full queue drops the new report.
//
// With a report latency set on the backend, a report becomes readable that
// long after it was emitted (it is on the wire until then), and a write
// waits that long before the device sees it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "hid/HidBackend.h"
#include "SimBackendState.h"

namespace ivra::sim {

class SimReportQueue {
public:
    // hidraw's ring holds 64 slots, one of which always stays empty.
    static constexpr size_t kCapacity = 63;

    explicit SimReportQueue(std::shared_ptr<SimBackendState> backendState);

    // Queues a copy of the report; returns false when the queue was full and
    // the report was dropped.
    bool Push(const uint8_t* data, size_t length);

    // Takes the oldest report (truncated to capacity, like read(2) on hidraw).
    // Waits up to timeoutMs (negative: no limit); when the backend's instant
    // timing is on, a finite wait on an empty queue times out at once, while
    // a report already on the wire is still awaited (it arrives within the
    // latency). Reports already queued are still handed out after the device
    // is gone; once the queue is empty a gone device answers Failed.
    HidIoResult Read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs);

    // Waits out the backend's report latency for a report this handle
    // writes. False when the handle is aborted meanwhile; a device that goes
    // away ends the wait early.
    bool PassWriteLatency();

    void Discard();
    // Sticky: wakes every reader, and every later Read answers Aborted.
    void Abort();
    // The device went away: wakes every reader waiting on an empty queue.
    void Fail();

    bool IsAborted() const;
    bool IsFailed() const;
    // Reports queued, including those still on the wire.
    size_t Size() const;
    size_t DroppedCount() const;

private:
    using SteadyClock = std::chrono::steady_clock;
    struct Report {
        std::vector<uint8_t> bytes;
        SteadyClock::time_point readableAt;
    };

    std::shared_ptr<SimBackendState> backendState_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Report> reports_;
    bool aborted_ = false;
    bool failed_ = false;
    size_t dropped_ = 0;
};

}  // namespace ivra::sim
