#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTextEdit>

#include "KeyboardPageHarness.h"
#include "base/JsonHelpers.h"
#include "drivers/keyboard/KeyboardSettingsRecord.h"
#include "dui/LanguageResources.h"

namespace ivra::panels {
namespace {

Json::Value SystemStagesOnDisk(KestrelKeyboardDevice& keyboard) {
    return ReadJson(keyboard.GetProfilePath())["Device"][0]["SystemStages"];
}

std::vector<uint8_t> ActiveRecord(testing::KeyboardPageHarness& harness) {
    const sim::SimFirmwareMemory memory = harness.Keyboard().Firmware().Memory();
    return memory.SettingsRecord(memory.ActiveSlot());
}

// The user changes the report rate and the Win lock on the settings tab:
// each reaches the keyboard's settings record and the profile at once; the
// repeat rate and delay reach only the profile.
TEST(KeyboardSettingsPanelTest, ReportRateAndWinLockReachTheKeyboardRepeatStaysInTheProfile) {
    testing::KeyboardPageHarness harness;
    ASSERT_TRUE(harness.Start());
    KestrelKeyboardDevice& keyboard = *harness.Device();
    harness.OpenTab("system_Op_tab");

    harness.Click("polling_rate_option_2");
    QTRY_COMPARE(static_cast<int>(ActiveRecord(harness)[settings::kPollingRate]), 2);
    EXPECT_EQ(SystemStagesOnDisk(keyboard)["PollingRate"].asInt(), 2);

    harness.Click("winlockflag_option");
    QTRY_COMPARE(static_cast<int>(ActiveRecord(harness)[settings::kWinFlag]), 1);
    EXPECT_EQ(SystemStagesOnDisk(keyboard)["WinFlag"].asInt(), 1);
    harness.Click("winlockflag_option");
    QTRY_COMPARE(static_cast<int>(ActiveRecord(harness)[settings::kWinFlag]), 0);

    // Nothing goes to the keyboard for the repeat settings.
    harness.Keyboard().Firmware().ClearLog();
    auto* slider = harness.Control<QSlider>("repeat_rate_slider");
    ASSERT_NE(slider, nullptr);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    harness.Click("repeat_delay_check_2");
    EXPECT_EQ(SystemStagesOnDisk(keyboard)["Repeat"].asInt(), slider->maximum());
    EXPECT_EQ(SystemStagesOnDisk(keyboard)["RepeatDelay"].asInt(), 2);
    EXPECT_TRUE(harness.Keyboard().Firmware().ReceivedFrames().empty());
    auto* label = harness.Control<QLabel>("repeat_delay_time_label1");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(),
              dui::LanguageResources::Instance().Text(QStringLiteral("Repeat_Delay_Time")) + QStringLiteral("750ms"));
}

// What the page shows follows the profile: a stored report rate past the
// options selects the first option, and a reload shows the switches.
TEST(KeyboardSettingsPanelTest, ThePageShowsTheStoredRecordAfterAProfileReload) {
    testing::KeyboardPageHarness harness;
    ASSERT_TRUE(harness.Start());
    KestrelKeyboardDevice& keyboard = *harness.Device();
    ASSERT_TRUE(keyboard.ChangeSetting(KeyboardSetting::kPollingRate, 5));
    ASSERT_TRUE(keyboard.ChangeSetting(KeyboardSetting::kWFlag, 1));
    ASSERT_TRUE(keyboard.ChangeSetting(KeyboardSetting::kRepeatDelay, 3));
    keyboard.LoadProfile();
    keyboard.RefreshPage();
    QTRY_VERIFY(harness.Control<QAbstractButton>("polling_rate_option_0")->isChecked());
    for (const char* other : {"polling_rate_option_1", "polling_rate_option_2", "polling_rate_option_3"}) {
        EXPECT_FALSE(harness.Control<QAbstractButton>(other)->isChecked()) << other;
    }
    EXPECT_TRUE(harness.Control<QAbstractButton>("wflag_option")->isChecked());
    EXPECT_FALSE(harness.Control<QAbstractButton>("6flag_option")->isChecked());
    EXPECT_TRUE(harness.Control<QAbstractButton>("repeat_delay_check_3")->isChecked());
    // The stored 5 is kept: the next settings write sends it unchanged.
    harness.OpenTab("system_Op_tab");
    harness.Click("winlockflag_option");
    QTRY_COMPARE(static_cast<int>(ActiveRecord(harness)[settings::kWinFlag]), 1);
    EXPECT_EQ(static_cast<int>(ActiveRecord(harness)[settings::kPollingRate]), 5);
}

// A switch the keyboard refuses is told to the user, not passed over.
TEST(KeyboardSettingsPanelTest, ASwitchTheKeyboardRefusesIsTold) {
    testing::KeyboardPageHarness harness;
    QStringList told;
    harness.Services().message = [&told](const QString& key, int, int) {
        told << key;
        return 1;
    };
    ASSERT_TRUE(harness.Start());
    sim::SimFault refuse;
    refuse.command = 0x06;  // the settings write
    refuse.kind = sim::SimFaultKind::Status;
    harness.Keyboard().Faults().Add(refuse);
    harness.OpenTab("system_Op_tab");
    harness.Click("6flag_option");
    EXPECT_EQ(told, QStringList{QStringLiteral("setting_not_written_text")});
}

}  // namespace
}  // namespace ivra::panels
