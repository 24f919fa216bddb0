#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QColor>
#include <QApplication>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include "KeyboardPageHarness.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/KeyButtonAccessible.h"
#include "dui/LanguageResources.h"

namespace ivra::shell {
namespace {

bool Interactive(QAccessible::Role role) {
    static const QSet<QAccessible::Role> kRoles = {
        QAccessible::PushButton, QAccessible::Button,         QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::ComboBox,   QAccessible::Slider,         QAccessible::SpinBox,  QAccessible::EditableText,
        QAccessible::ButtonMenu, QAccessible::ButtonDropDown, QAccessible::List,     QAccessible::PageTab};
    return kRoles.contains(role);
}

// Every shown interactive control below `root` that assistive tools would
// hear without a name, as "objectName (role)".
QStringList UnnamedControls(QObject* root) {
    QStringList unnamed;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        if (node == nullptr || !node->isValid() || node->state().invisible) return;
        if (Interactive(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()) {
            const QObject* object = node->object();
            unnamed << (object ? object->objectName() : QStringLiteral("?")) + QStringLiteral(" (") +
                           QString::number(node->role(), 16) + QLatin1Char(')');
        }
        for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(root));
    return unnamed;
}

// The main window and each panel of the keyboard page, as a user of a
// screen reader meets them: no interactive control is nameless.
TEST(AccessibilityTest, EveryControlOfTheWindowAndTheKeyboardPanelsHasAName) {
    testing::KeyboardPageHarness harness;
    ASSERT_TRUE(harness.Start());
    for (const char* tab : {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}) {
        harness.OpenTab(tab);
        const QStringList unnamed = UnnamedControls(&harness.Window());
        EXPECT_TRUE(unnamed.isEmpty()) << tab << ": " << unnamed.join(QStringLiteral(", ")).toStdString();
    }
}

// A key button says its label, its light and what it does instead.
TEST(AccessibilityTest, AKeyButtonSaysItsLabelLightAndAssignment) {
    testing::KeyboardPageHarness harness;  // loads the language
    ASSERT_TRUE(harness.Start());
    const auto text = [](const char* key) { return dui::LanguageResources::Instance().Text(QString::fromLatin1(key)); };
    const QString red = text("key_state_lit_text").arg(text("colour_red_text"));
    EXPECT_EQ(controls::KeyButtonAccessibleName("A", "Ctrl+C", false, true, QColor(255, 0, 0), 255),
              "A, " + red + ", " + text("key_state_assigned_text").arg("Ctrl+C"));
    EXPECT_EQ(controls::KeyButtonAccessibleName("A", "A", true, true, QColor(250, 10, 5), 120), "A, " + red);
    EXPECT_EQ(controls::KeyButtonAccessibleName("A", "A", true, true, QColor(255, 0, 0), 0),
              "A, " + text("key_state_unlit_text"));
    EXPECT_EQ(controls::ColourName(QColor(240, 240, 255)), text("colour_white_text"));
    EXPECT_EQ(controls::ColourName(QColor(0, 0, 255)), text("colour_blue_text"));

    // The page's key buttons answer through Qt's accessibility.
    controls::DeviceKeyButtonUI* key = nullptr;
    for (auto* button : harness.Page()->findChildren<controls::DeviceKeyButtonUI*>()) {
        if (!button->KeyLabel().isEmpty()) {
            key = button;
            break;
        }
    }
    ASSERT_NE(key, nullptr);
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(key);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(node->text(QAccessible::Name).startsWith(key->KeyLabel() + ", "))
        << node->text(QAccessible::Name).toStdString();
}

// The key picture is one stop of the focus chain: Tab reaches one key, the
// arrows move between keys, Return picks one, and Tab goes on to the panels.
TEST(AccessibilityTest, TheKeyPictureIsOneFocusStopWalkedWithTheArrows) {
    testing::KeyboardPageHarness harness;
    ASSERT_TRUE(harness.Start());
    harness.OpenTab("key_Op_tab");
    const QList<controls::DeviceKeyButtonUI*> keys = harness.Page()->findChildren<controls::DeviceKeyButtonUI*>();
    ASSERT_GT(keys.size(), 60);
    controls::DeviceKeyButtonUI* stop = nullptr;
    int stops = 0;
    for (controls::DeviceKeyButtonUI* key : keys) {
        if ((key->focusPolicy() & Qt::TabFocus) != 0) {
            stop = key;
            ++stops;
        }
    }
    ASSERT_EQ(stops, 1);
    harness.Window().activateWindow();
    stop->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(stop->hasFocus());

    QTest::keyClick(stop, Qt::Key_Right);
    auto* right = qobject_cast<controls::DeviceKeyButtonUI*>(QApplication::focusWidget());
    ASSERT_NE(right, nullptr);
    EXPECT_GT(right->geometry().center().x(), stop->geometry().center().x());
    EXPECT_LT(std::abs(right->geometry().center().y() - stop->geometry().center().y()), stop->height());
    QTest::keyClick(right, Qt::Key_Down);
    auto* below = qobject_cast<controls::DeviceKeyButtonUI*>(QApplication::focusWidget());
    ASSERT_NE(below, nullptr);
    EXPECT_GT(below->geometry().center().y(), right->geometry().center().y());
    // The key focused last holds the stop now.
    EXPECT_NE(below->focusPolicy() & Qt::TabFocus, 0);
    EXPECT_EQ(stop->focusPolicy() & Qt::TabFocus, 0);

    QSignalSpy picked(below, &QAbstractButton::clicked);
    QTest::keyClick(below, Qt::Key_Return);
    EXPECT_EQ(picked.size(), 1);

    QTest::keyClick(below, Qt::Key_Tab);
    EXPECT_EQ(qobject_cast<controls::DeviceKeyButtonUI*>(QApplication::focusWidget()), nullptr);
}

}  // namespace
}  // namespace ivra::shell
