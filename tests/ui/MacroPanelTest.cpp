// The macro editor on the keyboard page, driven as the user drives it: real
// clicks, typing and focus changes, a scripted input source for recording,
// and the macro files on disk as the result.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "KeyboardPageHarness.h"
#include "dui/LanguageResources.h"
#include "ScriptedInputSource.h"
#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/MacroList.h"
#include "panels/macro/MacroActionMenu.h"
#include "panels/macro/MacroEventRow.h"
#include "panels/macro/MacroPanel.h"
#include "shell/WindowMessages.h"

namespace ivra::panels {
namespace {

constexpr uint8_t kUsageA = 0x04;
constexpr uint8_t kUsageB = 0x05;

MacroEvent Event(int type, int button, bool down, uint16_t delay) {
    MacroEvent event;
    event.type = type;
    event.button = button;
    event.action = down ? kActionDown : kActionUp;
    event.delay = delay;
    return event;
}
MacroEvent Key(uint8_t usage, bool down, uint16_t delay) {
    return Event(macro_event_type::kKey, usage, down, delay);
}

std::string Describe(const std::vector<MacroEvent>& events) {
    std::string text;
    for (const MacroEvent& e : events) {
        text += std::to_string(e.type) + "/" + std::to_string(e.button) + "/" + e.action + "/" +
                std::to_string(e.delay) + " ";
    }
    return text;
}

class MacroPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness_.Services().inputSources = [this] { return std::vector<IInputSource*>{&unavailable_, &script_}; };
        unavailable_.SetUnavailable("no global input here");
        harness_.Services().message = [this](const QString& key, int /*buttons*/, int /*number*/) {
            messages_.push_back(key.toStdString());
            if (answers_.empty()) return 1;
            const int answer = answers_.front();
            answers_.erase(answers_.begin());
            return answer;
        };
        ASSERT_TRUE(harness_.Start());
        harness_.Window().activateWindow();
        QApplication::setActiveWindow(&harness_.Window());
        harness_.OpenTab("macro_Op_tab");
        panel_ = harness_.Panels()->Macros();
        ASSERT_NE(panel_, nullptr);
    }

    std::filesystem::path Folder() { return harness_.Device()->Binding().UserDataFolder(); }
    MacroList Macros() {
        MacroList macros(Folder());
        EXPECT_TRUE(macros.Load());
        return macros;
    }
    std::vector<MacroEvent> FileEvents(std::size_t index) { return Macros().LoadEvents(index).content.events; }

    QListWidget* List(const char* name) { return harness_.Control<QListWidget>(name); }
    MacroEventRow* Row(int index) {
        QListWidget* list = List("macro_action_list");
        return qobject_cast<MacroEventRow*>(list->itemWidget(list->item(index)));
    }
    // A click on a list's item, where the item shows no child widget.
    void ClickItem(const char* listName, int index) {
        QListWidget* list = List(listName);
        ASSERT_NE(list->item(index), nullptr) << listName << " " << index;
        const QRect rect = list->visualItemRect(list->item(index));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 2, rect.center().y()));
    }
    // Replaces an edit's text by typing.
    void Type(QLineEdit* edit, const QString& text) {
        ASSERT_NE(edit, nullptr);
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([edit] { return edit->hasFocus(); })) << edit->objectName().toStdString();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void Type(const char* name, const QString& text) { Type(harness_.Control<QLineEdit>(name), text); }
    // Moves the focus away from the edit, as a click elsewhere does.
    void Leave() {
        auto* other = harness_.Control<QLineEdit>("macro_edit_macroname");
        QTest::mouseClick(other, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([other] { return other->hasFocus(); }));
    }
    // A macro with `events` in its file, shown in the editor.
    void ShowMacroWith(const std::vector<MacroEvent>& events) {
        harness_.Click("macro_btn_name_add");
        ASSERT_EQ(Macros().Count(), 1u);
        ASSERT_TRUE(Macros().SaveEvents(0, events));
        harness_.Click("macro_btn_cancel");  // shows the file again
        ASSERT_EQ(List("macro_action_list")->count(), static_cast<int>(events.size()));
    }
    void Record(const std::function<void()>& input) {
        harness_.Click("macro_btn_starredio");
        ASSERT_TRUE(panel_->Recording());
        input();
        harness_.Click("macro_btn_stopredio");
        ASSERT_FALSE(panel_->Recording());
    }

    testing::KeyboardPageHarness harness_;
    sim::ScriptedInputSource unavailable_;
    sim::ScriptedInputSource script_;
    std::vector<std::string> messages_;
    std::vector<int> answers_;
    MacroPanel* panel_ = nullptr;
};

TEST_F(MacroPanelTest, RecordWithFixedDelaysEditADelayMoveARowThenAKeyRunsItFromTheKeyboard) {
    harness_.Click("macro_btn_name_add");
    ASSERT_EQ(Macros().Count(), 1u);
    EXPECT_EQ(List("macro_name_list")->item(0)->text(), QStringLiteral("macro_1"));

    harness_.Click("macro_check_time");
    Type("macro_fixed_time_edit", QStringLiteral("30"));
    harness_.Click("macro_btn_starredio");
    ASSERT_TRUE(panel_->Recording());
    ASSERT_TRUE(script_.Running());
    // While recording: the strip and the list are locked, stop replaces start,
    // and the panel says which source records and why the better one cannot.
    EXPECT_FALSE(harness_.Window().GetPaintManager().FindControl(QStringLiteral("device_select_layout"))->isEnabled());
    EXPECT_FALSE(harness_.Control("macro_name_tab")->isEnabled());
    EXPECT_FALSE(harness_.Control("macro_btn_starredio")->isVisible());
    EXPECT_TRUE(harness_.Control("macro_btn_stopredio")->isVisible());
    const QString state = harness_.Control<QLabel>("macro_record_source_label")->text();
    EXPECT_TRUE(state.contains(QStringLiteral("script"))) << state.toStdString();
    EXPECT_TRUE(state.contains(QStringLiteral("no global input here"))) << state.toStdString();

    script_.Press(KEY_A);
    script_.Press(KEY_A);  // auto-repeat: one row
    script_.Release(KEY_A);
    script_.Press(KEY_B);
    script_.Release(KEY_B);
    EXPECT_EQ(List("macro_action_list")->currentRow(), 3);  // the last recorded row is selected
    harness_.Click("macro_btn_stopredio");
    ASSERT_FALSE(panel_->Recording());
    EXPECT_FALSE(script_.Running());
    EXPECT_TRUE(harness_.Window().GetPaintManager().FindControl(QStringLiteral("device_select_layout"))->isEnabled());
    EXPECT_TRUE(harness_.Control("macro_btn_starredio")->isVisible());
    EXPECT_EQ(Describe(FileEvents(0)), Describe({Key(kUsageA, true, 30), Key(kUsageA, false, 30),
                                                 Key(kUsageB, true, 30), Key(kUsageB, false, 30)}));
    // "A down, 30 ms" in the window's language.
    const dui::LanguageResources& texts = dui::LanguageResources::Instance();
    EXPECT_EQ(Row(0)->accessibleName(), texts.Text(QStringLiteral("macro_access_row_text"))
                                            .arg(texts.Text(QStringLiteral("keyboard_key_A")) + QLatin1Char(' ') +
                                                     texts.Text(QStringLiteral("macro_access_pressed_text")),
                                                 QStringLiteral("30")));

    // A delay typed into a row's cell is saved when the cell loses the focus;
    // the cell refuses what is not a delay.
    Type(Row(1)->DelayCell(), QStringLiteral("2x50"));
    EXPECT_EQ(Row(1)->DelayCell()->text(), QStringLiteral("250"));
    QTest::keyClicks(Row(1)->DelayCell(), QStringLiteral("0000"));  // 2500000: more than 65535
    EXPECT_EQ(Row(1)->DelayCell()->text(), QStringLiteral("25000"));
    EXPECT_EQ(FileEvents(0)[1].delay, 30);  // not yet
    Leave();
    EXPECT_EQ(FileEvents(0)[1].delay, 25000);

    // The edited row is selected; moving it up saves at once.
    EXPECT_EQ(List("macro_action_list")->currentRow(), 1);
    harness_.Click("macro_btn_up");
    EXPECT_EQ(List("macro_action_list")->currentRow(), 0);
    EXPECT_EQ(Describe(FileEvents(0)), Describe({Key(kUsageA, false, 25000), Key(kUsageA, true, 30),
                                                 Key(kUsageB, true, 30), Key(kUsageB, false, 30)}));
    EXPECT_TRUE(messages_.empty());

    // The macro goes onto a key on the key tab, and "Save to device" puts the
    // macro into the keyboard's macro memory and the key into its key table.
    harness_.OpenTab("key_Op_tab");
    KestrelKeyboardDevice& keyboard = *harness_.Device();
    const KeyPositionMaps maps = keyboard.Maps();
    int position = -1;
    for (size_t p = 0; p < maps.deviceKey.size() && position < 0; ++p) {
        const std::string name = "key_" + std::to_string(p);
        auto* button = harness_.Control<QAbstractButton>(name.c_str());
        if (maps.deviceKey[p] != kNoDeviceKey && button && button->isVisible() && button->isEnabled()) {
            position = static_cast<int>(p);
        }
    }
    ASSERT_GE(position, 0);
    harness_.Click(("key_" + std::to_string(position)).c_str());
    const auto choose = [this](const char* comboName, int item) {
        auto* combo = harness_.Control<QComboBox>(comboName);
        ASSERT_NE(combo, nullptr) << comboName;
        ASSERT_TRUE(combo->isVisible()) << comboName;
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Home);
        while (combo->currentIndex() < item) QTest::keyClick(combo, Qt::Key_Down);
        ASSERT_EQ(combo->currentIndex(), item) << comboName;
    };
    auto* functions = harness_.Control<QComboBox>("keyset_function_combo");
    ASSERT_NE(functions, nullptr);
    choose("keyset_function_combo", functions->findData(static_cast<int>(KeyFunctionId::kMacro)));
    choose("keyset_macro_combo", 0);
    harness_.Keyboard().Firmware().ModifyMemory([](sim::SimFirmwareMemory& memory) {
        memory.keyTable.fill(0);
        memory.macroMemory.fill(0);
    });
    harness_.Click("key_butt_prosave");
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    const sim::SimFirmwareMemory memory = harness_.Keyboard().Firmware().Memory();
    const size_t key = maps.deviceKey[static_cast<size_t>(position)];
    EXPECT_EQ(memory.keyTable[3 * key], 0x70);      // runs a macro
    EXPECT_EQ(memory.keyTable[3 * key + 1], 0x00);  // the first one
    EXPECT_TRUE(std::any_of(memory.macroMemory.begin(), memory.macroMemory.end(), [](uint8_t b) { return b != 0; }));
    EXPECT_EQ(keyboard.KeyList()[static_cast<size_t>(position)].current.type, 0x70);
}

TEST_F(MacroPanelTest, RecordingDeliveredFromAnotherThreadReachesTheRowsOnTheUiThread) {
    harness_.Click("macro_btn_name_add");
    harness_.Click("macro_check_time");
    Type("macro_fixed_time_edit", QStringLiteral("99999"));  // clipped to 65535
    Record([this] {
        std::thread source([this] {
            script_.Press(KEY_A);
            script_.Release(KEY_A);
        });
        source.join();
        EXPECT_EQ(List("macro_action_list")->count(), 0);  // queued for the UI thread
        ASSERT_TRUE(QTest::qWaitFor([this] { return List("macro_action_list")->count() == 2; }));
    });
    EXPECT_EQ(harness_.Control<QLineEdit>("macro_fixed_time_edit")->text(), QStringLiteral("65535"));
    EXPECT_EQ(Describe(FileEvents(0)), Describe({Key(kUsageA, true, 65535), Key(kUsageA, false, 65535)}));
}

// While the computer goes to sleep or wakes, nothing is recorded.
TEST_F(MacroPanelTest, NothingIsRecordedWhileTheComputerSleeps) {
    harness_.Click("macro_btn_name_add");
    Record([this] {
        harness_.Window().SendMessage(shell::message::kSuspend, 0, 0);
        script_.Press(KEY_A);
        script_.Release(KEY_A);
        harness_.Window().SendMessage(shell::message::kResume, 0, 0);
        script_.Press(KEY_B);
        script_.Release(KEY_B);
    });
    ASSERT_EQ(FileEvents(0).size(), 2u);
    EXPECT_EQ(FileEvents(0)[0].button, kUsageB);
}

TEST_F(MacroPanelTest, EditingCommandsChangeTheRowsAndSaveEveryTime) {
    const std::vector<MacroEvent> three = {Key(kUsageA, true, 10), Key(kUsageA, false, 20), Key(kUsageB, true, 30)};
    struct Case {
        const char* what;
        std::function<void()> act;
        std::vector<MacroEvent> expected;
    };
    const uint16_t constant = 40;  // the constant time of the last fixed-time recording
    const std::vector<Case> cases = {
        {"up on the first row",
         [this] {
             ClickItem("macro_action_list", 0);
             harness_.Click("macro_btn_up");
         },
         three},
        {"down on the last row",
         [this] {
             ClickItem("macro_action_list", 2);
             harness_.Click("macro_btn_down");
         },
         three},
        {"to the top",
         [this] {
             ClickItem("macro_action_list", 2);
             harness_.Click("macro_btn_uptop");
         },
         {three[2], three[0], three[1]}},
        {"to the bottom",
         [this] {
             ClickItem("macro_action_list", 0);
             harness_.Click("macro_btn_downbottom");
         },
         {three[1], three[2], three[0]}},
        {"delete",
         [this] {
             ClickItem("macro_action_list", 1);
             harness_.Click("macro_btn_delete");
         },
         {three[0], three[2]}},
        {"delete all", [this] { harness_.Click("macro_btn_deleteall"); }, {}},
        {"pointer move 300 keeps 44",
         [this] {
             ClickItem("macro_action_list", 0);
             Type("mouse_x_left_edit", QStringLiteral("300"));
             harness_.Click("macro_inset_moveleftkey_btn");
         },
         {three[0], Event(macro_event_type::kHorizontalMove, 44, true, constant), three[1], three[2]}},
        {"pointer move down without a selection goes first",
         [this] {
             Type("mouse_y_down_edit", QStringLiteral("7"));
             harness_.Click("macro_inset_movedownkey_btn");
         },
         {Event(macro_event_type::kVerticalMove, 7, false, constant), three[0], three[1], three[2]}},
        {"left_click inserts down and up",
         [this] {
             MacroEventRow* row = Row(0);
             QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), row->mapToGlobal(QPoint(5, 5)));
             QApplication::sendEvent(row, &menu);
             ASSERT_NE(panel_->ActionMenu(), nullptr);
             auto* item = panel_->ActionMenu()->findChild<QAbstractButton*>(QStringLiteral("left_click"));
             ASSERT_NE(item, nullptr);
             QTest::mouseClick(item, Qt::LeftButton);
         },
         {three[0], Event(1, 0x01, true, constant), Event(1, 0x01, false, constant), three[1], three[2]}},
    };
    ShowMacroWith(three);
    // A fixed-time recording without events sets the constant time.
    harness_.Click("macro_check_time");
    Type("macro_fixed_time_edit", QString::number(constant));
    Record([] {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Macros().SaveEvents(0, three));
        harness_.Click("macro_btn_cancel");
        // The file changes behind the editor's back: only a save restores it.
        ASSERT_TRUE(Macros().SaveEvents(0, {Key(0x1E, true, 1)}));
        c.act();
        EXPECT_EQ(Describe(FileEvents(0)), Describe(c.expected));
        EXPECT_EQ(Describe(panel_->ShownEvents()), Describe(c.expected));
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(MacroPanelTest, ActionMenuRecordsAroundTheSelectedEventInTheOrderPressed) {
    const std::vector<MacroEvent> two = {Key(kUsageA, true, 10), Key(kUsageA, false, 20)};
    struct Case {
        const char* item;
        int row;  // the row whose menu is opened
        std::vector<MacroEvent> expected;
    };
    const Case cases[] = {
        // The first recording of the editor leaves the events before it alone.
        {"redio_previous_ignore_time", 1, {two[0], Key(kUsageB, true, 0), Key(kUsageB, false, 0), two[1]}},
        // The editor has recorded before, so the selected event now waits
        // the recording's time (none) until the first new one.
        {"redio_later_ignore_time", 0, {Key(kUsageA, true, 0), Key(kUsageB, true, 0), Key(kUsageB, false, 0), two[1]}},
        // The key replaces the selected event's key; its action and delay stay.
        {"macro_action_edit", 0, {Key(kUsageB, true, 10), two[1]}},
    };
    ShowMacroWith(two);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        ASSERT_TRUE(Macros().SaveEvents(0, two));
        harness_.Click("macro_btn_cancel");
        MacroEventRow* row = Row(c.row);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), row->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(row, &menu);
        ASSERT_NE(panel_->ActionMenu(), nullptr);
        auto* item = panel_->ActionMenu()->findChild<QAbstractButton*>(QString::fromLatin1(c.item));
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(item, Qt::LeftButton);
        ASSERT_TRUE(panel_->Recording());
        script_.Press(KEY_B);
        script_.Release(KEY_B);
        harness_.Click("macro_btn_stopredio");
        EXPECT_EQ(Describe(FileEvents(0)), Describe(c.expected));
    }
}

TEST_F(MacroPanelTest, EveryControlHasAnAccessibleNameInTheLanguage) {
    ShowMacroWith({Key(kUsageA, true, 10)});
    const dui::LanguageResources& texts = dui::LanguageResources::Instance();
    QWidget* panel = harness_.Control("macro_name_tab")->parentWidget();
    std::vector<QWidget*> controls;
    for (QWidget* widget : panel->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
            qobject_cast<QListWidget*>(widget) || qobject_cast<MacroEventRow*>(widget)) {
            controls.push_back(widget);
        }
    }
    ASSERT_GT(controls.size(), 30u);
    for (QWidget* control : controls) {
        const QString name = control->accessibleName();
        EXPECT_FALSE(name.isEmpty()) << control->objectName().toStdString();
        EXPECT_FALSE(name.startsWith(QStringLiteral("macro_"))) << name.toStdString() << " is a bare text key";
        EXPECT_FALSE(texts.Has(name)) << name.toStdString() << " is a bare text key";
    }
    // The names follow the language (the next window loads its own again).
    QWidget* add = harness_.Control("macro_btn_name_add");
    QStringList names;
    for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
        ASSERT_TRUE(dui::LanguageResources::Instance().LoadLanguage(QStringLiteral(IVRA_SOURCE_DIR "/skin/") +
                                                                    QString::fromLatin1(file)));
        texts.ReloadText(panel);
        EXPECT_EQ(add->accessibleName(), texts.Text(QStringLiteral("macro_access_add"))) << file;
        names << add->accessibleName();
    }
    EXPECT_NE(names[0], names[1]);
}

TEST_F(MacroPanelTest, AMacroFileThatCannotBeReadIsNeverSavedOver) {
    ShowMacroWith({Key(kUsageA, true, 10)});
    const std::filesystem::path file = Macros().MacroFile(0);
    {
        std::ofstream out(file, std::ios::trunc);
        out << "{ \"Events\": [ not json";
    }
    harness_.Click("macro_btn_cancel");  // shows the file again
    EXPECT_EQ(List("macro_action_list")->count(), 0);
    ASSERT_EQ(messages_.size(), 1u);
    harness_.Click("macro_btn_deleteall");
    harness_.Click("macro_btn_save");
    EXPECT_EQ(messages_.size(), 3u);
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "{ \"Events\": [ not json");
}

TEST_F(MacroPanelTest, DeletingAMacroThatAKeyRunsAsksTwice) {
    constexpr int kPosition = 3;
    struct Case {
        const char* what;
        std::vector<int> answers;
        std::vector<std::string> questions;
        std::size_t macrosLeft;
    };
    const Case cases[] = {
        {"no to the second question keeps both", {1, 2}, {"message_text_4", "message_text_2"}, 2},
        {"no to the first question asks nothing more", {2}, {"message_text_4"}, 2},
        {"yes to both deletes the macro and frees the key", {1, 1}, {"message_text_4", "message_text_2"}, 1},
    };
    harness_.Click("macro_btn_name_add");
    harness_.Click("macro_btn_name_add");
    const Assignment runsSecond{0x70, 1, 0};
    const Assignment defaults = harness_.Device()->KeyList()[kPosition].defaults.Bytes();
    ASSERT_TRUE(harness_.Device()->SetKeyAssignment(kPosition, runsSecond));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages_.clear();
        answers_ = c.answers;
        ClickItem("macro_name_list", 1);
        ASSERT_EQ(panel_->CurrentMacroIndex(), 1);
        harness_.Click("macro_btn_name_sub");
        EXPECT_EQ(messages_, c.questions);
        EXPECT_EQ(Macros().Count(), c.macrosLeft);
        EXPECT_EQ(panel_->MacroNames().size(), static_cast<qsizetype>(c.macrosLeft));
        const Assignment now = harness_.Device()->KeyList()[kPosition].current.Bytes();
        EXPECT_EQ(now == runsSecond, c.macrosLeft == 2);
        if (c.macrosLeft == 1) {
            EXPECT_EQ(now, defaults);
        }
    }
}

TEST_F(MacroPanelTest, RenameRefusesATakenNameAndNoSourceMeansNoRecording) {
    harness_.Click("macro_btn_name_add");
    harness_.Click("macro_btn_name_add");
    Type("macro_edit_macroname", QStringLiteral("MACRO_1"));
    harness_.Click("macro_btn_name_edit");
    EXPECT_EQ(messages_, std::vector<std::string>{"message_text_5"});
    Type("macro_edit_macroname", QStringLiteral("Sprint"));
    harness_.Click("macro_btn_name_edit");
    EXPECT_EQ(Macros().Names(), (std::vector<std::string>{"macro_1", "Sprint"}));
    EXPECT_EQ(List("macro_name_list")->item(1)->text(), QStringLiteral("Sprint"));

    script_.SetUnavailable("the script is switched off");
    harness_.Click("macro_btn_starredio");
    EXPECT_FALSE(panel_->Recording());
    EXPECT_TRUE(harness_.Control("macro_name_tab")->isEnabled());
    const QString state = harness_.Control<QLabel>("macro_record_source_label")->text();
    EXPECT_TRUE(state.contains(QStringLiteral("the script is switched off"))) << state.toStdString();
}

}  // namespace
}  // namespace ivra::panels
