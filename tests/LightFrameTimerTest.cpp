// The selector entry's light frame timer: it runs only when a new frame
// exists and the page is seen, paints frames that come close together once
// per display frame, and paints what a hidden page missed when it shows.
// Time is a ManualClock driving a UiLoop; nothing waits.
#include <gtest/gtest.h>

#include <functional>

#include "drivers/KestrelUSBDevice.h"
#include "services/SelectorEntry.h"
#include "base/UiLoop.h"
#include "ManualClock.h"
#include "SimHidBackend.h"

namespace ivra {
namespace {

class PaintCountingDevice final : public KestrelUSBDevice {
public:
    using KestrelUSBDevice::KestrelUSBDevice;
    void PaintLightFrame() override { ++paints; }
    int paints = 0;
};

// A page that may or may not be seen.
class ShowingView final : public IDeviceView {
public:
    bool IsLightPositionShown(size_t /*position*/) override { return true; }
    void ShowLight(size_t, bool, light::Rgb, uint8_t) override {}
    void ShowFunction(DeviceFunction /*function*/, bool /*systemOwnPage*/) override {}
    void ShowPowerStatus(const std::array<uint8_t, 6>& /*record*/) override {}
    bool IsPageShowing() override { return showing; }
    void SetOnPageShown(std::function<void()> shown) override { onShown = std::move(shown); }

    void Show() {
        showing = true;
        if (onShown) onShown();
    }

    bool showing = true;
    std::function<void()> onShown;
};

class NoHost final : public ISelectorEntryHost {
public:
    void OnLinkState(SelectorEntry& /*entry*/, bool /*linked*/) override {}
};

class LightFrameTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        device.SetView(&view);
        device.CommandTransport().SimulateOpenForTest(true);
        entry = std::make_unique<SelectorEntry>(device, loop, host);
    }
    void TearDown() override { entry.reset(); }
    void Advance(uint64_t ms) {
        clock.Advance(ms);
        loop.Pump();
    }
    bool TimerSet() const { return loop.IsTimerSet(entry.get(), entry_timer::kLightFrame); }

    sim::ManualClock clock;
    UiLoop loop{clock};
    sim::SimHidBackend backend;
    PaintCountingDevice device{backend, clock};
    ShowingView view;
    NoHost host;
    std::unique_ptr<SelectorEntry> entry;
};

TEST_F(LightFrameTimerTest, FramesArePaintedOncePerDisplayFrameAndNothingRunsBetween) {
    EXPECT_FALSE(TimerSet());
    for (int i = 0; i < 3; ++i) entry->OnLightFrameReady();
    EXPECT_EQ(loop.TimerRemainingMs(entry.get(), entry_timer::kLightFrame), entry_delay::kLightFrameRepaintMs)
        << "frames that come later do not put the repaint off";
    Advance(entry_delay::kLightFrameRepaintMs - 1);
    EXPECT_EQ(device.paints, 0);
    Advance(1);
    EXPECT_EQ(device.paints, 1);
    EXPECT_FALSE(TimerSet()) << "no new frame, no timer";
    Advance(10000);
    EXPECT_EQ(device.paints, 1);

    // A frame after the repaint gets a repaint of its own.
    entry->OnLightFrameReady();
    Advance(entry_delay::kLightFrameRepaintMs);
    EXPECT_EQ(device.paints, 2);

    // Timers killed (the device went away) do not keep later frames from
    // being painted.
    entry->OnLightFrameReady();
    entry->StopTimers();
    entry->OnLightFrameReady();
    EXPECT_TRUE(TimerSet());
}

TEST_F(LightFrameTimerTest, APageNotSeenIsPaintedWhenItShowsAgain) {
    view.showing = false;
    entry->OnLightFrameReady();
    EXPECT_FALSE(TimerSet());
    Advance(10000);
    EXPECT_EQ(device.paints, 0);
    view.Show();
    Advance(entry_delay::kLightFrameRepaintMs);
    EXPECT_EQ(device.paints, 1);
    // Shown again with nothing new: nothing to paint.
    view.showing = false;
    view.Show();
    EXPECT_FALSE(TimerSet());
}

TEST_F(LightFrameTimerTest, NothingIsPaintedForAClosedDeviceOrWithoutLightControl) {
    struct Case {
        const char* what;
        bool open;
        bool lightControl;
    };
    const Case cases[] = {{"closed", false, true}, {"light control off", true, false}};
    for (const Case& c : cases) {
        device.CommandTransport().SimulateOpenForTest(c.open);
        device.SetLightControlFlag(c.lightControl);
        entry->OnLightFrameReady();
        EXPECT_FALSE(TimerSet()) << c.what;
    }
}

}  // namespace
}  // namespace ivra
