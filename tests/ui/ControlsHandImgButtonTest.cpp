// The picture buttons of the skin: the delete badge, the hover
// notifications and the cursor names.
#include <gtest/gtest.h>

#include <QTest>

#include "SkinTestWindow.h"
#include "controls/HandImgButtonUI.h"

namespace ivra::testing {
namespace {

using controls::HandImgButtonUI;
using controls::HandImgSelectButtonUI;

class HandImgButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window_.Create(IVRA_UI_TEST_DATA_DIR, "select_panel.ui"));
        button_ = new HandImgButtonUI(window_.GetPaintManager().GetRoot());
        button_->setObjectName(QStringLiteral("picture"));
        button_->setGeometry(10, 10, 120, 80);
        window_.GetPaintManager().AddControls(button_);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        button_->show();
    }
    QPoint Badge() const { return button_->DeleteBadgeRect().center(); }

    SkinTestWindow window_;
    HandImgButtonUI* button_ = nullptr;
};

TEST_F(HandImgButtonTest, TheBadgeDeletesOnlyWhileShownElsewhereTheButtonClicks) {
    // The badge sits 30 and 29 in from the right and bottom edges, 20 wide.
    EXPECT_EQ(button_->DeleteBadgeRect().size(), QSize(20, 20) * (button_->logicalDpiX() / 96.0));
    QTest::mouseMove(button_, Badge());
    EXPECT_EQ(window_.Seen("msenter"), QStringList{"msenter:picture"});

    // Not allowed yet: the badge's place is part of the button_.
    QTest::mouseClick(button_, Qt::LeftButton, {}, Badge());
    EXPECT_EQ(window_.Seen("click"), QStringList{"click:picture"});
    EXPECT_TRUE(window_.Seen("click_handdelete").isEmpty());

    window_.seen.clear();
    button_->SetDeleteBadgeShown(true);
    QTest::mouseClick(button_, Qt::LeftButton, {}, Badge());
    EXPECT_EQ(window_.Seen("click_handdelete"), QStringList{"click_handdelete:picture"});
    EXPECT_TRUE(window_.Seen("click:").isEmpty());

    window_.seen.clear();
    QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(window_.Seen("click"), QStringList{"click:picture"});
}

TEST_F(HandImgButtonTest, HoverIsToldOnlyWhileEnabled) {
    QTest::mouseMove(&window_, QPoint(300, 300));
    window_.seen.clear();
    QTest::mouseMove(button_, QPoint(5, 5));
    QTest::mouseMove(&window_, QPoint(300, 300));
    EXPECT_EQ(window_.Seen("msenter").size(), 1);
    EXPECT_EQ(window_.Seen("msleave").size(), 1);
    window_.seen.clear();
    button_->setEnabled(false);
    QTest::mouseMove(button_, QPoint(5, 5));
    QTest::mouseMove(&window_, QPoint(300, 300));
    EXPECT_TRUE(window_.Seen("msenter").isEmpty());
    EXPECT_TRUE(window_.Seen("msleave").isEmpty());
}

TEST(HandImgSelectButtonTest, TheCursorFollowsItsName) {
    HandImgSelectButtonUI button;
    button.setProperty("cursor", "hand");
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    button.setProperty("cursor", "SIZEWE");
    EXPECT_EQ(button.cursor().shape(), Qt::SizeHorCursor);
    button.setProperty("cursor", "bogus");  // unknown: unchanged
    EXPECT_EQ(button.cursor().shape(), Qt::SizeHorCursor);
}

}  // namespace
}  // namespace ivra::testing
