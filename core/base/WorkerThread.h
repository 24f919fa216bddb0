// A background loop that can always be stopped: a stop request, an
// abortable pause before every pass (1 ms unless the loop paces itself), an
// exit line on the debug output, and a bounded wait for the thread followed
// by a join.
//
// Nothing kills the thread. Every wait a pass makes goes through WaitMs or
// WaitUntil (or watches StopToken()), and a pass that blocks elsewhere is
// woken by the wake callback given to Start (closing a channel, for
// instance), so the join always completes. When the thread does not end
// within the bound, the time-out line is written and the join goes on.
//
// A loop that sleeps until it has work (the light thread) is built with a
// pause of 0 and waits in WaitUntil: until a deadline on its clock, until
// Wake is called, or until the stop. A Wake that comes while the pass is
// still working is kept, so the next wait returns at once: no wake is lost.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "base/Clock.h"

namespace ivra {

// Stop bounds: device threads, and the keyboard light thread and the main
// window's threads.
constexpr uint32_t kDeviceThreadStopBoundMs = 500;
constexpr uint32_t kMainThreadStopBoundMs = 1000;

enum class WorkerStopOutcome { NotRunning, Ended, TimedOut, CalledFromWorker };
enum class WorkerWaitOutcome { Woken, DeadlineReached, Stopped };

class WorkerThread {
public:
    // `passPauseMs`: the abortable wait before every pass; 0 for a loop whose
    // passes do their own waiting.
    WorkerThread(std::string exitLine, uint32_t stopBoundMs, uint32_t passPauseMs = 1);
    // Stops the thread when it still runs.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the loop; `pass` runs once per iteration on the worker and
    // returns false to end the loop (the exit line is written as usual). `wake`
    // (optional) is called by Stop, on the stopping thread, to abort a
    // blocking call the pass may be in. False when already running.
    bool Start(std::function<bool()> pass, std::function<void()> wake = {});
    // Requests the stop, wakes the pass, waits up to the bound, writes the
    // outcome line and joins.
    WorkerStopOutcome Stop();

    bool Running() const;
    bool StopRequested() const;
    // For passes that wait on their own condition variables (with
    // std::condition_variable_any and this token).
    std::stop_token StopToken() const;

    // Waits up to `ms`; returns false at once when a stop was requested.
    bool WaitMs(uint32_t ms);
    // Waits until `clock` reaches `deadlineMs` (without one: until woken),
    // until Wake is called (or was called since the last wait returned), or
    // until a stop is requested. A deadline already reached returns at once.
    WorkerWaitOutcome WaitUntil(IClock& clock, std::optional<uint64_t> deadlineMs);
    // Ends the current (or the next) WaitUntil early; any thread.
    void Wake();
    // Whether the worker sits in WaitUntil, and the deadline it waits for
    // (for tests and tools: a loop at rest waits without one).
    struct WaitState {
        bool waiting = false;
        std::optional<uint64_t> deadlineMs;
    };
    WaitState CurrentWait() const;

private:
    void Body(std::stop_token token);

    const std::string exitLine_;
    const uint32_t stopBoundMs_;
    const uint32_t passPauseMs_;
    std::function<bool()> pass_;
    std::function<void()> wake_;

    mutable std::mutex mutex_;
    std::condition_variable_any waitCondition_;
    std::condition_variable finishedCondition_;
    bool finished_ = false;
    bool woken_ = false;
    WaitState wait_;
    std::stop_source stopSource_;
    std::thread thread_;
};

}  // namespace ivra
