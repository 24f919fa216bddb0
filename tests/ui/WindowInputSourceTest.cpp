#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <vector>

#include "input/QtKeyCodes.h"
#include "input/WindowInputSource.h"

namespace ivra::ui {
namespace {

TEST(WindowInputSource, QtKeysWithoutAScanCodeMapToLinuxKeys) {
    struct Case {
        int qtKey;
        bool keypad;
        std::optional<int> linuxKey;
    };
    const Case cases[] = {
        {Qt::Key_A, false, KEY_A},
        {Qt::Key_Q, false, KEY_Q},
        {Qt::Key_M, false, KEY_M},
        {Qt::Key_1, false, KEY_1},
        {Qt::Key_Exclam, false, KEY_1},
        {Qt::Key_1, true, KEY_KP1},
        {Qt::Key_Enter, false, KEY_KPENTER},
        {Qt::Key_Return, false, KEY_ENTER},
        {Qt::Key_Control, false, KEY_LEFTCTRL},
        {Qt::Key_F12, false, KEY_F12},
        {Qt::Key_QuoteLeft, false, KEY_GRAVE},
        {Qt::Key_VolumeUp, false, KEY_VOLUMEUP},
        {Qt::Key_Launch0, false, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(LinuxKeyForQtKey(c.qtKey, c.keypad), c.linuxKey) << c.qtKey;
}

TEST(WindowInputSource, TheNativeScanCodeComesFirst) {
    // X keycode 38 is the Linux code 30 (A), whatever the layout calls it.
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 38, 0, 0);
    EXPECT_EQ(LinuxKeyOfEvent(event), KEY_A);
}

TEST(WindowInputSource, SeesEachKeyAndClickOnceAndLetsItThrough) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    layout->addWidget(edit);
    window.show();
    edit->setFocus();

    WindowInputSource source;
    std::vector<InputEvent> seen;
    ASSERT_TRUE(source.Start([&](const InputEvent& event) { seen.push_back(event); }));
    QTest::keyClick(edit, Qt::Key_B);
    QTest::mouseClick(edit, Qt::MiddleButton);
    source.Stop();
    QTest::keyClick(edit, Qt::Key_C);

    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].linuxKeyCode, KEY_B);
    EXPECT_TRUE(seen[0].down);
    EXPECT_FALSE(seen[1].down);
    EXPECT_EQ(seen[2].kind, InputEvent::Kind::kMouseButton);
    EXPECT_EQ(seen[2].button, MouseButton::kMiddle);
    EXPECT_TRUE(seen[2].x.has_value());
    EXPECT_EQ(edit->text(), "bc") << "the source watches, it takes nothing away";
}

}  // namespace
}  // namespace ivra::ui
