// A loop that paces itself: WaitUntil ends at its deadline on the loop's
// clock, at a Wake (also one that came while the pass was still working),
// or at the stop, which also ends a wait without a deadline.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/WorkerThread.h"
#include "base/DebugOutput.h"
#include "ManualClock.h"
#include "Eventually.h"

namespace ivra {
namespace {

using testing::Eventually;

TEST(WorkerThreadWaitTest, WaitsEndAtTheDeadlineAWakeOrTheStop) {
    sim::ManualClock clock(1000);
    WorkerThread worker("paced worker ended", kDeviceThreadStopBoundMs, 0);
    std::atomic<int> passes{0};
    std::atomic<int> woken{0};
    std::atomic<int> deadlines{0};
    std::atomic<bool> withDeadline{true};
    ASSERT_TRUE(worker.Start([&] {
        ++passes;
        const std::optional<uint64_t> deadline =
            withDeadline.load() ? std::optional<uint64_t>(clock.NowMs() + 50) : std::nullopt;
        switch (worker.WaitUntil(clock, deadline)) {
            case WorkerWaitOutcome::Woken: ++woken; break;
            case WorkerWaitOutcome::DeadlineReached: ++deadlines; break;
            case WorkerWaitOutcome::Stopped: break;
        }
        return true;
    }));
    auto waitingFor = [&](std::optional<uint64_t> deadline) {
        return Eventually([&] {
            const WorkerThread::WaitState wait = worker.CurrentWait();
            return wait.waiting && wait.deadlineMs == deadline;
        });
    };
    ASSERT_TRUE(waitingFor(1050));
    EXPECT_EQ(passes.load(), 1) << "no pause before the pass: the loop paces itself";
    // The deadline is on the loop's clock.
    clock.Advance(50);
    ASSERT_TRUE(Eventually([&] { return deadlines.load() == 1; }));
    ASSERT_TRUE(waitingFor(1100));
    worker.Wake();
    ASSERT_TRUE(Eventually([&] { return woken.load() == 1; }));
    // Without a deadline only a wake (or the stop) ends the wait.
    withDeadline = false;
    worker.Wake();
    ASSERT_TRUE(waitingFor(std::nullopt));
    const int passesAtRest = passes.load();
    clock.Advance(100000);
    worker.Wake();
    ASSERT_TRUE(Eventually([&] { return passes.load() == passesAtRest + 1; }));
    ASSERT_TRUE(waitingFor(std::nullopt));
    EXPECT_EQ(worker.Stop(), WorkerStopOutcome::Ended);
}

TEST(WorkerThreadWaitTest, AWakeDuringThePassIsNotLost) {
    sim::ManualClock clock;
    WorkerThread worker("paced worker ended", kDeviceThreadStopBoundMs, 0);
    std::atomic<int> passes{0};
    std::atomic<bool> wokeDuringPass{false};
    ASSERT_TRUE(worker.Start([&] {
        if (++passes == 1) {
            // An input arrives after the pass read its state, before it waits.
            worker.Wake();
            wokeDuringPass = true;
        }
        worker.WaitUntil(clock, std::nullopt);
        return true;
    }));
    ASSERT_TRUE(Eventually([&] { return passes.load() == 2; })) << "the wake before the wait ends the wait";
    EXPECT_TRUE(wokeDuringPass.load());
    EXPECT_EQ(worker.Stop(), WorkerStopOutcome::Ended);
    EXPECT_EQ(passes.load(), 2);
}

}  // namespace
}  // namespace ivra
