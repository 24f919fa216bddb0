#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "KeyboardPageHarness.h"
#include "ScriptedInputSource.h"
#include "base/JsonHelpers.h"
#include "dui/LanguageResources.h"
#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/MacroList.h"
#include "panels/keyset/KeySetPanel.h"

namespace ivra::panels {
namespace {

constexpr uint8_t kKeyTableWriteCommand = 9;

std::string Hex(Assignment a) {
    return FormatAssignment(a);
}

class KeySetPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness_.Services().inputSources = [this] { return std::vector<IInputSource*>{&script_}; };
        harness_.Services().message = [this](const QString& key, int, int number) {
            messages_.push_back(key.toStdString() + (number >= 0 ? " " + std::to_string(number) : ""));
            return 1;
        };
        ASSERT_TRUE(harness_.Start());
        harness_.Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&harness_.Window()));
        harness_.OpenTab("key_Op_tab");
        panel_ = harness_.Panels()->KeySet();
        ASSERT_NE(panel_, nullptr);
        position_ = FirstMappedKey();
        ASSERT_GE(position_, 0);
    }

    KestrelKeyboardDevice& Keyboard() { return *harness_.Device(); }

    // A key of the page that the keyboard has a key number for and that can
    // be chosen on the key tab.
    int FirstMappedKey() {
        const KeyPositionMaps maps = Keyboard().Maps();
        for (size_t p = 0; p < maps.deviceKey.size(); ++p) {
            if (maps.deviceKey[p] == kNoDeviceKey) continue;
            const std::string name = "key_" + std::to_string(p);
            auto* button = harness_.Control<QAbstractButton>(name.c_str());
            if (button != nullptr && button->isVisible() && button->isEnabled()) return static_cast<int>(p);
        }
        return -1;
    }

    void OpenKey(int position) {
        const std::string name = "key_" + std::to_string(position);
        harness_.Click(name.c_str());
    }

    // Chooses the item of a combo as the user does with the keyboard.
    void Choose(const char* comboName, int item) {
        auto* combo = harness_.Control<QComboBox>(comboName);
        ASSERT_NE(combo, nullptr) << comboName;
        ASSERT_TRUE(combo->isVisible()) << comboName << " is not shown";
        ASSERT_LT(item, combo->count()) << comboName;
        combo->setFocus();
        if (combo->currentIndex() > item || combo->currentIndex() < 0) QTest::keyClick(combo, Qt::Key_Home);
        while (combo->currentIndex() < item) QTest::keyClick(combo, Qt::Key_Down);
        ASSERT_EQ(combo->currentIndex(), item) << comboName;
    }
    void ChooseFunction(KeyFunctionId id) {
        auto* combo = harness_.Control<QComboBox>("keyset_function_combo");
        ASSERT_NE(combo, nullptr);
        const int item = combo->findData(static_cast<int>(id));
        ASSERT_GE(item, 0) << "function " << static_cast<int>(id) << " is not offered";
        Choose("keyset_function_combo", item);
    }
    void TypeInto(const char* editName, const char* text) {
        auto* edit = harness_.Control<QLineEdit>(editName);
        ASSERT_NE(edit, nullptr) << editName;
        ASSERT_TRUE(edit->isVisible()) << editName << " is not shown";
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Gives the key edit the focus with a click, so that keys are captured.
    void FocusKeyEdit() {
        auto* edit = harness_.Control<QLineEdit>("keyset_keyboard_text_edit");
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->isVisible());
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(edit->hasFocus());
    }

    // The keyboard's own key table entry for the page's key `position`.
    std::string DeviceAssignment(int position) {
        const size_t key = Keyboard().Maps().deviceKey[static_cast<size_t>(position)];
        const auto memory = harness_.Keyboard().Firmware().Memory();
        return Hex({memory.keyTable[3 * key], memory.keyTable[3 * key + 1], memory.keyTable[3 * key + 2]});
    }
    // The "Assignment" of key `position` in the profile file.
    std::string ProfileAssignment(int position) {
        const Json::Value profile = ReadJson(Keyboard().GetProfilePath());
        for (const Json::Value& device : profile["Device"]) {
            const Json::Value& keys = device["KeyList"];
            if (keys.isArray() && static_cast<Json::ArrayIndex>(position) < keys.size()) {
                return Hex(IntToAssignment(keys[static_cast<Json::ArrayIndex>(position)]["Assignment"].asInt()));
            }
        }
        return "no key list";
    }
    std::string CurrentAssignment(int position) {
        return Hex(Keyboard().KeyList()[static_cast<size_t>(position)].current.Bytes());
    }
    std::string DefaultAssignment(int position) {
        return Hex(Keyboard().KeyList()[static_cast<size_t>(position)].defaults.Bytes());
    }
    bool SaveButtonsEnabled() {
        return harness_.Control<QAbstractButton>("key_butt_keysave")->isEnabled() &&
               harness_.Control<QAbstractButton>("key_butt_keycancel")->isEnabled() &&
               harness_.Control<QAbstractButton>("key_butt_prosave")->isEnabled();
    }
    bool SaveButtonsDisabled() {
        return !harness_.Control<QAbstractButton>("key_butt_keysave")->isEnabled() &&
               !harness_.Control<QAbstractButton>("key_butt_keycancel")->isEnabled() &&
               !harness_.Control<QAbstractButton>("key_butt_prosave")->isEnabled();
    }
    QString KeyEditText() { return harness_.Control<QLineEdit>("keyset_keyboard_text_edit")->text(); }

    // The source outlives the window that borrows it, as the window's own do.
    sim::ScriptedInputSource script_;
    testing::KeyboardPageHarness harness_;
    std::vector<std::string> messages_;
    KeySetPanel* panel_ = nullptr;
    int position_ = -1;
};

// The whole journey: a key gets Ctrl+C by capture, and "Save to device"
// puts it into the keyboard's key table and the profile file.
TEST_F(KeySetPanelTest, AKeyGetsCtrlCByCaptureAndIsSavedToTheDevice) {
    ASSERT_FALSE(harness_.Control("keyset_layout")->isVisible()) << "no key is chosen yet";
    OpenKey(position_);
    ASSERT_TRUE(harness_.Control("keyset_layout")->isVisible());
    ChooseFunction(KeyFunctionId::kKeyboardKey);
    EXPECT_EQ(harness_.Control<QStackedWidget>("function_switch_tablayout")->currentIndex(), 6);
    harness_.Click("key_ComBox_check_1");
    FocusKeyEdit();
    ASSERT_TRUE(script_.Running()) << "the key edit's focus starts the capture";
    EXPECT_TRUE(harness_.Control<QLabel>("keyset_capture_source_text")->text().contains(QLatin1String("script")));

    ASSERT_TRUE(script_.Press(KEY_C));
    ASSERT_TRUE(script_.Release(KEY_C));
    EXPECT_EQ(KeyEditText(), dui::LanguageResources::Instance().Text(QStringLiteral("keyboard_key_C")));
    EXPECT_TRUE(harness_.Control<QAbstractButton>("key_ComBox_check_1")->isChecked());
    EXPECT_EQ(CurrentAssignment(position_), "20 01 06");
    EXPECT_TRUE(SaveButtonsEnabled());

    // Another change is written to the keyboard only by "Save to device".
    harness_.Keyboard().Firmware().ModifyMemory([](sim::SimFirmwareMemory& memory) { memory.keyTable.fill(0); });
    const uint32_t writesBefore = harness_.Keyboard().Faults().Seen(kKeyTableWriteCommand);
    harness_.Click("key_butt_prosave");
    EXPECT_FALSE(script_.Running()) << "leaving the key edit ends the capture";
    EXPECT_GT(harness_.Keyboard().Faults().Seen(kKeyTableWriteCommand), writesBefore);
    EXPECT_EQ(DeviceAssignment(position_), "20 01 06");
    EXPECT_EQ(ProfileAssignment(position_), "20 01 06");
    EXPECT_TRUE(SaveButtonsDisabled());
    EXPECT_TRUE(messages_.empty()) << messages_.front();
}

// Pressing the combination as the user does: releasing Ctrl after C keeps
// Ctrl+C; a right-hand modifier shows as the left-hand option.
TEST_F(KeySetPanelTest, PressingAModifierAndAKeyCapturesTheCombination) {
    OpenKey(position_);
    ChooseFunction(KeyFunctionId::kKeyboardKey);
    FocusKeyEdit();
    ASSERT_TRUE(script_.Press(KEY_RIGHTCTRL));
    EXPECT_EQ(CurrentAssignment(position_), "20 01 00");
    EXPECT_TRUE(harness_.Control<QAbstractButton>("key_ComBox_check_1")->isChecked());
    EXPECT_TRUE(KeyEditText().isEmpty());
    ASSERT_TRUE(script_.Press(KEY_C));
    ASSERT_TRUE(script_.Release(KEY_C));
    ASSERT_TRUE(script_.Release(KEY_RIGHTCTRL));
    EXPECT_EQ(CurrentAssignment(position_), "20 01 06");

    // Shift chosen by hand, then A.
    harness_.Click("key_ComBox_check_2");
    EXPECT_EQ(CurrentAssignment(position_), "20 02 06");
    FocusKeyEdit();
    ASSERT_TRUE(script_.Press(KEY_A));
    EXPECT_EQ(CurrentAssignment(position_), "20 02 04");
    EXPECT_EQ(KeyEditText(), dui::LanguageResources::Instance().Text(QStringLiteral("keyboard_key_A")));
    EXPECT_TRUE(messages_.empty());
}

// Keys pressed while the edit does not have the focus are not captured, and
// a better source that cannot start says why.
TEST_F(KeySetPanelTest, CaptureRunsOnlyWhileTheKeyEditHasTheFocus) {
    sim::ScriptedInputSource global;
    global.SetUnavailable("no X11 display");
    harness_.Services().inputSources = [&] { return std::vector<IInputSource*>{&global, &script_}; };
    OpenKey(position_);
    ChooseFunction(KeyFunctionId::kKeyboardKey);
    const std::string before = CurrentAssignment(position_);
    EXPECT_FALSE(script_.Press(KEY_A)) << "nothing captures before the edit has the focus";
    FocusKeyEdit();
    EXPECT_EQ(panel_->CaptureSource(), &script_);
    const QString shown = harness_.Control<QLabel>("keyset_capture_source_text")->text();
    EXPECT_TRUE(shown.contains(QLatin1String("no X11 display"))) << shown.toStdString();
    EXPECT_EQ(harness_.Control<QLineEdit>("keyset_keyboard_text_edit")->toolTip(), shown);
    harness_.Click("key_ComBox_check_3");  // the focus moves to the option
    EXPECT_FALSE(script_.Running());
    EXPECT_EQ(panel_->CaptureSource(), nullptr);
    EXPECT_FALSE(script_.Press(KEY_B));
    EXPECT_EQ(CurrentAssignment(position_), "20 04 00") << before;
}

// Choices that are stored at once, each the way the user makes it; the
// keyboard's key table and the profile file follow.
TEST_F(KeySetPanelTest, EachFunctionStoresItsAssignmentAtOnce) {
    // A macro to choose.
    {
        MacroList macros(Keyboard().Binding().UserDataFolder());
        ASSERT_TRUE(macros.Load());
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(macros.Add());
        QStringList names;
        ASSERT_TRUE(macros.Load());
        for (const std::string& name : macros.Names()) names << QString::fromStdString(name);
        panel_->SetMacroNames(names);
    }
    struct Case {
        const char* what;
        std::function<void()> choose;
        const char* expected;
    };
    const Case cases[] = {
        {"media: volume up by its combo",
         [&] {
             ChooseFunction(KeyFunctionId::kMedia);
             Choose("keyset_media_combo", 6);
         },
         "30 E9 00"},
        {"system: sleep",
         [&] {
             ChooseFunction(KeyFunctionId::kSystem);
             Choose("keyset_system_combo", 1);
         },
         "40 02 00"},
        {"key combination: Ctrl+V",
         [&] {
             ChooseFunction(KeyFunctionId::kCombination);
             Choose("keyset_combokey_combo", 6);
         },
         "20 01 19"},
        {"mouse button: right",
         [&] {
             ChooseFunction(KeyFunctionId::kMouseButton);
             Choose("keyset_mousekey_combo", 2);
         },
         "10 02 00"},
        {"macro 2 repeated 5 times",
         [&] {
             ChooseFunction(KeyFunctionId::kMacro);
             Choose("keyset_macro_combo", 2);
             Choose("keyset_macro_over_combo", kMacroRepeatCountItem);
             EXPECT_TRUE(harness_.Control("keyset_macro_cycle_layout")->isVisible());
             TypeInto("keyset_macro_cycle_edit", "5");
             harness_.Click("key_butt_keysave");
         },
         "71 02 05"},
        {"wheel down 3 times, delay 2, speed 5",
         [&] {
             ChooseFunction(KeyFunctionId::kWheel);
             TypeInto("keyset_mousewheel_num_edit", "3");
             TypeInto("keyset_mousewheel_delay_edit", "2");
             TypeInto("keyset_mousewheel_speed_edit", "5");
             Choose("keyset_mousewheel_combo", 1);
         },
         "12 25 FD"},
        {"fire: the numbers keep their low byte",
         [&] {
             ChooseFunction(KeyFunctionId::kFire);
             TypeInto("keyset_mousefire_interval_edit", "300");
             TypeInto("keyset_mousefire_num_edit", "2");
             harness_.Click("key_butt_keysave");
         },
         "14 2C 02"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenKey(position_);
        c.choose();
        EXPECT_EQ(CurrentAssignment(position_), c.expected);
        EXPECT_EQ(ProfileAssignment(position_), c.expected);
        EXPECT_EQ(DeviceAssignment(position_), c.expected);
        EXPECT_TRUE(SaveButtonsEnabled());
    }
    EXPECT_TRUE(messages_.empty());
}

// Opening a key shows what it does: the choices made before come back.
TEST_F(KeySetPanelTest, OpeningAKeyShowsItsAssignment) {
    ASSERT_TRUE(Keyboard().SetKeyAssignment(position_, {0x12, 0x25, 0xFD}));
    OpenKey(position_);
    auto* functions = harness_.Control<QComboBox>("keyset_function_combo");
    EXPECT_EQ(functions->currentData().toInt(), static_cast<int>(KeyFunctionId::kWheel));
    EXPECT_EQ(harness_.Control<QStackedWidget>("function_switch_tablayout")->currentIndex(), 3);
    EXPECT_EQ(harness_.Control<QComboBox>("keyset_mousewheel_combo")->currentIndex(), 1);
    EXPECT_EQ(harness_.Control<QLineEdit>("keyset_mousewheel_num_edit")->text(), QStringLiteral("3"));
    EXPECT_EQ(harness_.Control<QLineEdit>("keyset_mousewheel_delay_edit")->text(), QStringLiteral("2"));
    EXPECT_EQ(harness_.Control<QLineEdit>("keyset_mousewheel_speed_edit")->text(), QStringLiteral("5"));

    ASSERT_TRUE(Keyboard().SetKeyAssignment(position_, {0x20, 0x10, 0x06}));
    OpenKey(position_);
    EXPECT_EQ(functions->currentData().toInt(), static_cast<int>(KeyFunctionId::kKeyboardKey));
    EXPECT_TRUE(harness_.Control<QAbstractButton>("key_ComBox_check_1")->isChecked()) << "right Ctrl shows as Ctrl";
    EXPECT_EQ(KeyEditText(), dui::LanguageResources::Instance().Text(QStringLiteral("keyboard_key_C")));

    ASSERT_TRUE(Keyboard().RestoreKeyDefault(position_));
    OpenKey(position_);
    EXPECT_EQ(functions->currentData().toInt(), static_cast<int>(KeyFunctionId::kDefault));
    EXPECT_EQ(harness_.Control<QStackedWidget>("function_switch_tablayout")->currentIndex(), 0);
    EXPECT_TRUE(SaveButtonsDisabled()) << "opening a key changes nothing";
}

// "Default" shows the key's default without storing it; "Apply" stores it,
// "Cancel" goes back to what is stored.
TEST_F(KeySetPanelTest, DefaultShowsTheDefaultAndCancelGoesBack) {
    const std::string factory = DefaultAssignment(position_);
    OpenKey(position_);
    ChooseFunction(KeyFunctionId::kMedia);
    Choose("keyset_media_combo", 7);
    ASSERT_EQ(CurrentAssignment(position_), "30 E2 00");
    auto* functions = harness_.Control<QComboBox>("keyset_function_combo");

    harness_.Click("key_butt_keydefalut");
    EXPECT_EQ(functions->currentData().toInt(), static_cast<int>(KeyFunctionId::kDefault));
    EXPECT_EQ(CurrentAssignment(position_), "30 E2 00") << "Default only shows";
    EXPECT_TRUE(SaveButtonsEnabled());

    harness_.Click("key_butt_keycancel");
    EXPECT_EQ(functions->currentData().toInt(), static_cast<int>(KeyFunctionId::kMedia));
    EXPECT_EQ(harness_.Control<QComboBox>("keyset_media_combo")->currentIndex(), 7);
    EXPECT_EQ(CurrentAssignment(position_), "30 E2 00");
    EXPECT_TRUE(SaveButtonsDisabled());

    harness_.Click("key_butt_keydefalut");
    harness_.Click("key_butt_keysave");
    EXPECT_EQ(CurrentAssignment(position_), factory);
    EXPECT_EQ(ProfileAssignment(position_), factory);
    EXPECT_EQ(DeviceAssignment(position_), factory);
}

TEST_F(KeySetPanelTest, AKeyboardIsNotOfferedDpiOrRecoilKeys) {
    OpenKey(position_);
    auto* functions = harness_.Control<QComboBox>("keyset_function_combo");
    std::vector<int> offered;
    for (int i = 0; i < functions->count(); ++i) offered.push_back(functions->itemData(i).toInt());
    EXPECT_EQ(offered, (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8, 9, 11}));
    // A DPI key stored by other means shows no function rather than one
    // the keyboard does not offer.
    ASSERT_TRUE(Keyboard().SetKeyAssignment(position_, {0x13, 0x01, 0x00}));
    OpenKey(position_);
    EXPECT_EQ(functions->currentIndex(), -1);
}

// A write the keyboard refuses, or macros that cannot be sent, are said,
// and the save buttons stay enabled so that the user can try again.
TEST_F(KeySetPanelTest, AFailedSaveToTheDeviceIsShownAndNotTakenForDone) {
    const std::filesystem::path macroList =
        std::filesystem::path(Keyboard().Binding().UserDataFolder()) / MacroList::kListFileName;
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        std::function<void()> mendIt;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"the keyboard refuses the key table",
         [&] {
             harness_.Keyboard().Faults().Add({kKeyTableWriteCommand, 0, sim::SimFaultKind::Status, 0xFF});
         },
         [&] { harness_.Keyboard().Faults().Clear(); },
         {"keyset_keys_not_written_text"}},
        {"the macro list cannot be read",
         [&] { std::ofstream(macroList) << "not a macro list"; },
         [&] { std::filesystem::remove(macroList); },
         {"message_text_7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenKey(position_);
        ChooseFunction(KeyFunctionId::kSystem);
        Choose("keyset_system_combo", 0);
        messages_.clear();
        c.breakIt();
        harness_.Click("key_butt_prosave");
        EXPECT_EQ(messages_, c.messages);
        EXPECT_TRUE(SaveButtonsEnabled());

        c.mendIt();
        messages_.clear();
        EXPECT_TRUE(panel_->SaveToDevice());
        EXPECT_TRUE(messages_.empty());
        EXPECT_TRUE(SaveButtonsDisabled());
        EXPECT_EQ(DeviceAssignment(position_), "40 01 00");
        harness_.Click(("key_" + std::to_string(position_)).c_str());
        harness_.Click("key_butt_keydefalut");
        harness_.Click("key_butt_keysave");
    }
}

// After the profile was reset (or loaded, or read back) no key is open and
// nothing is waiting to be saved.
TEST_F(KeySetPanelTest, ShowingNewSettingsClosesThePanel) {
    OpenKey(position_);
    ChooseFunction(KeyFunctionId::kSystem);
    Choose("keyset_system_combo", 2);
    ASSERT_TRUE(SaveButtonsEnabled());
    harness_.Panels()->ShowSettings();
    EXPECT_FALSE(harness_.Control("keyset_layout")->isVisible());
    EXPECT_TRUE(SaveButtonsDisabled());
    EXPECT_EQ(panel_->OpenPosition(), -1);
}

TEST_F(KeySetPanelTest, TheMacroChoicesFollowTheMacroEditor) {
    panel_->SetMacroNames({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    panel_->AddMacroName(QStringLiteral("d"));
    panel_->RenameMacroName(1, QStringLiteral("B"));
    panel_->RenameMacroName(2, QString());  // an empty name changes nothing
    panel_->RenameMacroName(9, QStringLiteral("x"));
    panel_->RemoveMacroName(0);
    auto* combo = harness_.Control<QComboBox>("keyset_macro_combo");
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("B"), QStringLiteral("c"), QStringLiteral("d")}));
    panel_->SetMacroNames({QStringLiteral("only")});
    EXPECT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_F(KeySetPanelTest, TheControlsAreNamedFromTheirLabels) {
    OpenKey(position_);
    const auto text = [](const char* key) { return dui::LanguageResources::Instance().Text(QString::fromLatin1(key)); };
    EXPECT_EQ(harness_.Control("keyset_function_combo")->accessibleName(), text("keyset_function_text"));
    EXPECT_EQ(harness_.Control("keyset_keyboard_text_edit")->accessibleName(), text("keyset_key_text"));
    EXPECT_EQ(harness_.Control("key_ComBox_check_4")->accessibleName(), text("keyset_modifier_win"));
    EXPECT_EQ(harness_.Control("key_butt_prosave")->accessibleName(), text("keyset_prosave_btn_text"));
    EXPECT_NE(text("keyset_prosave_btn_text"), QStringLiteral("keyset_prosave_btn_text")) << "the language has it";
    // The function combo's items are in the user's language.
    auto* functions = harness_.Control<QComboBox>("keyset_function_combo");
    EXPECT_EQ(functions->itemText(0), text("keyset_function_default"));
}

}  // namespace
}  // namespace ivra::panels
