#include "base/UiLoop.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "base/PendingSend.h"

namespace ivra {

UiLoop::UiLoop(IClock& clock) : clock_(clock), owner_(std::this_thread::get_id()) {}

UiLoop::~UiLoop() = default;

bool UiLoop::OnOwnerThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return owner_ == std::this_thread::get_id();
}

bool UiLoop::Send(std::function<void()> task, std::stop_token stop) {
    if (OnOwnerThread()) {
        task();
        return true;
    }
    auto pending = std::make_shared<PendingSend>();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(Job{std::move(task), pending});
        changed_.notify_all();
    }
    return pending->Wait(stop);
}

void UiLoop::Post(std::function<void()> task) {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(Job{std::move(task), nullptr});
    changed_.notify_all();
}

void UiLoop::SetTimer(const void* owner, int id, uint32_t ms, Callback callback) {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_[TimerKey{owner, id}] = Timer{clock_.NowMs() + ms, nextSequence_++, std::move(callback)};
    changed_.notify_all();
}

void UiLoop::KillTimer(const void* owner, int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_.erase(TimerKey{owner, id});
}

void UiLoop::KillTimers(const void* owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(timers_, [owner](const auto& item) { return item.first.first == owner; });
}

bool UiLoop::IsTimerSet(const void* owner, int id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return timers_.count(TimerKey{owner, id}) != 0;
}

int64_t UiLoop::TimerRemainingMs(const void* owner, int id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = timers_.find(TimerKey{owner, id});
    if (found == timers_.end()) return -1;
    const uint64_t now = clock_.NowMs();
    return found->second.dueMs > now ? static_cast<int64_t>(found->second.dueMs - now) : 0;
}

bool UiLoop::TakeNext(std::function<void()>& work) {
    while (!jobs_.empty()) {
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        if (!job.sent) {
            work = std::move(job.task);
            return true;
        }
        if (!job.sent->Take()) continue;
        work = [task = std::move(job.task), pending = job.sent] {
            task();
            pending->Finish();
        };
        return true;
    }
    // The earliest due timer, oldest first among equals; it is removed
    // before it runs, so its handler may set it again.
    const uint64_t now = clock_.NowMs();
    auto due = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.dueMs > now) continue;
        if (due == timers_.end() || it->second.dueMs < due->second.dueMs ||
            (it->second.dueMs == due->second.dueMs && it->second.sequence < due->second.sequence)) {
            due = it;
        }
    }
    if (due == timers_.end()) return false;
    work = std::move(due->second.callback);
    timers_.erase(due);
    return true;
}

size_t UiLoop::Pump() {
    size_t ran = 0;
    while (true) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!TakeNext(work)) break;
        }
        work();
        ++ran;
    }
    return ran;
}

void UiLoop::Run(std::stop_token stop) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        owner_ = std::this_thread::get_id();
    }
    while (!stop.stop_requested()) {
        Pump();
        std::unique_lock<std::mutex> lock(mutex_);
        if (!jobs_.empty()) continue;
        uint64_t waitMs = std::numeric_limits<uint32_t>::max();
        const uint64_t now = clock_.NowMs();
        for (const auto& item : timers_) {
            waitMs = std::min(waitMs, item.second.dueMs > now ? item.second.dueMs - now : 0);
        }
        if (waitMs == 0) continue;
        const size_t jobsBefore = jobs_.size();
        const size_t timersBefore = timers_.size();
        const uint64_t sequenceBefore = nextSequence_;
        changed_.wait_for(lock, stop, std::chrono::milliseconds(waitMs), [&] {
            return jobs_.size() != jobsBefore || timers_.size() != timersBefore || nextSequence_ != sequenceBefore;
        });
    }
}

}  // namespace ivra
