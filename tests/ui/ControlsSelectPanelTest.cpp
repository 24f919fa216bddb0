// Rubber-band selection on a device picture, driven by real mouse events.
#include <gtest/gtest.h>

#include <QTest>

#include "QtPrinters.h"
#include "SkinTestWindow.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"

namespace ivra::testing {
namespace {

using controls::DeviceKeyButtonUI;
using controls::SelectPanelUI;

// select_panel.ui: key_0 (20,20), key_1 (80,20), light_0 (20,80), light_1
// (80,80), each 40 x 40; key_9 hidden at (140,20); a label at (140,80).
class SelectPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(window.Create(IVRA_UI_TEST_DATA_DIR, "select_panel.ui", &error)) << error.toStdString();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        panel = window.GetPaintManager().Find<SelectPanelUI>("device_key_light");
        ASSERT_NE(panel, nullptr);
    }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(panel, Qt::LeftButton, {}, from);
        QTest::mouseMove(panel, (from + to) / 2);
        QTest::mouseMove(panel, to);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    }
    QStringList Selected() const {
        QStringList names;
        for (DeviceKeyButtonUI* button : panel->SelectedButtons()) names << button->objectName();
        return names;
    }
    SkinTestWindow window;
    SelectPanelUI* panel = nullptr;
};

TEST_F(SelectPanelTest, ADragSelectsTheButtonsItTouches) {
    struct Case {
        const char* what;
        QPoint from;
        QPoint to;
        QStringList selected;
    };
    const Case cases[] = {
        {"top row, left to right", {10, 10}, {130, 30}, {"key_0", "key_1"}},
        {"the same drag backwards", {130, 30}, {10, 10}, {"key_0", "key_1"}},
        {"left column, bottom-up", {30, 130}, {5, 5}, {"key_0", "light_0"}},
        {"touching one corner is enough", {59, 59}, {66, 66}, {"key_0"}},
        {"everything but the hidden button", {5, 5}, {295, 195}, {"key_0", "key_1", "light_0", "light_1"}},
        {"a drag over no button deselects all", {200, 150}, {290, 190}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.seen.clear();
        Drag(c.from, c.to);
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(window.Seen("click_select_end"), QStringList{"click_select_end:device_key_light"});
        EXPECT_FALSE(panel->IsDragging());
    }
}

TEST_F(SelectPanelTest, AClickWithoutAMoveKeepsTheSelectionAndSendsNothing) {
    Drag({10, 10}, {130, 30});
    ASSERT_EQ(Selected(), (QStringList{"key_0", "key_1"}));
    window.seen.clear();
    QTest::mouseClick(panel, Qt::LeftButton, {}, {200, 150});
    EXPECT_EQ(Selected(), (QStringList{"key_0", "key_1"}));
    EXPECT_TRUE(window.Seen("click_select_end").isEmpty());
}

TEST_F(SelectPanelTest, ClicksOnKeysStayClicksAndStartNoBand) {
    auto* key = window.GetPaintManager().Find<DeviceKeyButtonUI>("key_1");
    QTest::mouseClick(key, Qt::LeftButton);
    EXPECT_EQ(window.Seen("click"), QStringList{"click:key_1"});
    EXPECT_TRUE(window.Seen("click_select_end").isEmpty());
    EXPECT_TRUE(Selected().isEmpty());
}

TEST_F(SelectPanelTest, TheBandShowsWhileDragging) {
    QTest::mousePress(panel, Qt::LeftButton, {}, {130, 130});
    QTest::mouseMove(panel, {70, 90});
    EXPECT_TRUE(panel->IsDragging());
    EXPECT_EQ(panel->SelectionRect(), QRect(QPoint(70, 90), QPoint(130, 130)));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, {70, 90});
    EXPECT_EQ(panel->SelectionRect(), QRect());
    EXPECT_EQ(Selected(), QStringList{"light_1"});
}

TEST_F(SelectPanelTest, ADisabledPanelSelectsNothing) {
    panel->setEnabled(false);
    Drag({5, 5}, {295, 195});
    EXPECT_TRUE(Selected().isEmpty());
    EXPECT_TRUE(window.Seen("click_select_end").isEmpty());
}

}  // namespace
}  // namespace ivra::testing
