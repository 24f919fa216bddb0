// The drawn colour palette: what a click picks, what it says, what it
// repaints, and what it tells assistive technology.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include "controls/ColourPaletteUI.h"

namespace ivra::controls {
namespace {

class ColourPaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        palette_.resize(180, 90);
        palette_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette_));
    }
    ColourPaletteUI palette_;
};

TEST_F(ColourPaletteTest, AClickPicksTheColourUnderItAndSaysSoOnce) {
    QSignalSpy picked(&palette_, &ColourPaletteUI::ColourPicked);
    const QRect field = palette_.FieldRect();
    struct Case {
        QPoint point;
        int hue;  // -1: any
        int saturation;
    };
    const Case cases[] = {
        // Red; not at (0, 0), which QTest takes for the centre.
        {field.topLeft() + QPoint(1, 1), 0, 255},
        {QPoint(field.center().x(), field.top()), 180, 255},  // cyan, half way along
        {QPoint(field.left() + 5, field.bottom()), -1, 0},    // no saturation: white
    };
    for (const Case& c : cases) {
        const QColor expected = palette_.ColourAt(c.point).toHsv();
        if (c.hue >= 0) {
            EXPECT_NEAR(expected.hsvHue(), c.hue, 2);
        }
        EXPECT_NEAR(expected.hsvSaturation(), c.saturation, 4);
        picked.clear();
        QTest::mouseClick(&palette_, Qt::LeftButton, {}, c.point);
        ASSERT_EQ(picked.size(), 1);
        EXPECT_EQ(picked[0][0].value<QColor>().rgb(), expected.rgb());
        EXPECT_EQ(palette_.Colour().rgb(), expected.rgb());
    }
    // The strip sets the value of the colour chosen in the field.
    const QRect strip = palette_.StripRect();
    QTest::mouseClick(&palette_, Qt::LeftButton, {}, QPoint(strip.center().x(), strip.bottom()));
    EXPECT_EQ(palette_.Colour().value(), 0);
}

TEST_F(ColourPaletteTest, ShowingAColourSaysNothingAndKeysMoveIt) {
    QSignalSpy picked(&palette_, &ColourPaletteUI::ColourPicked);
    palette_.SetColour(QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(palette_.Colour().rgb(), QColor(0x12, 0x34, 0x56).rgb()) << "shown exactly, not rounded";
    EXPECT_TRUE(picked.isEmpty());
    palette_.setFocus();
    QTest::keyClick(&palette_, Qt::Key_Right);
    ASSERT_EQ(picked.size(), 1);
    EXPECT_NE(palette_.Colour().rgb(), QColor(0x12, 0x34, 0x56).rgb());
    QTest::keyClick(&palette_, Qt::Key_PageDown);
    EXPECT_EQ(picked.size(), 2);
}

TEST_F(ColourPaletteTest, RepaintsReuseTheField) {
    palette_.repaint();
    const int built = palette_.FieldBuildCount();
    EXPECT_GE(built, 1);
    for (int i = 0; i < 5; ++i) {
        palette_.SetColour(QColor::fromHsv(i * 40, 200, 200));
        palette_.repaint();
    }
    EXPECT_EQ(palette_.FieldBuildCount(), built);
    palette_.resize(200, 100);
    palette_.repaint();
    EXPECT_EQ(palette_.FieldBuildCount(), built + 1);
}

TEST_F(ColourPaletteTest, IsAColourChooserWhoseValueIsTheColour) {
    palette_.setAccessibleName(QStringLiteral("Colour palette"));
    palette_.SetColour(QColor(0xFF, 0x80, 0x00));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&palette_);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ColorChooser);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Colour palette");
    EXPECT_EQ(accessible->text(QAccessible::Value), "#FF8000");
}

}  // namespace
}  // namespace ivra::controls
