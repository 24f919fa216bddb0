#include "base/WorkerThread.h"

#include <chrono>

#include "base/DebugLines.h"
#include "base/DebugOutput.h"

namespace ivra {

WorkerThread::WorkerThread(std::string exitLine, uint32_t stopBoundMs, uint32_t passPauseMs)
    : exitLine_(std::move(exitLine)), stopBoundMs_(stopBoundMs), passPauseMs_(passPauseMs) {}

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) Stop();
}

bool WorkerThread::Start(std::function<bool()> pass, std::function<void()> wake) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable()) return false;
    pass_ = std::move(pass);
    wake_ = std::move(wake);
    finished_ = false;
    woken_ = false;
    wait_ = {};
    stopSource_ = std::stop_source();
    thread_ = std::thread([this, token = stopSource_.get_token()] { Body(token); });
    return true;
}

void WorkerThread::Body(std::stop_token token) {
    while (!token.stop_requested()) {
        if (passPauseMs_ != 0 && !WaitMs(passPauseMs_)) break;
        if (!pass_()) break;
    }
    DebugLine(exitLine_);
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    finishedCondition_.notify_all();
}

bool WorkerThread::WaitMs(uint32_t ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::stop_token token = stopSource_.get_token();
    waitCondition_.wait_for(lock, token, std::chrono::milliseconds(ms), [] { return false; });
    return !token.stop_requested();
}

WorkerWaitOutcome WorkerThread::WaitUntil(IClock& clock, std::optional<uint64_t> deadlineMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::stop_token token = stopSource_.get_token();
    WorkerWaitOutcome outcome = WorkerWaitOutcome::Stopped;
    wait_ = {true, deadlineMs};
    for (;;) {
        if (token.stop_requested()) {
            outcome = WorkerWaitOutcome::Stopped;
            break;
        }
        if (woken_) {
            woken_ = false;
            outcome = WorkerWaitOutcome::Woken;
            break;
        }
        if (!deadlineMs) {
            waitCondition_.wait(lock, token, [this] { return woken_; });
            continue;
        }
        const uint64_t now = clock.NowMs();
        if (now >= *deadlineMs) {
            outcome = WorkerWaitOutcome::DeadlineReached;
            break;
        }
        // The clock may be a test's, standing still: wait the time it says
        // is left, then read it again.
        waitCondition_.wait_for(lock, token, std::chrono::milliseconds(*deadlineMs - now), [this] { return woken_; });
    }
    wait_ = {};
    return outcome;
}

void WorkerThread::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    waitCondition_.notify_all();
}

WorkerThread::WaitState WorkerThread::CurrentWait() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return wait_;
}

WorkerStopOutcome WorkerThread::Stop() {
    std::function<void()> wake;
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) return WorkerStopOutcome::NotRunning;
        if (thread_.get_id() == std::this_thread::get_id()) {
            // A thread cannot wait for itself: ask it to end, and let its
            // owner join it later.
            stopSource_.request_stop();
            DebugLine(debug::kThreadWaitFailed);
            return WorkerStopOutcome::CalledFromWorker;
        }
        stopSource_.request_stop();
        wake = wake_;
        thread = std::move(thread_);
    }
    if (wake) wake();

    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ended =
            finishedCondition_.wait_for(lock, std::chrono::milliseconds(stopBoundMs_), [this] { return finished_; });
    }
    DebugLine(ended ? debug::kThreadEnded : debug::kThreadTimedOut);
    // Every wait of the pass is abortable, so the join completes.
    thread.join();
    std::lock_guard<std::mutex> lock(mutex_);
    pass_ = nullptr;
    wake_ = nullptr;
    return ended ? WorkerStopOutcome::Ended : WorkerStopOutcome::TimedOut;
}

bool WorkerThread::Running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return thread_.joinable() && !finished_;  // a stop in progress counts as ended
}

bool WorkerThread::StopRequested() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopSource_.stop_requested();
}

std::stop_token WorkerThread::StopToken() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopSource_.get_token();
}

}  // namespace ivra
