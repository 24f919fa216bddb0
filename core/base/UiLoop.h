// A dispatch loop for the owner thread: queued tasks (IOwnerThread) and
// one-shot timers (ITimerService) measured on an injected clock.
//
// The thread that constructs the loop owns it until Run binds another one.
// Tests keep the loop on their own thread, move a manual clock and call
// Pump to fire what is due; ivractl runs Run on a thread of its own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <utility>

#include "base/OwnerThread.h"
#include "base/TimerService.h"
#include "base/Clock.h"

namespace ivra {

class PendingSend;

class UiLoop final : public IOwnerThread, public ITimerService {
public:
    explicit UiLoop(IClock& clock = DefaultSystemClock());
    ~UiLoop() override;
    UiLoop(const UiLoop&) = delete;
    UiLoop& operator=(const UiLoop&) = delete;

    bool Send(std::function<void()> task, std::stop_token stop) override;
    void Post(std::function<void()> task) override;

    void SetTimer(const void* owner, int id, uint32_t ms, Callback callback) override;
    void KillTimer(const void* owner, int id) override;
    void KillTimers(const void* owner) override;
    bool IsTimerSet(const void* owner, int id) const override;
    // Milliseconds until the timer is due (0 when overdue), -1 when not set.
    int64_t TimerRemainingMs(const void* owner, int id) const;

    // Runs the queued tasks and the timers that are due now, on the calling
    // thread (which must be the owner). Returns how many ran.
    size_t Pump();
    // Binds the calling thread and dispatches until `stop` is requested.
    // Between events it sleeps until the next timer or the next task.
    void Run(std::stop_token stop);

    bool OnOwnerThread() const;

private:
    struct Job {
        std::function<void()> task;
        std::shared_ptr<PendingSend> sent;  // null for posted tasks
    };
    struct Timer {
        uint64_t dueMs = 0;
        uint64_t sequence = 0;
        Callback callback;
    };
    using TimerKey = std::pair<const void*, int>;

    // Takes the next runnable job or due timer; false when none.
    bool TakeNext(std::function<void()>& work);

    IClock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    std::thread::id owner_;
    std::deque<Job> jobs_;
    std::map<TimerKey, Timer> timers_;
    uint64_t nextSequence_ = 0;
};

}  // namespace ivra
