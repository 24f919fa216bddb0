// The combo-edit list row and the macro record button of the skin.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "SkinTestWindow.h"
#include "controls/ComboEditContainerElementUI.h"
#include "controls/RedioMacroButtonUI.h"
#include "dui/DialogBuilder.h"

namespace ivra::testing {
namespace {

using controls::ComboEditContainerElementUI;

class ListRowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The window's skin is the shipped one, where the row's content lives.
        ASSERT_TRUE(window_.Create(SkinFolder(), "MsgWnd.ui"));
        QWidget* root = window_.GetPaintManager().GetRoot();
        for (int i = 0; i < 2; ++i) {
            rows_[i] = new ComboEditContainerElementUI(root);
            rows_[i]->setObjectName(QStringLiteral("row%1").arg(i));
            rows_[i]->setGeometry(0, 40 * i, 300, 30);
        }
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        for (auto* row : rows_) row->show();
    }

    SkinTestWindow window_;
    ComboEditContainerElementUI* rows_[2] = {};
};

TEST_F(ListRowTest, EachRowFillsItselfFromTheSkinAndFindsItsOwnControls) {
    for (auto* row : rows_) {
        ASSERT_NE(row->FirstText(), nullptr);
        ASSERT_NE(row->SecondText(), nullptr);
        ASSERT_NE(row->DelayEdit(), nullptr);
        EXPECT_TRUE(row->isAncestorOf(row->DelayEdit()));
    }
    EXPECT_NE(rows_[0]->DelayEdit(), rows_[1]->DelayEdit());

    ComboEditContainerElementUI lonely;
    EXPECT_FALSE(lonely.BuildContent(QStringLiteral("/no/skin/here")));
    EXPECT_TRUE(lonely.findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(lonely.DelayEdit(), nullptr);
}

TEST_F(ListRowTest, SelectsAloneOrTogglesWithCtrlAndTellsClicksActivationAndMenu) {
    QTest::mouseClick(rows_[0], Qt::LeftButton);
    EXPECT_TRUE(rows_[0]->IsSelected());
    EXPECT_EQ(window_.Seen("itemclick"), QStringList{"itemclick:row0"});
    QTest::mouseClick(rows_[1], Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(rows_[0]->IsSelected() && rows_[1]->IsSelected());
    QTest::mouseClick(rows_[1], Qt::LeftButton, Qt::ControlModifier);  // toggled out
    EXPECT_FALSE(rows_[1]->IsSelected());
    QTest::mouseClick(rows_[1], Qt::LeftButton);  // alone
    EXPECT_FALSE(rows_[0]->IsSelected());
    EXPECT_TRUE(rows_[1]->IsSelected());

    window_.seen.clear();
    QTest::mouseDClick(rows_[1], Qt::LeftButton);
    EXPECT_EQ(window_.Seen("itemactivate"), QStringList{"itemactivate:row1"});
    window_.seen.clear();
    rows_[1]->setFocus();
    QTest::keyClick(rows_[1], Qt::Key_Return);
    EXPECT_EQ(window_.Seen("itemactivate"), QStringList{"itemactivate:row1"});
    EXPECT_EQ(window_.Seen("return"), QStringList{"return:row1"});

    window_.seen.clear();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), rows_[1]->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(rows_[1], &menu);
    EXPECT_EQ(window_.Seen("menu"), QStringList{"menu:row1"});
    window_.seen.clear();
    rows_[1]->SetContextMenuEnabled(false);
    QApplication::sendEvent(rows_[1], &menu);
    EXPECT_TRUE(window_.Seen("menu").isEmpty());

    window_.seen.clear();
    rows_[0]->setEnabled(false);
    QTest::mouseClick(rows_[0], Qt::LeftButton);
    QTest::mouseDClick(rows_[0], Qt::LeftButton);
    EXPECT_TRUE(window_.seen.isEmpty());
    EXPECT_FALSE(rows_[0]->IsSelected());
}

TEST(RedioMacroButtonTest, TheMacroEditorsRecordButtonsShowTheirPicture) {
    dui::DialogBuilder builder(SkinFolder());
    controls::RegisterControlClasses();
    std::unique_ptr<QWidget> panel(builder.Create(QStringLiteral("XML\\CustomControlXML\\MacroControl.xml"), nullptr));
    ASSERT_NE(panel, nullptr);
    for (const char* name : {"macro_btn_starredio", "macro_btn_stopredio"}) {
        EXPECT_NE(panel->findChild<controls::RedioMacroButtonUI*>(QString::fromLatin1(name)), nullptr) << name;
    }
    controls::RedioMacroButtonUI button;
    EXPECT_TRUE(button.icon().isNull());
    button.setProperty("redioimage", SkinFolder() + QStringLiteral("/common/background.png"));
    EXPECT_FALSE(button.icon().isNull());
}

}  // namespace
}  // namespace ivra::testing
