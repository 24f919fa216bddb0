// The device base object's page lights, level steps and shown function, and
// the worker thread pattern its listeners run on.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <tuple>

#include "drivers/HeadlessDeviceView.h"
#include "drivers/KestrelUSBDevice.h"
#include "base/UiLoop.h"
#include "base/WorkerThread.h"
#include "models/lighting/LightTables.h"
#include "base/DebugOutput.h"
#include "ManualClock.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"

namespace ivra {
namespace {

// A description with a page file and its key positions.
DeviceDescription PageDescription(std::string pageXml, int32_t keys) {
    DeviceDescription description;
    description.pageXml = std::move(pageXml);
    description.pageKeyCount = keys;
    return description;
}

class DeviceTest : public ::testing::Test {
protected:
    sim::SimHidBackend backend_;
    KestrelUSBDevice device_{backend_};
};

TEST(DeviceEffectStepTest, SharedStepsPaintEveryLedFromTheLightRecord) {
    sim::SimHidBackend backend;
    sim::ManualClock clock(1000);
    KestrelUSBDevice device(backend, clock);
    device.SetLedCount(3);
    LightState& lights = device.Lights();
    lights.SetRecord({0, 2, 4, 1, 0, 10, 20, 30});
    lights.EffectStepStatic();
    for (uint32_t led : lights.Colours()) EXPECT_EQ(led, light::PackLed({10, 20, 30}, 100));
    // Flash: toggles once the blink period (7 x 200 ms at speed 4) has passed on the device's clock.
    light::EffectStepState steps = lights.StepState();
    steps.toggleTime = 1000;
    lights.SetStepState(steps);
    lights.EffectStepFlash();
    EXPECT_FALSE(lights.StepState().toggle);
    EXPECT_EQ(lights.Colour(0), 0u);
    clock.Advance(1400);
    lights.EffectStepFlash();
    EXPECT_TRUE(lights.StepState().toggle);
    EXPECT_EQ(lights.StepState().toggleTime, 2400u);
    EXPECT_EQ(lights.Colour(2), light::PackLed({10, 20, 30}, 100));
    lights.EffectStepOff();
    EXPECT_EQ(lights.Colours(), std::vector<uint32_t>(3, 0u));
}

TEST_F(DeviceTest, KeyLevelStepsFollowTheirModeAndStayInTheTable) {
    struct Case {
        bool up;
        int modeOrFine;
        uint8_t from;
        uint8_t to;
    };
    const Case cases[] = {
        {false, 0, 12, 8},    {false, 0, 0, 0},    {false, 0, 2, 0},  // no wrap below 0
        {false, 0, 200, 160}, {false, 0, 100, 70}, {false, 0, 40, 30},  {false, 0, 20, 12}, {false, 29, 200, 120},
        {false, 29, 100, 50}, {false, 29, 40, 20}, {false, 29, 16, 15}, {false, 29, 0, 0},  {false, 1, 16, 15},
        {false, 1, 200, 160}, {true, 1, 200, 255}, {true, 1, 0, 0},     {true, 1, 5, 10},   {true, 1, 12, 22},
        {true, 1, 20, 35},    {true, 1, 100, 125}, {true, 0, 0, 0},     {true, 0, 16, 20},  {true, 0, 20, 28},
        {true, 0, 240, 24},  // additions wrap at 256
    };
    for (const Case& c : cases) {
        KeyLevels& levels = device_.Levels();
        levels.SetLevel(5, c.from);
        const uint8_t got = c.up ? levels.StepUp(5, c.modeOrFine) : levels.StepDown(5, c.modeOrFine);
        EXPECT_EQ(got, c.to) << (c.up ? "up " : "down ") << c.modeOrFine << " from " << int(c.from);
        EXPECT_EQ(levels.Level(5), c.to);
    }
    EXPECT_EQ(device_.Levels().StepUp(126, 1), 0) << "a key outside the table changes nothing";
}

TEST_F(DeviceTest, LevelRingRotatesAndMarksLevels) {
    KeyLevels& levels = device_.Levels();
    for (size_t i = 0; i < kLevelRingSize; ++i) levels.SetMark(i, static_cast<uint8_t>(i));
    levels.RotateRing(true);
    EXPECT_EQ(levels.Mark(0), kLevelRingSize - 1);
    EXPECT_EQ(levels.Mark(1), 0);
    levels.RotateRing(false);
    EXPECT_EQ(levels.Mark(0), 0);
    levels.FillMarked();
    EXPECT_EQ(levels.Level(0), 0);
    EXPECT_EQ(levels.Level(8), 255);
    EXPECT_EQ(levels.Level(9), 0) << "only the first nine positions";
    levels.Reset();
    EXPECT_EQ(levels.Level(8), 0);
    EXPECT_EQ(levels.Mark(3), 0);
}

TEST_F(DeviceTest, AttachingAPageLightsItsLightPositionsWhite) {
    // The page has lights at 1 and 5; the device has two LEDs.
    HeadlessDeviceView view({3}, {1, 5}, false);
    device_.SetView(&view);
    device_.SetDescription(PageDescription("keyboard.xml", 126));
    device_.SetLedCount(2);
    device_.AttachPage();
    ASSERT_TRUE(view.Light(1).has_value());
    EXPECT_TRUE(view.Light(1)->on);
    EXPECT_EQ(view.Light(1)->colour, 0xFFFFFFu);
    EXPECT_EQ(view.Light(1)->level, 255);
    EXPECT_FALSE(view.Light(5).has_value()) << "beyond the device's LEDs";
    EXPECT_FALSE(view.Light(0).has_value()) << "the page has no light there";
    EXPECT_EQ(device_.Description().pageKeyCount, 126);
    EXPECT_EQ(device_.LedCount(), 2);

    // A page without light positions shows nothing; without a page file the
    // device has no keys and no LEDs.
    HeadlessDeviceView bare;
    KestrelUSBDevice other(backend_);
    other.SetView(&bare);
    other.SetDescription(PageDescription("keyboard.xml", 0));
    other.SetLedCount(2);
    other.AttachPage();
    EXPECT_FALSE(bare.Light(0).has_value());
    EXPECT_EQ(other.LedCount(), 2);
    other.SetDescription(PageDescription("", 126));
    other.AttachPage();
    EXPECT_EQ(other.Description().pageKeyCount, 0);
    EXPECT_EQ(other.LedCount(), 0);
}

TEST_F(DeviceTest, SetLedCountWithTheSameCountOnlyClears) {
    device_.SetLedCount(3);
    LightState& lights = device_.Lights();
    lights.SetColour(1, 0x11223344);
    std::vector<LightInfo> records = lights.PerLedRecords();
    records[2][0] = 9;
    lights.SetPerLedRecords(records);
    device_.SetLedCount(3);
    uint32_t colour = lights.Colour(1);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(lights.PerLedRecords()[2][0], 0);
    colour = lights.Colour(3);
    EXPECT_EQ(colour, 0u);
}

TEST_F(DeviceTest, ShowingAFunctionTellsThePageWhetherTheSystemSettingsHaveTheirOwnPage) {
    // (kind, function) -> the system settings have a page of their own
    using F = DeviceFunction;
    const std::tuple<uint32_t, DeviceFunction, bool> cases[] = {
        {kind::kKeyboard, F::kSystem, true},   {kind::kHeadset, F::kSystem, false},
        {kind::kMouse, F::kMacros, true},      {kind::kMouse, F::kSurround, true},
        {kind::kKeyboard, F::kCursor, true},   {kind::kKeyboard, F::kKeys, true},
        {kind::kKeyboard, F::kVoice, true},    {kind::kKeyboard, F::kMagic, true},
        {kind::kKeyboard, F::kLighting, true}, {kind::kMousePad, F::kLighting, false},
    };
    for (const auto& [deviceKind, function, systemOwnPage] : cases) {
        SCOPED_TRACE(::testing::Message() << deviceKind << "/" << static_cast<int>(function));
        auto view = HeadlessDeviceView::WithPositions(0, 0);
        KestrelUSBDevice device(backend_);
        device.SetView(view.get());
        DeviceSlot slot;
        slot.kind = deviceKind;
        device.SetIdentity(slot);
        device.ShowFunction(function);
        EXPECT_EQ(device.ShownFunction(), function);
        EXPECT_EQ(view->Function(), (HeadlessDeviceView::ShownFunction{function, systemOwnPage}));
    }
    // A page without the function areas records nothing; the device still
    // knows what it shows.
    HeadlessDeviceView bare;
    device_.SetView(&bare);
    device_.ShowFunction(DeviceFunction::kKeys);
    EXPECT_EQ(device_.ShownFunction(), DeviceFunction::kKeys);
    EXPECT_FALSE(bare.Function().has_value());
}

TEST_F(DeviceTest, ListenerBlockedInAnInfiniteReadEndsWhenTheChannelCloses) {
    auto keyboard = std::make_shared<sim::SimKeyboard>();
    backend_.Plug(keyboard);
    std::vector<HidInterfaceEntry> entries;
    ASSERT_TRUE(backend_.Enumerate(entries));
    std::string eventPath;
    for (const auto& entry : entries) {
        if (entry.usagePage == 0x000C) eventPath = entry.path;
    }
    ASSERT_FALSE(eventPath.empty());
    ASSERT_TRUE(device_.OpenEventChannel(false, eventPath));
    ASSERT_TRUE(backend_.WaitForBlockedReaders(1, 5000));

    std::vector<std::string> lines;
    SetDebugSink([&](std::string_view line) { lines.emplace_back(line); });
    device_.CloseEventChannel(false);
    SetDebugSink({});
    EXPECT_FALSE(device_.ListenerRunning(false));
    EXPECT_FALSE(device_.EventChannelOpen(false));
    EXPECT_EQ(lines, (std::vector<std::string>{debug::kCableListenerExit, debug::kThreadEnded}));
}

TEST(WorkerThreadTest, StopThatOverrunsItsBoundWritesTheTimeOutAndStillJoins) {
    std::mutex mutex;
    std::condition_variable changed;
    bool release = false;
    bool timedOutLine = false;
    SetDebugSink([&](std::string_view line) {
        std::lock_guard<std::mutex> lock(mutex);
        if (line == debug::kThreadTimedOut) timedOutLine = true;
        changed.notify_all();
    });
    WorkerThread worker("worker ended", 10);
    bool inPass = false;
    // A pass that ignores the stop until the test lets it go.
    ASSERT_TRUE(worker.Start([&] {
        std::unique_lock<std::mutex> lock(mutex);
        inPass = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        return true;
    }));
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return inPass; }));
    }
    WorkerStopOutcome outcome = WorkerStopOutcome::NotRunning;
    std::thread stopper([&] { outcome = worker.Stop(); });
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return timedOutLine; }));
        release = true;
        changed.notify_all();
    }
    stopper.join();
    SetDebugSink({});
    EXPECT_EQ(outcome, WorkerStopOutcome::TimedOut);
    EXPECT_FALSE(worker.Running());
}

TEST(UiLoopTest, SendGivesUpWhenStoppedBeforeTheOwnerTookItUp) {
    UiLoop loop;  // owned by this thread, which does not pump
    std::stop_source stop;
    std::atomic<bool> ran{false};
    bool sent = true;
    std::thread sender([&] { sent = loop.Send([&] { ran = true; }, stop.get_token()); });
    stop.request_stop();
    sender.join();
    EXPECT_FALSE(sent);
    loop.Pump();
    EXPECT_FALSE(ran) << "a task its sender gave up on never runs";

    std::stop_source live;
    std::thread second([&] { sent = loop.Send([&] { ran = true; }, live.get_token()); });
    while (!ran) loop.Pump();
    second.join();
    EXPECT_TRUE(sent);
}

TEST(UiLoopTest, SendStoppedWhileTheTaskRunsWaitsForItToFinish) {
    UiLoop loop;
    std::stop_source stop;
    std::mutex mutex;
    std::condition_variable changed;
    bool returned = false;
    bool sent = false;
    bool finishedBeforeReturn = false;
    std::atomic<bool> taskFinished{false};
    std::thread sender([&] {
        const bool result = loop.Send(
            [&] {
                stop.request_stop();
                // A sender that left on the stop would be seen here.
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return returned; });
                taskFinished = true;
            },
            stop.get_token());
        std::lock_guard<std::mutex> lock(mutex);
        sent = result;
        finishedBeforeReturn = taskFinished;
        returned = true;
        changed.notify_all();
    });
    while (!taskFinished) loop.Pump();
    sender.join();
    EXPECT_TRUE(sent) << "a task taken up before the stop runs and counts as sent";
    EXPECT_TRUE(finishedBeforeReturn) << "Send returned while its task was still running";
}

}  // namespace
}  // namespace ivra
