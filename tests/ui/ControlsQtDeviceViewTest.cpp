// A keyboard device object showing its state on a built keyboard page
// through its Qt view: the view finds the button of each key and light
// position, the device's colours show on the buttons, its functions switch
// the page's tabs, and calls from other threads arrive on the UI thread
// without waiting for it.
#include <gtest/gtest.h>

#include <QStackedWidget>
#include <QTest>
#include <map>
#include <thread>

#include "QtPrinters.h"
#include "SkinTestWindow.h"
#include "controls/DeviceKeyButtonUI.h"
#include "device/QtDeviceView.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "SimHidBackend.h"

namespace ivra::testing {
namespace {

using controls::DeviceKeyButtonUI;
using ui::ControlHandle;
using ui::kNoControl;
using ui::PageChild;
using ui::QtDeviceView;

constexpr int kKeyboardLeds = 126;
constexpr size_t kKeysOnPicture = 98;  // the positions of the keyboard's key matrix

uint32_t Led(int red, int green, int blue, int brightness) {
    return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16 |
           static_cast<uint32_t>(brightness) << 24;
}

class QtDeviceViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(window.Create(SkinFolder(), "XML\\DeviceXml\\keyboarddevice.xml", &error)) << error.toStdString();
        view = std::make_unique<QtDeviceView>(window.GetPaintManager().GetRoot());
        device.SetView(view.get());
        DeviceDescription description;
        description.pageXml = "XML\\DeviceXml\\keyboarddevice.xml";
        description.pageKeyCount = kKeyboardLeds;
        device.SetDescription(description);
        DeviceSlot keyboardSlot;
        keyboardSlot.kind = kind::kKeyboard;
        device.SetIdentity(keyboardSlot);
        device.SetLedCount(kKeyboardLeds);
        // No frames are streamed to a device through its receiver, so the
        // light pump only paints.
        device.CommandTransport().SimulateReceiverPathForTest(true);
        device.AttachPage();
    }
    void TearDown() override { device.Shutdown(); }

    DeviceKeyButtonUI* LightButton(int led) { return view->KeyButton(view->LightControl(static_cast<size_t>(led))); }

    SkinTestWindow window;
    std::unique_ptr<QtDeviceView> view;
    sim::SimHidBackend backend;
    KestrelKeyboardDevice device{backend};
};

TEST_F(QtDeviceViewTest, TheDeviceFindsItsKeyAndLightButtons) {
    struct Case {
        int position;
        bool onPicture;
    };
    // Positions the picture shows, and ones this keyboard has no key for.
    const Case cases[] = {{0, true}, {34, true}, {108, true}, {119, true}, {125, false}, {13, false}, {111, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        const ControlHandle key = view->KeyControl(static_cast<size_t>(c.position));
        const ControlHandle light = view->LightControl(static_cast<size_t>(c.position));
        EXPECT_EQ(key != kNoControl, c.onPicture);
        EXPECT_EQ(light != kNoControl, c.onPicture);
        if (!c.onPicture) continue;
        // One drawn control is the key and the light of its position.
        EXPECT_EQ(view->Control(key)->objectName(), QStringLiteral("key_%1").arg(c.position));
        EXPECT_EQ(light, key);
        // Attaching the page switches every light button on, white at full level.
        DeviceKeyButtonUI* button = view->KeyButton(light);
        EXPECT_TRUE(button->IsLightOn());
        EXPECT_EQ(button->LightColour(), QColor(255, 255, 255));
        EXPECT_EQ(button->LightLevel(), 255);
    }
    size_t keys = 0;
    for (size_t p = 0; p < kKeyboardLeds; ++p) keys += view->KeyControl(p) != kNoControl ? 1 : 0;
    EXPECT_EQ(keys, kKeysOnPicture);
}

TEST_F(QtDeviceViewTest, ColoursSetOnTheDeviceShowOnTheLightButtons) {
    device.Lights().SetColour(64, Led(255, 0, 0, 200));    // A
    device.Lights().SetColour(65, Led(0, 128, 255, 255));  // S
    device.Lights().SetColour(108, Led(10, 20, 30, 0));    // space, dark
    device.PushLightFrame();
    EXPECT_EQ(LightButton(64)->LightColour(), QColor(255, 0, 0));
    EXPECT_EQ(LightButton(64)->LightLevel(), 200);
    EXPECT_EQ(LightButton(65)->LightColour(), QColor(0, 128, 255));
    EXPECT_EQ(LightButton(108)->LightColour(), QColor(10, 20, 30));
    EXPECT_EQ(LightButton(108)->LightLevel(), 0);

    // The keyboard shows a hidden light button (and every button outside
    // the lighting tab) dark.
    LightButton(65)->hide();
    EXPECT_FALSE(view->IsLightPositionShown(65));
    device.Lights().SetColour(65, Led(1, 2, 3, 4));
    device.PushLightFrame();
    EXPECT_EQ(LightButton(65)->LightColour(), QColor(0, 0, 0));
    EXPECT_EQ(LightButton(65)->LightLevel(), 0);
    LightButton(65)->show();
    EXPECT_TRUE(view->IsLightPositionShown(65));

    // With the program's light control off nothing is painted.
    device.SetLightControlFlag(false);
    device.Lights().SetColour(64, Led(0, 255, 0, 255));
    device.PushLightFrame();
    EXPECT_EQ(LightButton(64)->LightColour(), QColor(255, 0, 0));
}

TEST_F(QtDeviceViewTest, AFrameRepaintsOnlyTheKeysWhoseLightChanged) {
    int shownCalls = 0;
    view->SetOnPageShown([&] { ++shownCalls; });
    EXPECT_FALSE(view->IsPageShowing()) << "not on screen yet";
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(view->IsPageShowing());
    EXPECT_EQ(shownCalls, 1);
    device.PushLightFrame();
    QCoreApplication::processEvents();
    std::map<int, int> paints, builds;
    auto record = [&] {
        for (int p = 0; p < kKeyboardLeds; ++p) {
            if (view->LightControl(static_cast<size_t>(p)) == kNoControl) continue;
            paints[p] = LightButton(p)->PaintCount();
            builds[p] = LightButton(p)->LayerBuildCount();
        }
    };
    record();
    ASSERT_GT(paints[64], 0);

    // The same frame again paints nothing; new colours redraw those keys
    // alone, without redrawing their cached caps and legends, in one paint
    // of the panel.
    const int panelPaints = view->SelectPanel()->PaintCount();
    device.PushLightFrame();
    device.Lights().SetColour(64, Led(0, 255, 0, 255));
    device.Lights().SetColour(84, Led(0, 0, 255, 255));
    device.PushLightFrame();
    QTRY_COMPARE(LightButton(64)->PaintCount(), paints[64] + 1);
    QCoreApplication::processEvents();
    for (const auto& [position, count] : paints) {
        if (position == 64 || position == 84) continue;
        EXPECT_EQ(LightButton(position)->PaintCount(), count) << position;
    }
    EXPECT_EQ(LightButton(84)->PaintCount(), paints[84] + 1);
    EXPECT_EQ(view->SelectPanel()->PaintCount(), panelPaints + 1) << "one paint for the whole frame";
    EXPECT_EQ(LightButton(64)->LayerBuildCount(), builds[64]);
    EXPECT_TRUE(LightButton(64)->CoversBackdrop())
        << "the key holds the panel's backdrop, so the panel draws no backdrop behind it";

    // Hidden or minimised, the page is not seen; it says so when it shows.
    window.hide();
    EXPECT_FALSE(view->IsPageShowing());
    record();
    device.Lights().SetColour(64, Led(0, 0, 255, 255));
    device.PushLightFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(LightButton(64)->PaintCount(), paints[64]) << "nothing is painted while hidden";
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(shownCalls, 2);
    window.showMinimized();
    QTRY_VERIFY(!view->IsPageShowing());
    window.showNormal();
    QTRY_COMPARE(shownCalls, 3);
}

TEST_F(QtDeviceViewTest, FunctionTabsSwitchByName) {
    auto* functions = window.GetPaintManager().Find<QStackedWidget>("device_function_switch");
    auto* keyFunctions = window.GetPaintManager().Find<QStackedWidget>("device_key_function_switch");
    ASSERT_NE(functions, nullptr);
    ASSERT_NE(keyFunctions, nullptr);
    struct Case {
        int type;
        int function;
        int keyFunction;  // -1: not looked at
    };
    const Case cases[] = {{2, 0, 1}, {3, 1, -1}, {5, 2, -1}, {4, 3, -1}, {1, 0, 0}, {7, 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        device.ShowFunction(static_cast<DeviceFunction>(c.type));
        EXPECT_EQ(functions->currentIndex(), c.function);
        if (c.keyFunction >= 0) {
            EXPECT_EQ(keyFunctions->currentIndex(), c.keyFunction);
        }
    }
    // The key setting tab leaves the keys that only the lighting tab uses
    // disabled; the lighting tab enables them again.
    QWidget* lightingOnlyKey = view->Control(view->KeyControl(0));
    ASSERT_NE(lightingOnlyKey, nullptr);
    device.ShowFunction(DeviceFunction::kKeys);
    EXPECT_FALSE(lightingOnlyKey->isEnabled());
    device.ShowFunction(DeviceFunction::kMacros);
    EXPECT_FALSE(lightingOnlyKey->isEnabled()) << "other functions leave the keys as they are";
    device.ShowFunction(DeviceFunction::kLighting);
    EXPECT_TRUE(lightingOnlyKey->isEnabled());
    view->SelectTab("device_function_switch", 9);
    EXPECT_EQ(functions->currentIndex(), 0) << "a tab that does not exist changes nothing";
    EXPECT_FALSE(view->HasTabLayout("device_switch"));
}

TEST_F(QtDeviceViewTest, CallsFromOtherThreadsAreQueuedToTheUiThread) {
    const ControlHandle a = view->LightControl(64);
    std::array<uint8_t, 6> seenPower{};
    int powerCalls = 0;
    view->SetPowerStatusSink([&](const QtDeviceView::PowerStatus& record) {
        seenPower = record;
        ++powerCalls;
    });
    std::thread worker([&] {
        // Questions are answered at once from the view's own record.
        std::vector<PageChild> children;
        EXPECT_TRUE(view->SelectPanelChildren(children));
        EXPECT_EQ(children.size(), 2 * kKeysOnPicture);
        EXPECT_TRUE(view->IsControlVisible(a));
        EXPECT_TRUE(view->IsLightPositionShown(64));
        EXPECT_TRUE(view->HasTabLayout("DEVICE_FUNCTION_SWITCH"));
        view->SetLightButton(a, true, light::Rgb{0, 255, 0}, 90);
        view->SetLightButton(a, true, light::Rgb{255, 0, 0}, 100);  // the later one wins
        view->SelectTab("device_function_switch", 1);
        view->ShowPowerStatus({1, 2, 3, 4, 5, 6});
    });
    worker.join();
    // Nothing has happened yet: the UI thread has not run its queue.
    EXPECT_EQ(view->KeyButton(a)->LightColour(), QColor(255, 255, 255));
    EXPECT_EQ(powerCalls, 0);
    QTRY_COMPARE(view->KeyButton(a)->LightColour(), QColor(255, 0, 0));
    EXPECT_EQ(view->KeyButton(a)->LightLevel(), 100);
    EXPECT_EQ(window.GetPaintManager().Find<QStackedWidget>("device_function_switch")->currentIndex(), 1);
    EXPECT_EQ(powerCalls, 1);
    EXPECT_EQ(seenPower[5], 6);
    EXPECT_EQ(QtDeviceView::UnpackColour(0x112233), QColor(0x33, 0x11, 0x22));
}

TEST(QtDeviceViewWithoutPicture, APageWithoutSelectPanelBindsNothing) {
    QWidget page;
    QtDeviceView view(&page);
    std::vector<PageChild> children;
    EXPECT_FALSE(view.SelectPanelChildren(children));
    EXPECT_FALSE(view.IsControlVisible(0));
    view.SetLightButton(3, true, light::Rgb{255, 255, 255}, 255);  // no such button: ignored
    EXPECT_EQ(view.KeyButton(3), nullptr);
    EXPECT_EQ(view.KeyControl(3), kNoControl);
    EXPECT_EQ(view.LightControl(3), kNoControl);
    EXPECT_FALSE(view.IsLightPositionShown(3));
    view.ShowLight(3, true, light::Rgb{255, 255, 255}, 255);  // no such position: ignored
    view.ShowKeyInfo(3, "A", "Key_Set A", true);
}

}  // namespace
}  // namespace ivra::testing
