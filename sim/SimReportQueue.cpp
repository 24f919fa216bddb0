#include "SimReportQueue.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace ivra::sim {

SimReportQueue::SimReportQueue(std::shared_ptr<SimBackendState> backendState)
    : backendState_(std::move(backendState)) {}

bool SimReportQueue::Push(const uint8_t* data, size_t length) {
    const uint32_t latencyMs = backendState_->ReportLatencyMs();
    // Without latency the report is readable at once: no clock call.
    const SteadyClock::time_point readableAt =
        latencyMs == 0 ? SteadyClock::time_point{} : SteadyClock::now() + std::chrono::milliseconds(latencyMs);
    {
        std::lock_guard lock(mutex_);
        if (aborted_ || failed_) return false;
        if (reports_.size() >= kCapacity) {
            ++dropped_;
            return false;
        }
        reports_.push_back(Report{std::vector<uint8_t>(data, data + length), readableAt});
    }
    cv_.notify_all();
    return true;
}

HidIoResult SimReportQueue::Read(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) {
    got = 0;
    const bool finite = timeoutMs >= 0;
    const SteadyClock::time_point deadline = SteadyClock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    std::unique_lock lock(mutex_);
    while (true) {
        if (aborted_) return HidIoResult::Aborted;
        const bool empty = reports_.empty();
        const SteadyClock::time_point now = empty || reports_.front().readableAt == SteadyClock::time_point{}
                                                ? SteadyClock::time_point{}
                                                : SteadyClock::now();
        if (!empty && reports_.front().readableAt <= now) {
            const std::vector<uint8_t>& report = reports_.front().bytes;
            got = std::min(capacity, report.size());
            if (got > 0) std::memcpy(buffer, report.data(), got);
            reports_.pop_front();
            return HidIoResult::Ok;
        }
        if (empty && failed_) return HidIoResult::Failed;
        if (timeoutMs == 0) return HidIoResult::Timeout;
        const bool instant = finite && backendState_->InstantTimeouts();
        if (empty && instant) return HidIoResult::Timeout;

        // Wake for the report on the wire, or at the deadline, whichever
        // comes first; a report on the wire is awaited even under instant
        // timing.
        std::optional<SteadyClock::time_point> until;
        if (!empty) until = reports_.front().readableAt;
        if (finite && !instant) {
            if (SteadyClock::now() >= deadline) return HidIoResult::Timeout;
            until = until ? std::min(*until, deadline) : deadline;
        }
        if (empty) {
            const auto ready = [this] { return aborted_ || failed_ || !reports_.empty(); };
            backendState_->ReaderBlocked();
            if (until) {
                cv_.wait_until(lock, *until, ready);
            } else {
                cv_.wait(lock, ready);
            }
            backendState_->ReaderWoke();
        } else {
            cv_.wait_until(lock, *until, [this] { return aborted_; });
        }
    }
}

bool SimReportQueue::PassWriteLatency() {
    const uint32_t latencyMs = backendState_->ReportLatencyMs();
    std::unique_lock lock(mutex_);
    if (latencyMs > 0) {
        cv_.wait_for(lock, std::chrono::milliseconds(latencyMs), [this] { return aborted_ || failed_; });
    }
    return !aborted_;
}

void SimReportQueue::Discard() {
    std::lock_guard lock(mutex_);
    reports_.clear();
}

void SimReportQueue::Abort() {
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
        reports_.clear();
    }
    cv_.notify_all();
}

void SimReportQueue::Fail() {
    {
        std::lock_guard lock(mutex_);
        failed_ = true;
    }
    cv_.notify_all();
}

bool SimReportQueue::IsAborted() const {
    std::lock_guard lock(mutex_);
    return aborted_;
}

bool SimReportQueue::IsFailed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

size_t SimReportQueue::Size() const {
    std::lock_guard lock(mutex_);
    return reports_.size();
}

size_t SimReportQueue::DroppedCount() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace ivra::sim
