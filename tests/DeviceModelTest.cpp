// Discovery, hot plug, cable/receiver switching and the selector entry's
// timers, against simulated devices and injected catalogue rows. The scan
// passes and the timers run on the test thread (a manual clock moves time),
// except where the scan thread itself is under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "services/DeviceModel.h"
#include "discovery/HotPlugSignal.h"
#include "base/UiLoop.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "base/DebugOutput.h"
#include "DescriptorHotPlugSource.h"
#include "ManualClock.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimReceiver.h"
#include "SimKeyboardCatalogue.h"

namespace ivra {
namespace {

using sim::kKeyboardProductId;
using sim::kKeyboardVendorId;
using sim::kReceiverProductId;
using testing::kCableCommandSlot;
using testing::kCableEventSlot;
using testing::KeyboardCatalogue;
using testing::kReceiverCommandSlot;
using testing::kReceiverEventSlot;

// Counts what the selector entry's timers ask of the device.
class CountingKeyboard final : public KestrelKeyboardDevice {
public:
    using KestrelKeyboardDevice::KestrelKeyboardDevice;
    ~CountingKeyboard() override { Shutdown(); }
    void SyncOnConnect() override { ++syncs; }
    void ReadBackSettings() override { ++readBacks; }
    std::atomic<int> syncs{0};
    std::atomic<int> readBacks{0};
};

// What the model reported, with a way to await what the listener threads
// report.
class Recorder final : public IDeviceModelObserver {
public:
    void OnSlotBound(int index, const DeviceSlot&) override { Add("bound " + std::to_string(index)); }
    void OnSlotReleased(int index, const DeviceSlot&) override { Add("released " + std::to_string(index)); }
    void OnEntryChanged(const SelectorEntry&, bool shown, bool) override { Add(shown ? "shown" : "hidden"); }
    void OnLinkState(const SelectorEntry&, bool linked) override { Add(linked ? "linked" : "link lost"); }
    void OnAccessDenied(const DeviceSlot&) override { Add("denied"); }
    void OnNoDeviceNotice(bool shown) override { Add(shown ? "no device" : "device present"); }
    void OnDeviceEvent(const KestrelUSBDevice&, uint16_t code, bool) override { Add("event " + std::to_string(code)); }

    size_t Count(const std::string& what) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<size_t>(std::count(log_.begin(), log_.end(), what));
    }
    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(log_, {});
    }
    bool WaitFor(const std::string& what, int timeoutMs = 5000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return std::find(log_.begin(), log_.end(), what) != log_.end(); });
    }

private:
    void Add(std::string what) {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(std::move(what));
        changed_.notify_all();
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> log_;
};

class DeviceModelTest : public ::testing::Test {
protected:
    explicit DeviceModelTest(DeviceCatalogue rows = KeyboardCatalogue())
        : catalogue_(std::move(rows)), model_(backend_, catalogue_, loop_, loop_, clock_,
                                              [](const DeviceOptionRow&, IHidBackend& backend, IClock& clock) {
                                                  return std::make_unique<CountingKeyboard>(backend, clock);
                                              }) {
        backend_.SetInstantTimeouts(true);
        model_.SetObserver(&recorder_);
        model_.BuildPages();
    }
    ~DeviceModelTest() override { model_.SetObserver(nullptr); }

    void Pass() {
        ASSERT_EQ(model_.Scanner().RunPass(), ScanPassResult::Done);
        loop_.Pump();
    }
    void Advance(uint64_t ms) {
        clock_.Advance(ms);
        loop_.Pump();
    }
    CountingKeyboard& Keyboard() { return static_cast<CountingKeyboard&>(*model_.Pages().at(0).device); }
    SelectorEntry& Entry() { return *model_.Pages().at(0).entry; }
    DeviceTransport& Transport() { return Keyboard().CommandTransport(); }
    bool Bound(size_t slot) { return model_.Slots().At(slot).connected == 1; }

    sim::ManualClock clock_;
    UiLoop loop_{clock_};
    sim::SimHidBackend backend_;
    DeviceCatalogue catalogue_;
    Recorder recorder_;
    DeviceModel model_;
    std::shared_ptr<sim::SimKeyboard> keyboard_ = std::make_shared<sim::SimKeyboard>();
    std::shared_ptr<sim::SimReceiver> receiver_ = std::make_shared<sim::SimReceiver>(keyboard_);
};

TEST_F(DeviceModelTest, NothingPresentShowsTheNoDeviceNoticeAfterTheFirstPass) {
    EXPECT_FALSE(model_.Strip().NoDeviceNoticeShown());
    Pass();
    EXPECT_TRUE(model_.Strip().NoDeviceNoticeShown());
    EXPECT_FALSE(Entry().Shown());
}

TEST_F(DeviceModelTest, KeyboardArrivalBindsBothCollectionsInOnePassAndSynchronises) {
    backend_.Plug(keyboard_);
    Pass();

    EXPECT_TRUE(Bound(kCableCommandSlot));
    EXPECT_TRUE(Bound(kCableEventSlot));
    EXPECT_FALSE(Bound(kReceiverCommandSlot));
    EXPECT_EQ(recorder_.Count("shown"), 1u);
    EXPECT_TRUE(Entry().Shown());
    EXPECT_TRUE(Entry().IsSelected());
    EXPECT_FALSE(model_.Strip().NoDeviceNoticeShown());
    EXPECT_TRUE(Transport().IsOpen());
    EXPECT_TRUE(Transport().channelA.IsOpen());
    EXPECT_FALSE(Transport().channelB.IsOpen());
    EXPECT_FALSE(Transport().ReceiverMode());
    EXPECT_EQ(Transport().ChunkSize(), 56);
    EXPECT_TRUE(Keyboard().EventChannelOpen(false));
    EXPECT_TRUE(Keyboard().ListenerRunning(false));
    EXPECT_EQ(loop_.TimerRemainingMs(&Entry(), entry_timer::kConnect), 500);

    Advance(499);
    EXPECT_EQ(Keyboard().syncs, 0);
    Advance(1);
    EXPECT_EQ(Keyboard().syncs, 1);
    EXPECT_TRUE(loop_.IsTimerSet(&Entry(), entry_timer::kLightFrame));
    EXPECT_FALSE(loop_.IsTimerSet(&Entry(), entry_timer::kLinkWatch));

    // A second pass with every served collection bound changes nothing.
    Pass();
    EXPECT_EQ(recorder_.Count("bound 0") + recorder_.Count("bound 1"), 2u);
}

TEST_F(DeviceModelTest, LightControlReachesTheKeyboardOnceWhenTurnedOn) {
    backend_.Plug(keyboard_);
    Pass();
    const struct {
        bool on;
        size_t lightControlFrames;
    } cases[] = {{true, 1}, {false, 0}, {true, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.on ? "on" : "off");
        keyboard_->Firmware().ClearLog();
        model_.ApplyLightControl(c.on);
        size_t sent = 0;
        for (const Frame& frame : keyboard_->Firmware().ReceivedFrames()) sent += frame[3] == 0x1C;
        EXPECT_EQ(sent, c.lightControlFrames);
        EXPECT_EQ(Keyboard().LightControlEnabled(), c.on);
    }
}

TEST_F(DeviceModelTest, UnplugReportsBothSlotsAndHidesTheEntry) {
    backend_.Plug(keyboard_);
    Pass();
    Advance(500);
    recorder_.Take();

    backend_.Unplug(backend_.IdOf(*keyboard_));
    Pass();

    const std::vector<std::string> log = recorder_.Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "released 0"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "released 1"), 1);
    EXPECT_FALSE(Entry().Shown());
    EXPECT_TRUE(model_.Strip().NoDeviceNoticeShown());
    EXPECT_FALSE(Transport().IsOpen());
    EXPECT_FALSE(Transport().channelA.IsOpen());
    EXPECT_FALSE(Keyboard().EventChannelOpen(false));
    EXPECT_FALSE(Keyboard().ListenerRunning(false));
    // No timer keeps driving a device that is gone.
    EXPECT_FALSE(loop_.IsTimerSet(&Entry(), entry_timer::kLightFrame));

    // Plugged in again, it comes back.
    backend_.Plug(keyboard_);
    Pass();
    EXPECT_TRUE(Entry().Shown());
    EXPECT_TRUE(Transport().IsOpen());
}

class UsagePageMismatchTest : public DeviceModelTest {
protected:
    UsagePageMismatchTest() : DeviceModelTest(KeyboardCatalogue(0x0001)) {}
};

TEST_F(UsagePageMismatchTest, CollectionWithOtherUsagePageIsNeverBound) {
    backend_.Plug(keyboard_);
    for (int pass = 0; pass < 3; ++pass) Pass();
    EXPECT_TRUE(Bound(kCableCommandSlot));
    EXPECT_FALSE(Bound(kCableEventSlot));
    EXPECT_FALSE(Keyboard().EventChannelOpen(false));
}

TEST_F(DeviceModelTest, CableArrivingWhileReceiverIsBoundSwitchesToItAndBack) {
    backend_.Plug(receiver_);
    Pass();
    ASSERT_TRUE(Bound(kReceiverCommandSlot));
    ASSERT_TRUE(Bound(kReceiverEventSlot));
    EXPECT_TRUE(Transport().ReceiverMode());
    EXPECT_EQ(Transport().ChunkSize(), 24);
    EXPECT_TRUE(Transport().channelB.IsOpen());
    EXPECT_TRUE(Keyboard().EventChannelOpen(true));
    EXPECT_FALSE(Entry().Shown()) << "hidden until the link is confirmed";
    Advance(500);
    EXPECT_TRUE(Entry().Shown());
    EXPECT_EQ(Keyboard().syncs, 1);

    backend_.Plug(keyboard_);
    Pass();
    EXPECT_TRUE(Bound(kCableCommandSlot));
    EXPECT_TRUE(Transport().IsOpen());
    EXPECT_FALSE(Transport().ReceiverMode());
    EXPECT_EQ(Transport().ChunkSize(), 56);
    EXPECT_TRUE(Transport().channelA.IsOpen());
    EXPECT_TRUE(Keyboard().EventChannelOpen(false));
    // Commands now go over the cable.
    const uint64_t forwarded = receiver_->ForwardedFrames();
    uint8_t block[kInfoBlockSize];
    EXPECT_EQ(Transport().ReadInfoBlock(block), result::kSuccess);
    EXPECT_EQ(receiver_->ForwardedFrames(), forwarded);
    Advance(500);
    EXPECT_EQ(Keyboard().syncs, 2);

    backend_.Unplug(backend_.IdOf(*keyboard_));
    Pass();
    EXPECT_TRUE(Transport().IsOpen());
    EXPECT_TRUE(Transport().ReceiverMode());
    EXPECT_EQ(Transport().ChunkSize(), 24);
    EXPECT_TRUE(Entry().Shown());
    EXPECT_EQ(loop_.TimerRemainingMs(&Entry(), entry_timer::kLinkWatch), 2000);
    EXPECT_EQ(Transport().ReadInfoBlock(block), result::kSuccess);
    EXPECT_GT(receiver_->ForwardedFrames(), forwarded);
}

TEST_F(DeviceModelTest, ReceiverLinkThatStopsAnsweringHidesTheEntryAndResynchronises) {
    receiver_->SetLinked(false);
    backend_.Plug(receiver_);
    Pass();
    Advance(500);  // the first link query fails
    EXPECT_FALSE(Entry().Shown());
    EXPECT_EQ(Entry().FailedLinkCount(), 1);
    EXPECT_EQ(Keyboard().syncs, 0);

    receiver_->SetLinked(true);
    Advance(3000);
    EXPECT_TRUE(Entry().Shown());
    EXPECT_EQ(Keyboard().syncs, 1);
    EXPECT_EQ(Entry().FailedLinkCount(), 0);

    // Lost while synchronised: the link watch hides it ...
    receiver_->SetLinked(false);
    Advance(2000);
    EXPECT_FALSE(Entry().Shown());
    EXPECT_EQ(recorder_.Count("link lost"), 1u);
    // ... and brings it back synchronised once the link answers again.
    receiver_->SetLinked(true);
    Advance(3000);
    EXPECT_TRUE(Entry().Shown());
    Advance(500);
    EXPECT_EQ(Keyboard().syncs, 2);
}

TEST_F(DeviceModelTest, DeniedInterfaceIsRetriedAndToldOnce) {
    keyboard_->SetPermissionDenied(true);
    backend_.Plug(keyboard_);
    for (int pass = 0; pass < 3; ++pass) Pass();
    EXPECT_FALSE(Bound(kCableCommandSlot));
    EXPECT_EQ(recorder_.Count("denied"), 2u) << "once for each served collection's path";

    keyboard_->SetPermissionDenied(false);
    Pass();
    EXPECT_TRUE(Bound(kCableCommandSlot));
    EXPECT_EQ(recorder_.Count("denied"), 2u);
}

TEST_F(DeviceModelTest, ListenerActsOnEvents) {
    backend_.Plug(keyboard_);
    Pass();
    ASSERT_TRUE(backend_.WaitForBlockedReaders(1, 5000));

    keyboard_->EmitEvent(kEventReadBackRequest);
    ASSERT_TRUE(recorder_.WaitFor("event 1025"));
    Advance(50);
    EXPECT_EQ(Keyboard().readBacks, 1);

    keyboard_->EmitEvent(0x1003);
    ASSERT_TRUE(recorder_.WaitFor("event 4099"));
    EXPECT_EQ(Keyboard().ActiveProfileIndex(), 3);

    keyboard_->EmitEvent(0x0512);
    keyboard_->EmitEvent(0x0607);
    ASSERT_TRUE(recorder_.WaitFor("event 1543"));
    EXPECT_EQ(Keyboard().lastOperationValue, 7);
    EXPECT_EQ(Keyboard().lastOperationType, 2);
}

// ---- Threads ---------------------------------------------------------------

class ThreadedDeviceModelTest : public ::testing::Test {
protected:
    ThreadedDeviceModelTest() {
        backend_.SetInstantTimeouts(true);
        model_.SetObserver(&recorder_);
        model_.BuildPages();
    }
    ~ThreadedDeviceModelTest() override {
        model_.StopScan();
        loopThread_ = {};
        model_.SetObserver(nullptr);
    }
    void StartLoop() {
        loopThread_ = std::jthread([this](std::stop_token stop) { loop_.Run(stop); });
    }

    UiLoop loop_;
    sim::SimHidBackend backend_;
    DeviceCatalogue catalogue_ = KeyboardCatalogue();
    Recorder recorder_;
    DeviceModel model_{backend_, catalogue_, loop_, loop_};
    std::shared_ptr<sim::SimKeyboard> keyboard_ = std::make_shared<sim::SimKeyboard>();
    std::jthread loopThread_;
};

TEST_F(ThreadedDeviceModelTest, ScanThreadReportsArrivalAndRemoval) {
    StartLoop();
    ASSERT_TRUE(model_.StartScan());
    backend_.Plug(keyboard_);
    ASSERT_TRUE(recorder_.WaitFor("shown"));
    ASSERT_TRUE(recorder_.WaitFor("bound 1"));
    backend_.Unplug(backend_.IdOf(*keyboard_));
    ASSERT_TRUE(recorder_.WaitFor("hidden"));
    ASSERT_TRUE(recorder_.WaitFor("released 1"));
}

TEST_F(ThreadedDeviceModelTest, StopDoesNotDeadlockWhileAnArrivalWaitsForTheOwner) {
    // The owner thread never runs: the scan thread's arrival waits for it.
    ASSERT_TRUE(model_.StartScan());
    backend_.Plug(keyboard_);
    for (int i = 0; i < 5000 && model_.Slots().At(kCableCommandSlot).connected == 0; ++i) {
        std::this_thread::yield();
    }
    std::vector<std::string> lines;
    std::mutex linesMutex;
    SetDebugSink([&](std::string_view line) {
        std::lock_guard<std::mutex> lock(linesMutex);
        lines.emplace_back(line);
    });
    model_.StopScan();
    SetDebugSink({});
    EXPECT_FALSE(model_.Scanner().Running());
    EXPECT_NE(std::find(lines.begin(), lines.end(), debug::kScanExit), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), debug::kThreadEnded), lines.end());
}

// ---- Hot plug ----------------------------------------------------------------

// Stands in for the udev monitor: the same descriptor wait, over a pipe the
// test writes to where udev would send an event. Closing the write end
// breaks it, as a monitor socket that fails.
class PipeMonitor final : public DescriptorHotPlugSource {
public:
    explicit PipeMonitor(int readFd) : DescriptorHotPlugSource(readFd), readFd_(readFd) {}
    ~PipeMonitor() override { close(readFd_); }
    PipeMonitor(const PipeMonitor&) = delete;
    PipeMonitor& operator=(const PipeMonitor&) = delete;

private:
    Drained Drain() override {
        char buffer[64];
        for (;;) {
            const ssize_t n = read(readFd_, buffer, sizeof buffer);
            if (n > 0) continue;
            // 0: the writer is gone
            return n < 0 && errno == EAGAIN ? Drained::kChanged : Drained::kFailed;
        }
    }
    int readFd_;
};

// The simulated devices with the hot-plug source a test picks in place of
// the simulator's own reports.
class BackendWithSource final : public IHidBackend {
public:
    using OpenSource = std::function<std::unique_ptr<IHotPlugSource>()>;
    BackendWithSource(IHidBackend& devices, OpenSource open) : devices_(devices), open_(std::move(open)) {}

    bool Enumerate(std::vector<HidInterfaceEntry>& out) override { return devices_.Enumerate(out); }
    std::unique_ptr<IHidNode> Open(const std::string& path, bool wantRead, bool wantWrite,
                                   HidOpenError& error) override {
        return devices_.Open(path, wantRead, wantWrite, error);
    }
    bool IsPresent(const std::string& path) override { return devices_.IsPresent(path); }
    std::unique_ptr<IHotPlugSource> OpenHotPlugSource() override { return open_ ? open_() : nullptr; }

private:
    IHidBackend& devices_;
    OpenSource open_;
};

// The scan thread and the owner thread run for real; the manual clock
// stands still unless a test moves it, so a pass that happens without it
// moving was started by a hot-plug report, not by the polling period.
class HotPlugTest : public ::testing::Test {
protected:
    ~HotPlugTest() override {
        if (model_) model_->StopScan();
        loopThread_ = {};
        if (model_) model_->SetObserver(nullptr);
        if (pipeWrite_ >= 0) close(pipeWrite_);
    }

    // Builds the model over `backend` and starts both threads; returns once
    // the first pass is done.
    void Start(IHidBackend& backend) {
        devices_.SetInstantTimeouts(true);
        model_ = std::make_unique<DeviceModel>(backend, catalogue_, loop_, loop_, clock_);
        model_->SetObserver(&recorder_);
        model_->BuildPages();
        loopThread_ = std::jthread([this](std::stop_token stop) { loop_.Run(stop); });
        ASSERT_TRUE(model_->StartScan());
        ASSERT_TRUE(recorder_.WaitFor("no device"));
    }
    // The simulated devices behind the source `open` makes; lives as long
    // as the model.
    IHidBackend& WithSource(BackendWithSource::OpenSource open) {
        wrapped_ = std::make_unique<BackendWithSource>(devices_, std::move(open));
        return *wrapped_;
    }
    std::unique_ptr<IHotPlugSource> OpenPipeMonitor() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
        pipeWrite_ = ends[1];
        return std::make_unique<PipeMonitor>(ends[0]);
    }
    void SendUdevEvent() { ASSERT_EQ(write(pipeWrite_, "add", 3), 3); }
    void ExpectArrival() {
        ASSERT_TRUE(recorder_.WaitFor("shown"));
        ASSERT_TRUE(recorder_.WaitFor("bound 1"));
    }
    // The stop wakes a scan thread waiting for a report at once.
    void ExpectStopEndsTheThread() {
        std::vector<std::string> lines;
        std::mutex linesMutex;
        SetDebugSink([&](std::string_view line) {
            std::lock_guard<std::mutex> lock(linesMutex);
            lines.emplace_back(line);
        });
        model_->StopScan();
        SetDebugSink({});
        EXPECT_FALSE(model_->Scanner().Running());
        EXPECT_NE(std::find(lines.begin(), lines.end(), debug::kThreadEnded), lines.end());
    }

    sim::ManualClock clock_;
    UiLoop loop_{clock_};
    sim::SimHidBackend devices_;
    DeviceCatalogue catalogue_ = KeyboardCatalogue();
    Recorder recorder_;
    std::unique_ptr<BackendWithSource> wrapped_;
    std::unique_ptr<DeviceModel> model_;
    std::shared_ptr<sim::SimKeyboard> keyboard_ = std::make_shared<sim::SimKeyboard>();
    std::jthread loopThread_;
    int pipeWrite_ = -1;
};

TEST_F(HotPlugTest, SimulatorPlugsStartThePassWithoutPolling) {
    Start(devices_);
    EXPECT_EQ(model_->Scanner().Pacing(), ScanPacing::Notified);

    devices_.Plug(keyboard_);
    ExpectArrival();
    EXPECT_EQ(model_->Scanner().PassCount(), 2u);

    devices_.Unplug(devices_.IdOf(*keyboard_));
    ASSERT_TRUE(recorder_.WaitFor("released 1"));
    ASSERT_TRUE(recorder_.WaitFor("hidden"));
    // The pass the plug started may already have seen the removal.
    EXPECT_LE(model_->Scanner().PassCount(), 3u);
    EXPECT_EQ(clock_.NowMs(), 0u);
    ExpectStopEndsTheThread();
}

TEST_F(HotPlugTest, UdevEventStartsThePass) {
    Start(WithSource([this] { return OpenPipeMonitor(); }));
    EXPECT_EQ(model_->Scanner().Pacing(), ScanPacing::Notified);

    devices_.Plug(keyboard_);  // unseen until the monitor reports it
    SendUdevEvent();
    ExpectArrival();
    EXPECT_EQ(model_->Scanner().PassCount(), 2u);
    EXPECT_EQ(clock_.NowMs(), 0u);
    ExpectStopEndsTheThread();
}

// Where no monitor can be opened (no udev daemon), or it breaks, a pass runs
// every 100 ms of the clock.
enum class BrokenMonitor { None, FailsAtOnce, BreaksLater };

class PollingFallbackTest : public HotPlugTest, public ::testing::WithParamInterface<BrokenMonitor> {};

TEST_P(PollingFallbackTest, PollingTakesOverWhereTheMonitorCannotRun) {
    Start(WithSource([this]() -> std::unique_ptr<IHotPlugSource> {
        switch (GetParam()) {
            case BrokenMonitor::None: return nullptr;
            case BrokenMonitor::FailsAtOnce: {
                auto signal = std::make_unique<HotPlugSignal>();
                signal->Fail();
                return signal;
            }
            case BrokenMonitor::BreaksLater: return OpenPipeMonitor();
        }
        return nullptr;
    }));
    devices_.Plug(keyboard_);
    if (GetParam() == BrokenMonitor::BreaksLater) {
        close(pipeWrite_);
        pipeWrite_ = -1;
    }
    clock_.Advance(kScanPeriodMs);
    ExpectArrival();
    EXPECT_EQ(model_->Scanner().Pacing(), ScanPacing::Polling);
    ExpectStopEndsTheThread();
}

INSTANTIATE_TEST_SUITE_P(Monitors, PollingFallbackTest,
                         ::testing::Values(BrokenMonitor::None, BrokenMonitor::FailsAtOnce,
                                           BrokenMonitor::BreaksLater));

}  // namespace
}  // namespace ivra
