// What a key button draws for its light, selection and key-setting state,
// read back from its pixels, and its double click.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "QtPrinters.h"
#include "SkinTestWindow.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/SelectPanelUI.h"

namespace ivra::testing {
namespace {

using controls::DeviceKeyButtonUI;

QImage Render(DeviceKeyButtonUI& button) {
    return button.grab().toImage();
}

bool Near(QColor a, QColor b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

class KeyButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        button.resize(40, 40);
        button.setProperty("bkcolor", "#FF202020");
    }
    QColor Centre() { return Render(button).pixelColor(20, 20); }
    DeviceKeyButtonUI button;
};

TEST_F(KeyButtonTest, TheLedPreviewShowsColourAtItsLevel) {
    struct Case {
        const char* what;
        QString shape;
        bool on;
        QColor colour;
        int level;
        QColor centre;
    };
    const QColor dark(0x20, 0x20, 0x20);
    const Case cases[] = {
        {"lit red key cap", "keycap", true, Qt::red, 255, Qt::red},
        {"lit green round LED", "dot", true, Qt::green, 255, Qt::green},
        {"level 0 is dark", "keycap", true, Qt::red, 0, dark},
        {"off shows the cap", "keycap", false, Qt::red, 255, dark},
        {"no preview shape draws no light", "", true, Qt::red, 255, dark},
        {"a strip lights the bottom only", "bar", true, Qt::blue, 255, dark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        button.SetLightImage(c.shape);
        button.SetLight(c.on, c.colour, c.level);
        const QColor got = Centre();
        EXPECT_TRUE(Near(got, c.centre)) << got.name().toStdString();
    }
    button.SetLightImage("bar");
    button.SetLight(true, Qt::blue, 255);
    EXPECT_TRUE(Near(Render(button).pixelColor(20, 34), Qt::blue));
}

TEST_F(KeyButtonTest, ClearingTheLightRemovesItAtTheNextPaint) {
    button.SetLightImage("keycap");
    button.SetLight(true, Qt::red, 255);
    ASSERT_TRUE(Near(Centre(), Qt::red));
    button.SetLight(false, Qt::red, 255);
    EXPECT_TRUE(Near(Centre(), QColor(0x20, 0x20, 0x20)));
    EXPECT_EQ(button.LightLevel(), 255);
    button.SetLight(true, Qt::red, 999);
    EXPECT_EQ(button.LightLevel(), 255) << "levels are clamped";
}

TEST_F(KeyButtonTest, SelectionAndKeySetMarks) {
    const QColor edge = Render(button).pixelColor(2, 20);
    button.SetSelected(true);
    EXPECT_TRUE(Near(Render(button).pixelColor(2, 20), DeviceKeyButtonUI::SelectionColour(), 60));
    button.SetSelected(false);
    EXPECT_EQ(Render(button).pixelColor(2, 20), edge);

    // The key-setting mark sits in the top right corner and needs a mark
    // name and the flag cleared.
    const QColor corner = Render(button).pixelColor(35, 4);
    button.SetKeySetImage("corner");
    EXPECT_EQ(Render(button).pixelColor(35, 4), corner) << "hidden by default";
    button.SetHideKeySetImage(false);
    EXPECT_NE(Render(button).pixelColor(35, 4), corner);
    button.SetKeySetImage("");
    EXPECT_EQ(Render(button).pixelColor(35, 4), corner);
}

TEST_F(KeyButtonTest, SkinAttributesArriveAsProperties) {
    button.setProperty("lightimage", "dot");
    button.setProperty("keysetimage", "corner");
    button.setProperty("gmnametextcolor", "#FF00FF");
    EXPECT_EQ(button.LightImage(), "dot");
    EXPECT_EQ(button.KeySetImage(), "corner");
    EXPECT_EQ(button.GetClass(), "DeviceKeyButton");
    // The initial state: light off, blue, level 200, overlay hidden.
    DeviceKeyButtonUI fresh;
    EXPECT_FALSE(fresh.IsLightOn());
    EXPECT_EQ(fresh.LightColour(), QColor(0, 0, 255));
    EXPECT_EQ(fresh.LightLevel(), 200);
    EXPECT_TRUE(fresh.IsKeySetImageHidden());
    EXPECT_FALSE(fresh.IsSelected());
}

TEST(KeyButtonInWindow, ADoubleClickNotifiesOnlyWhileEnabled) {
    SkinTestWindow window;
    ASSERT_TRUE(window.Create(IVRA_UI_TEST_DATA_DIR, "select_panel.ui"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* key = window.GetPaintManager().Find<DeviceKeyButtonUI>("key_0");
    QTest::mouseDClick(key, Qt::LeftButton);
    EXPECT_EQ(window.Seen("dbclick"), QStringList{"dbclick:key_0"});
    window.seen.clear();
    key->setEnabled(false);
    QTest::mouseDClick(key, Qt::LeftButton);
    EXPECT_TRUE(window.seen.isEmpty());
}

TEST(KeyButtonInWindow, ThePanelDrawsItsKeysWithTheirLightAndMarks) {
    SkinTestWindow window;
    ASSERT_TRUE(window.Create(IVRA_UI_TEST_DATA_DIR, "select_panel.ui"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* panel = window.GetPaintManager().Find<QWidget>("device_key_light");
    ASSERT_NE(panel, nullptr);
    panel->setProperty("bkcolor", "#FF101010");
    for (const char* name : {"key_0", "key_1", "key_9"}) {
        auto* key = window.GetPaintManager().Find<DeviceKeyButtonUI>(name);
        key->setProperty("bkcolor", "#FF202020");
        key->SetLightImage("keycap");
        key->SetLight(true, Qt::red, 255);
    }
    window.GetPaintManager().Find<DeviceKeyButtonUI>("key_1")->SetSelected(true);
    const QImage picture = panel->grab().toImage();
    EXPECT_TRUE(Near(picture.pixelColor(40, 40), Qt::red)) << "the light of key_0";
    EXPECT_TRUE(Near(picture.pixelColor(82, 40), DeviceKeyButtonUI::SelectionColour(), 60)) << "key_1 selected";
    EXPECT_TRUE(Near(picture.pixelColor(100, 40), Qt::red)) << "the light of key_1 under its mark";
    EXPECT_EQ(picture.pixelColor(160, 40), QColor(0x10, 0x10, 0x10)) << "the hidden key_9 is not drawn";
    EXPECT_EQ(picture.pixelColor(10, 10), QColor(0x10, 0x10, 0x10)) << "the backdrop";

    // Qt's own repaints of a key (here its pressed state) reach the panel,
    // which draws the key pressed.
    auto* select = qobject_cast<controls::SelectPanelUI*>(panel);
    ASSERT_NE(select, nullptr);
    const QColor lit = panel->grab().toImage().pixelColor(40, 40);
    const int paints = select->PaintCount();
    window.GetPaintManager().Find<DeviceKeyButtonUI>("key_0")->setDown(true);
    QTRY_VERIFY(select->PaintCount() > paints);
    EXPECT_NE(panel->grab().toImage().pixelColor(40, 40), lit);
}

}  // namespace
}  // namespace ivra::testing
