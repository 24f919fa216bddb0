#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "QtPrinters.h"
#include "dui/ControlFactory.h"
#include "dui/LanguageResources.h"
#include "dui/WindowImplBase.h"

namespace ivra::dui {
namespace {

struct Seen {
    QString type;
    QString sender;
    quintptr wParam;
};

class TestWindow : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return QStringLiteral("TestWindow"); }
    void InitWindow() override { ++initCount; }
    void Notify(TNotifyUI& msg) override { seen.push_back({msg.sType, ControlName(msg.pSender), msg.wParam}); }
    QWidget* CreateControl(const QString& className, QWidget* parent) override {
        if (className.compare(QStringLiteral("kestrelkeyboarddevice"), Qt::CaseInsensitive) == 0) {
            auto* page = new QFrame(parent);
            page->setProperty("madeBy", "window");
            return page;
        }
        return nullptr;
    }
    bool HandleMessage(uint message, quintptr wParam, qintptr lParam) override {
        messages.push_back({message, wParam, lParam});
        return true;
    }
    QStringList Types(const QString& sender) const {
        QStringList types;
        for (const Seen& s : seen) {
            if (s.sender == sender) types << s.type;
        }
        return types;
    }
    std::vector<Seen> seen;
    std::vector<std::tuple<uint, quintptr, qintptr>> messages;
    int initCount = 0;
};

class DuiLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ControlFactory::Instance().RegistControl(QStringLiteral("TestPanel"), [](QWidget* parent) {
            auto* panel = new QLabel(parent);
            panel->setProperty("madeBy", "factory");
            return panel;
        });
        QString error;
        ASSERT_TRUE(window.Create(IVRA_UI_TEST_DATA_DIR, QStringLiteral("window.ui"), &error)) << error.toStdString();
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    template <class T>
    T* Control(const char* name) {
        return window.GetPaintManager().Find<T>(QString::fromLatin1(name));
    }
    TestWindow window;
};

TEST_F(DuiLayerTest, BuildsTheSkinWithCustomControlsAndIncludes) {
    EXPECT_EQ(window.initCount, 1);
    PaintManager& pm = window.GetPaintManager();
    // Names are found without regard to case.
    EXPECT_EQ(pm.FindControl("KEY_BUTT_PROSAVE"), pm.FindControl("key_butt_prosave"));
    ASSERT_NE(pm.FindControl("Key_Butt_Prosave"), nullptr);
    EXPECT_EQ(pm.FindControl("page")->property("madeBy").toString(), "window");
    EXPECT_EQ(pm.FindControl("panel")->property("madeBy").toString(), "factory");
    // The included file's own custom tags come from the factory.
    EXPECT_EQ(pm.FindControl("included_panel")->property("madeBy").toString(), "factory");
    QWidget* holder = pm.FindControl("include_holder");
    EXPECT_EQ(PaintManager::FindSubControlByName(holder, "INCLUDED_LABEL"), pm.FindControl("included_label"));
    EXPECT_EQ(PaintManager::FindSubControlByName(holder, "DPI_edit_1"), nullptr);

    QTRY_COMPARE(window.Types("root"), QStringList{"windowinit"});

    TestWindow broken;
    QString error;
    EXPECT_FALSE(broken.Create(IVRA_UI_TEST_DATA_DIR, QStringLiteral("missing.xml"), &error));
    EXPECT_TRUE(error.contains("missing.ui"));
}

TEST_F(DuiLayerTest, AnEditLosesFocusBeforeTheClickThatTookIt) {
    auto* edit = Control<QLineEdit>("DPI_edit_1");
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClicks(edit, "800");
    QTest::mouseClick(Control<QAbstractButton>("key_butt_prosave"), Qt::LeftButton);
    QStringList order;
    for (const Seen& s : window.seen) {
        if (s.type != "windowinit") order << s.type + ":" + s.sender;
    }
    EXPECT_EQ(order, (QStringList{"setfocus:DPI_edit_1", "textchanged:DPI_edit_1", "textchanged:DPI_edit_1",
                                  "textchanged:DPI_edit_1", "killfocus:DPI_edit_1", "click:key_butt_prosave"}));
}

TEST_F(DuiLayerTest, OptionGroupsSelectOneOrNone) {
    auto* light = Control<QAbstractButton>("deng_Op_tab");
    auto* keys = Control<QAbstractButton>("key_Op_tab");
    QTest::mouseClick(light, Qt::LeftButton);
    EXPECT_TRUE(light->isChecked());
    QTest::mouseClick(keys, Qt::LeftButton);
    EXPECT_TRUE(keys->isChecked());
    EXPECT_FALSE(light->isChecked());
    QTest::mouseClick(keys, Qt::LeftButton);  // clicking the selected one keeps it
    EXPECT_TRUE(keys->isChecked());
    EXPECT_EQ(window.Types("key_Op_tab"), (QStringList{"click", "selectchanged", "click"}));
    PaintManager::SelectOption(keys, false);  // a group may end with none selected
    EXPECT_FALSE(keys->isChecked());
    EXPECT_FALSE(light->isChecked());
}

TEST_F(DuiLayerTest, SlidersCombosAndReturn) {
    auto* slider = Control<QSlider>("DPI_slider_2");
    slider->setSliderDown(true);
    slider->setValue(40);
    slider->setValue(60);
    slider->setSliderDown(false);
    EXPECT_EQ(window.Types("DPI_slider_2"), (QStringList{"movevaluechanged", "movevaluechanged", "valuechanged"}));
    EXPECT_EQ(window.seen.back().wParam, 60u);

    auto* combo = Control<QComboBox>("device_profile_combo");
    combo->addItems({"profile1", "profile2"});
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(window.Types("device_profile_combo"), QStringList{"itemselect"});
    EXPECT_EQ(window.seen.back().wParam, 1u);

    QTest::mouseClick(Control<QLineEdit>("DPI_edit_1"), Qt::LeftButton);
    QTest::keyClick(Control<QLineEdit>("DPI_edit_1"), Qt::Key_Return);
    EXPECT_TRUE(window.Types("DPI_edit_1").contains("return"));
}

TEST_F(DuiLayerTest, TimersAreOneShotAndReplaced) {
    PaintManager& pm = window.GetPaintManager();
    QSignalSpy fired(&pm, &PaintManager::TimerFired);
    QWidget* owner = pm.FindControl("page");
    pm.SetTimer(owner, 1055, 5);
    pm.SetTimer(owner, 1055, 20);  // replaces the first
    pm.SetTimer(owner, 1032, 1);
    pm.KillTimer(owner, 1032);
    EXPECT_TRUE(pm.HasTimer(owner, 1055));
    EXPECT_FALSE(pm.HasTimer(owner, 1032));
    ASSERT_TRUE(fired.wait(2000));
    pm.SetTimer(owner, 7, 30);  // a later timer: the killed and replaced ones had their chance
    ASSERT_TRUE(fired.wait(2000));
    ASSERT_EQ(fired.size(), 2);
    EXPECT_EQ(fired[0][1].toInt(), 1055);
    EXPECT_EQ(fired[1][1].toInt(), 7);
    EXPECT_FALSE(pm.HasTimer(owner, 1055));
    EXPECT_EQ(window.Types("page"), (QStringList{"timer", "timer"}));
}

TEST_F(DuiLayerTest, LanguageTextsAreAppliedAndKeptOnAFailedLoad) {
    LanguageResources& language = LanguageResources::Instance();
    ASSERT_TRUE(language.LoadLanguage(QString(IVRA_UI_TEST_DATA_DIR) + "/lan_en.xml"));
    language.ReloadText(&window);
    auto* label = Control<QLabel>("included_label");
    EXPECT_EQ(label->text(), "Hello");
    EXPECT_EQ(language.LanguageName(), "English");
    QString error;
    EXPECT_FALSE(language.LoadLanguage(QString(IVRA_UI_TEST_DATA_DIR) + "/window.ui", &error));
    EXPECT_EQ(language.Text("hello_text"), "Hello");
    EXPECT_EQ(language.Text("no_such_key"), "no_such_key");
}

TEST_F(DuiLayerTest, PostedMessagesRunLaterOnTheWindowThread) {
    window.PostMessage(0x0C12, 3, 0);
    EXPECT_TRUE(window.messages.empty());
    QTRY_COMPARE(window.messages.size(), 1u);
    EXPECT_EQ(std::get<0>(window.messages[0]), 0x0C12u);
    EXPECT_TRUE(window.SendMessage(0x0C13, 4, 0));
    EXPECT_EQ(window.messages.size(), 2u);
}

}  // namespace
}  // namespace ivra::dui
