#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "KeyboardPageHarness.h"
#include "dui/LanguageResources.h"

namespace ivra::shell {
namespace {

// The tray menu offers the skin's items in the window's language; its light
// toggle follows and changes the program's light control.
TEST(TrayMenuTest, OffersTheSkinsItemsAndTogglesTheLightControl) {
    testing::KeyboardPageHarness harness;
    ASSERT_TRUE(harness.Start());
    QMenu* menu = harness.Window().TrayMenu();
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (QAction* action : menu->actions()) {
        names << action->objectName();
        const QString key = action->property("textKey").toString();
        EXPECT_EQ(action->text(), dui::LanguageResources::Instance().Text(key)) << key.toStdString();
        EXPECT_NE(action->text(), key) << "no text for " << key.toStdString();
    }
    EXPECT_EQ(names, (QStringList{"show", "control_light", "about", "exit"}));

    QAction* toggle = menu->findChild<QAction*>(QStringLiteral("control_light"));
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isChecked());
    toggle->trigger();
    EXPECT_FALSE(harness.Window().LightControl());
    EXPECT_FALSE(toggle->isChecked());
    harness.Window().SetLightControl(true);
    EXPECT_TRUE(toggle->isChecked());

    harness.Window().hide();
    menu->findChild<QAction*>(QStringLiteral("show"))->trigger();
    EXPECT_TRUE(harness.Window().isVisible());
}

}  // namespace
}  // namespace ivra::shell
