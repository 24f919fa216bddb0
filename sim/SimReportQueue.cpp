#include "sim/SimReportQueue.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace ivra::sim {

SimReportQueue::SimReportQueue(std::shared_ptr<SimBackendState> backendState)
    : backendState_(std::move(backendState)) {}

bool SimReportQueue::Push(const uint8_t* data, size_t length) {
    {
        std::lock_guard lock(mutex_);
        if (aborted_ || failed_) return false;
        if (reports_.size() >= kCapacity) {
            ++dropped_;
            return false;
        }
        reports_.emplace_back(data, data + length);
    }
    cv_.notify_all();
    return true;
}

HidIoResult SimReportQueue::Read(uint8_t* buffer, size_t capacity, size_t& got,
                                 int timeoutMs) {
    got = 0;
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return aborted_ || failed_ || !reports_.empty(); };
    if (!ready()) {
        if (timeoutMs >= 0 && (timeoutMs == 0 || backendState_->InstantTimeouts())) {
            return HidIoResult::Timeout;
        }
        backendState_->ReaderBlocked();
        if (timeoutMs < 0) {
            cv_.wait(lock, ready);
        } else {
            cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
        }
        backendState_->ReaderWoke();
    }
    if (aborted_) return HidIoResult::Aborted;
    if (!reports_.empty()) {
        const std::vector<uint8_t>& report = reports_.front();
        got = std::min(capacity, report.size());
        if (got > 0) std::memcpy(buffer, report.data(), got);
        reports_.pop_front();
        return HidIoResult::Ok;
    }
    if (failed_) return HidIoResult::Failed;
    return HidIoResult::Timeout;
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
