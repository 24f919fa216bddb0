#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "QtPrinters.h"
#include "base/JsonHelpers.h"
#include "profile/DeviceProfileUI.h"
#include "shell/MainWnd.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"
#include "SimHidBackend.h"

namespace ivra::profile::ui {
namespace {

namespace fs = std::filesystem;

const QString kSkin = QStringLiteral(IVRA_SOURCE_DIR "/skin");
const fs::path kDefaultData = fs::path(IVRA_SOURCE_DIR) / "DefaultData";

// One profile panel built from the shipped skin, its clicks and choices
// routed to the panel as the main window routes them, and a message box
// that records what it was asked and gives a set answer.
class PanelHarness : public dui::INotifyUI {
public:
    PanelHarness(const fs::path& dataFolder, int kind, const char* kindName) {
        QString error;
        dui::DialogBuilder builder(kSkin);
        widget.reset(builder.Create(QStringLiteral("XML\\CustomControlXML\\DeviceProfile.xml"), nullptr, &error));
        if (!widget) {
            ADD_FAILURE() << error.toStdString();
            return;
        }
        paint = std::make_unique<dui::PaintManager>(this);
        paint->AttachRoot(widget.get());
        fs::create_directories(dataFolder);
        ProfileStoreSetup setup;
        setup.dataFolder = dataFolder;
        setup.defaultDataFile = kDefaultData / (std::string(kindName) + ".Json");
        setup.deviceKind = kind;
        panel = std::make_unique<DeviceProfileUI>(widget.get(), setup);
        panel->SetMessageBox([this](const QString& key, int buttons, int number) {
            asked.push_back(key.toStdString() + (buttons == 1 ? "?" : "") +
                            (number >= 0 ? " " + std::to_string(number) : ""));
            return answer;
        });
        widget->show();
    }
    ~PanelHarness() override {
        panel.reset();
        paint.reset();
    }

    void Notify(dui::TNotifyUI& msg) override {
        const QString name = dui::ControlName(msg.pSender);
        notifications.push_back(msg.sType.toStdString() + " " + name.toStdString());
        if (msg.sType == QLatin1String("click")) panel->OnClick(name);
        if (msg.sType == QLatin1String("itemselect") && name == QLatin1String("device_profile_combo")) {
            panel->OnItemSelect();
        }
    }

    template <class T = QWidget>
    T* Control(const char* name) const {
        return qobject_cast<T*>(dui::PaintManager::FindSubControlByName(widget.get(), QString::fromLatin1(name)));
    }
    void Click(const char* name) {
        auto* button = Control<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList ComboTexts() const {
        QStringList texts;
        auto* combo = Control<QComboBox>("device_profile_combo");
        for (int i = 0; combo && i < combo->count(); ++i) texts << combo->itemText(i);
        return texts;
    }
    void Rename(const QString& name) {
        Control<QLineEdit>("device_profile_name_edit")->setText(name);
        Click("device_profile_edit_save_btn");
    }

    std::unique_ptr<QWidget> widget;
    std::unique_ptr<dui::PaintManager> paint;
    std::unique_ptr<DeviceProfileUI> panel;
    std::vector<std::string> asked;
    std::vector<std::string> notifications;
    int answer = 1;
};

class ProfilePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(harness.panel);
        ASSERT_TRUE(harness.panel->LoadProfileList());
    }
    fs::path Folder() const { return fs::path(temp.path().toStdString()) / "keyboard"; }
    fs::path Temp(const char* name) const { return fs::path(temp.path().toStdString()) / name; }

    QTemporaryDir temp;
    PanelHarness harness{Folder(), 1, "keyboard"};
};

TEST_F(ProfilePanelTest, AddCopyAndDeleteWithItsConfirmation) {
    EXPECT_EQ(harness.ComboTexts(), QStringList{"profile1"});
    EXPECT_EQ(harness.Control<QLineEdit>("device_profile_name_edit")->text(), "profile1");

    harness.Click("device_add_btn");
    harness.Click("device_copy_btn");
    EXPECT_EQ(harness.ComboTexts(), (QStringList{"profile1", "profile2", "profile1 copy"}));
    EXPECT_EQ(harness.Control<QComboBox>("device_profile_combo")->currentIndex(), 0);
    EXPECT_TRUE(harness.asked.empty());

    // Declined: nothing is deleted.
    harness.answer = 0;
    harness.Click("device_sub_btn");
    EXPECT_EQ(harness.asked, std::vector<std::string>{"message_text_4?"});
    EXPECT_EQ(harness.ComboTexts().size(), 3);

    const fs::path deleted = harness.panel->Store().CurrentProfileFile();
    ASSERT_TRUE(fs::exists(deleted));
    harness.answer = 1;
    harness.Click("device_sub_btn");
    EXPECT_EQ(harness.ComboTexts(), (QStringList{"profile2", "profile1 copy"}));
    EXPECT_FALSE(fs::exists(deleted));

    // What the panel shows is what the files say.
    ProfileStore reread({Folder(), kDefaultData / "keyboard.Json", 1});
    ASSERT_TRUE(reread.LoadProfileList());
    EXPECT_EQ(reread.Names(), (std::vector<std::string>{"profile2", "profile1 copy"}));
}

TEST_F(ProfilePanelTest, TheLastProfileIsNeverDeletedNorAskedAbout) {
    harness.Click("device_sub_btn");
    EXPECT_TRUE(harness.asked.empty());
    EXPECT_EQ(harness.ComboTexts(), QStringList{"profile1"});
}

TEST_F(ProfilePanelTest, RenameRefusalsAndSuccess) {
    harness.Click("device_add_btn");
    struct Case {
        const char* name;
        const char* message;  // "" for none
        const char* first;    // the first profile's name afterwards
    };
    const Case cases[] = {
        {"PROFILE2", "message_text_5", "profile1"},  // taken, without regard to case
        {"   ", "message_text_25", "profile1"},
        {"", "", "profile1"},          // an empty edit does nothing
        {"profile1", "", "profile1"},  // its own name: silently done
        {"Gaming", "", "Gaming"},
    };
    for (const Case& c : cases) {
        harness.asked.clear();
        harness.Rename(QString::fromLatin1(c.name));
        const std::vector<std::string> expected =
            *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{};
        EXPECT_EQ(harness.asked, expected) << '"' << c.name << '"';
        EXPECT_EQ(harness.ComboTexts().value(0), QString::fromLatin1(c.first)) << '"' << c.name << '"';
    }
    ProfileStore reread({Folder(), kDefaultData / "keyboard.Json", 1});
    ASSERT_TRUE(reread.LoadProfileList());
    EXPECT_EQ(reread.Names().front(), "Gaming");
}

TEST_F(ProfilePanelTest, ResetOnlyAfterConfirmation) {
    const fs::path file = harness.panel->Store().CurrentProfileFile();
    Json::Value changed = ReadJson(file);
    changed["userMarker"] = 1;
    ASSERT_TRUE(WriteJson(file, changed));

    harness.answer = 0;
    harness.Click("device_reset_btn");
    EXPECT_EQ(harness.asked, std::vector<std::string>{"message_text_22?"});
    EXPECT_TRUE(ReadJson(file).isMember("userMarker"));

    harness.answer = 1;
    harness.Click("device_reset_btn");
    const Json::Value reset = ReadJson(file);
    EXPECT_FALSE(reset.isMember("userMarker"));
    EXPECT_EQ(StringMember(reset, "profilename"), "profile1");
    EXPECT_EQ(StringMember(reset, "profileUUID"), harness.panel->Store().CurrentProfileId());
}

TEST_F(ProfilePanelTest, ExportThenImportAndForeignFilesAreIgnoredSilently) {
    const fs::path exported = Temp("out.json");
    harness.panel->SetSaveFileDialog([&] { return QString::fromStdString(exported.string()); });
    harness.Click("device_export_btn");
    ASSERT_TRUE(fs::exists(exported));
    EXPECT_EQ(StringMember(ReadJson(exported), "profilename"), "profile1");

    Json::Value noId = ReadJson(exported);
    noId.removeMember("profileUUID");
    ASSERT_TRUE(WriteJson(Temp("noid.json"), noId));
    std::ofstream(Temp("broken.json")) << "{ not json";

    QString chosen;
    harness.panel->SetOpenFileDialog([&] { return chosen; });
    for (const char* name : {"noid.json", "broken.json", "missing.json"}) {
        chosen = QString::fromStdString(Temp(name).string());
        harness.Click("device_import_btn");
        EXPECT_EQ(harness.ComboTexts().size(), 1) << name;
    }
    chosen.clear();  // cancelled
    harness.Click("device_import_btn");
    EXPECT_EQ(harness.ComboTexts().size(), 1);

    chosen = QString::fromStdString(exported.string());
    harness.Click("device_import_btn");
    EXPECT_EQ(harness.ComboTexts().size(), 2);
    EXPECT_TRUE(harness.asked.empty());
}

TEST_F(ProfilePanelTest, QuickChoicesApplyOnlyTheLastOnce) {
    harness.Click("device_add_btn");
    harness.Click("device_add_btn");
    QSignalSpy applied(harness.panel.get(), &DeviceProfileUI::ProfileApplied);
    auto* combo = harness.Control<QComboBox>("device_profile_combo");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_TRUE(harness.panel->ApplyPending());
    EXPECT_EQ(harness.panel->Store().CurrentIndex(), 0);
    QTRY_COMPARE(applied.size(), 1);
    EXPECT_EQ(applied[0][0].toInt(), 1);
    EXPECT_EQ(harness.panel->Store().CurrentIndex(), 1);
    EXPECT_EQ(harness.panel->Store().ListSelection(), 1);
    EXPECT_FALSE(harness.panel->ApplyPending());
    QTest::qWait(DeviceProfileUI::kApplyDelayMs + 100);  // nothing more is coming
    EXPECT_EQ(applied.size(), 1);
}

TEST_F(ProfilePanelTest, SpreadButtonTogglesTheMenu) {
    QWidget* menu = harness.Control("profile_menu_layout");
    ASSERT_NE(menu, nullptr);
    const bool before = menu->isHidden();
    harness.Click("profile_fun_spread_btn");
    EXPECT_NE(menu->isHidden(), before);
    harness.Click("profile_fun_spread_btn");
    EXPECT_EQ(menu->isHidden(), before);
}

TEST_F(ProfilePanelTest, SelectingATabRaisesNoNotification) {
    const char* tabs[] = {"deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
                          "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};
    for (int type : {3, 8, 1, 0, 9}) {
        harness.notifications.clear();
        harness.panel->SelectFunctionTab(type);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(harness.Control<QAbstractButton>(tabs[i])->isChecked(), i + 1 == type)
                << "type " << type << ' ' << tabs[i];
        }
        EXPECT_TRUE(harness.notifications.empty()) << "type " << type;
    }
}

TEST(ProfilePanelTabsTest, EachKindHidesTheTabsItHasNot) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    struct Case {
        int kind;
        const char* kindName;
        std::vector<const char*> hidden;
        std::vector<const char*> shown;
    };
    const Case cases[] = {
        {1, "keyboard", {"cursor_Op_tab"}, {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}},
        {3, "MousePad", {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}, {"deng_Op_tab"}},
        {7,
         "HD",
         {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"},
         {"deng_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}},
        {2, "mouse", {}, {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}},
    };
    for (const Case& c : cases) {
        PanelHarness harness(fs::path(temp.path().toStdString()) / c.kindName, c.kind, c.kindName);
        ASSERT_TRUE(harness.panel);
        harness.panel->LoadProfileList();
        for (const char* name : c.hidden) EXPECT_TRUE(harness.Control(name)->isHidden()) << c.kind << ' ' << name;
        for (const char* name : c.shown) EXPECT_FALSE(harness.Control(name)->isHidden()) << c.kind << ' ' << name;
    }
}

// The main window applies a chosen profile to the page it was chosen on,
// even when another device is shown before the pause ends.
TEST(ProfilePanelMainWndTest, AChoiceLandsOnItsOwnPage) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", temp.path().toUtf8());
    struct Restore {
        QByteArray value;
        ~Restore() {
            if (value.isEmpty()) qunsetenv("XDG_DATA_HOME");
            else qputenv("XDG_DATA_HOME", value);
        }
    } restore{oldData};

    sim::SimHidBackend backend;
    backend.SetInstantTimeouts(true);
    shell::MainWnd window(backend, DeviceCatalogue::Shipped());
    QString error;
    ASSERT_TRUE(window.Create(kSkin, QStringLiteral("main.ui"), &error)) << error.toStdString();
    QTRY_VERIFY(window.isVisible());
    ASSERT_NE(window.Model(), nullptr);

    SelectorStrip& strip = window.Model()->Strip();
    std::vector<std::pair<size_t, DeviceProfileUI*>> panels;  // strip index, panel
    for (size_t i = 0; i < strip.Size(); ++i) {
        if (DeviceProfileUI* panel = window.ProfilePanelOf(strip.At(i).Device())) panels.emplace_back(i, panel);
    }
    ASSERT_GE(panels.size(), 2u);
    auto [indexA, panelA] = panels[0];
    auto [indexB, panelB] = panels[1];
    ASSERT_NE(panelA->Store().ListFile(), panelB->Store().ListFile());

    strip.ShowEntry(indexA, true, true);
    auto* add = qobject_cast<QAbstractButton*>(
        dui::PaintManager::FindSubControlByName(panelA->Panel(), QStringLiteral("device_add_btn")));
    ASSERT_NE(add, nullptr);
    QTest::mouseClick(add, Qt::LeftButton);
    ASSERT_EQ(panelA->Store().Names().size(), 2u);

    auto* comboA = qobject_cast<QComboBox*>(
        dui::PaintManager::FindSubControlByName(panelA->Panel(), QStringLiteral("device_profile_combo")));
    ASSERT_NE(comboA, nullptr);
    QSignalSpy appliedA(panelA, &DeviceProfileUI::ProfileApplied);
    QSignalSpy appliedB(panelB, &DeviceProfileUI::ProfileApplied);
    QTest::keyClick(comboA, Qt::Key_Down);
    ASSERT_TRUE(panelA->ApplyPending());
    strip.ShowEntry(indexB, true, true);  // another device is now current

    QTRY_COMPARE(appliedA.size(), 1);
    EXPECT_EQ(panelA->Store().CurrentIndex(), 1);
    EXPECT_EQ(panelA->Store().ListSelection(), 1);
    EXPECT_EQ(appliedB.size(), 0);
    EXPECT_EQ(panelB->Store().CurrentIndex(), 0);
}

TEST_F(ProfilePanelTest, WhatAnotherProgramChangesIsTakenInAndARepairIsShown) {
    QSignalSpy loaded(harness.panel.get(), &DeviceProfileUI::ExternalChangeLoaded);
    const std::string ivractl = std::string("'") + IVRACTL_PATH + "' --data-dir '" + temp.path().toStdString() + "' ";
    ASSERT_EQ(std::system((ivractl + "profile add >/dev/null").c_str()), 0);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(harness.ComboTexts(), (QStringList{"profile1", "profile2"}));
    EXPECT_EQ(harness.Control<QComboBox>("device_profile_combo")->currentIndex(), 0);
    ASSERT_EQ(std::system((ivractl + "profile rename Work >/dev/null").c_str()), 0);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(harness.ComboTexts(), (QStringList{"profile1", "Work"}));

    // An unreadable selected profile is replaced, and the user is told.
    const std::string id = ReadJson(Folder() / "ProfileList.ini")["profilelist"][1]["profileUUID"].asString();
    std::ofstream(Folder() / (id + ".Json"), std::ios::trunc) << "{";
    PanelHarness second(Folder(), 1, "keyboard");
    ASSERT_TRUE(second.panel->LoadProfileList());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !second.asked.empty(); }, 2000));
    EXPECT_NE(second.asked[0].find("\"Work\" could not be read"), std::string::npos) << second.asked[0];
    EXPECT_EQ(ReadJson(Folder() / (id + ".Json"))["profilename"], "Work");
}

}  // namespace
}  // namespace ivra::profile::ui
