#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "KeyboardPageHarness.h"
#include "controls/DeviceKeyButtonUI.h"
#include "dui/LanguageResources.h"
#include "shell/WindowMessages.h"

namespace ivra::shell {
namespace {

// Choosing another language changes the page's captions, the key names, the
// panels' texts and the tray menu at once.
TEST(LanguageSwitchTest, TheWholeWindowFollowsALanguageChange) {
    testing::KeyboardPageHarness harness;
    ASSERT_TRUE(harness.Start());
    MainWnd& window = harness.Window();
    ASSERT_NE(window.Language(), nullptr);
    const auto keyTip = [&harness](const char* name) {
        auto* key = harness.Control<controls::DeviceKeyButtonUI>(name);
        return key ? key->toolTip() : QString();
    };
    auto* title = harness.Control<QLabel>("repeat_title");
    auto* delay = harness.Control<QLabel>("repeat_delay_time_label1");
    ASSERT_NE(title, nullptr);
    ASSERT_NE(delay, nullptr);
    QStringList seen;
    for (int id : {2052, 1033}) {
        const int index = window.Language()->IndexOfId(id);
        ASSERT_GE(index, 0);
        window.SendMessage(message::kLanguageChanged, static_cast<quintptr>(index), 0);
        const dui::LanguageResources& texts = dui::LanguageResources::Instance();
        EXPECT_EQ(title->text(), texts.Text(QStringLiteral("repeat_title_text"))) << id;
        QTRY_VERIFY(delay->text().startsWith(texts.Text(QStringLiteral("Repeat_Delay_Time"))));
        QAction* exit = window.TrayMenu()->findChild<QAction*>(QStringLiteral("exit"));
        EXPECT_EQ(exit->text(), texts.Text(QStringLiteral("menu_exit_text"))) << id;
        // The space bar's name differs between the two languages.
        QTRY_VERIFY(keyTip("key_108").contains(texts.Text(QStringLiteral("keyboard_key_Space"))));
        seen << title->text() + keyTip("key_108");
    }
    EXPECT_NE(seen[0], seen[1]);
}

}  // namespace
}  // namespace ivra::shell
