// The keyboard's byte layouts on their own: position maps, the macro image,
// the settings record and the system record.
#include <gtest/gtest.h>

#include "drivers/keyboard/KeyLabels.h"
#include "drivers/keyboard/KeyPositionMaps.h"
#include "models/keys/EnglishKeyNames.h"
#include "drivers/keyboard/KeyboardLightImages.h"
#include "drivers/keyboard/KeyboardSettingsRecord.h"
#include "models/profile/KeyboardSystemStages.h"
#include "drivers/keyboard/MacroImage.h"
#include "models/lighting/LightRecordLayout.h"

namespace ivra {
namespace {

std::vector<uint8_t> TableOf(const std::vector<int>& positions) {
    std::vector<uint8_t> table;
    for (int p : positions) {
        if (p < 0) {
            table.insert(table.end(), {0x20, 0x00, 0xFE});  // matches no position
        } else {
            table.insert(table.end(), kDefaultKeyTable[static_cast<size_t>(p)].begin(),
                         kDefaultKeyTable[static_cast<size_t>(p)].end());
        }
    }
    return table;
}

TEST(KeyPositionMapsTest, PositionsFindTheirKeysAndLeds) {
    // Device keys 0..4 hold positions 64, 5, (none), 64 again, 125.
    const std::vector<uint8_t> table = TableOf({64, 5, -1, 64, 125});
    // LED map: key 4's entry is 5, past the key count: it names no LED.
    const std::vector<uint8_t> leds = {3, 0, 1, 2, 5};
    const KeyPositionMaps maps = BuildKeyPositionMaps(table, leds, 5);
    EXPECT_EQ(maps.deviceKey[64], 0);  // the first equal entry wins
    EXPECT_EQ(maps.led[64], 3);
    EXPECT_EQ(maps.deviceKey[5], 1);
    EXPECT_EQ(maps.led[5], 0);
    EXPECT_EQ(maps.deviceKey[125], 4);
    EXPECT_EQ(maps.led[125], kNoDeviceKey);
    EXPECT_EQ(maps.deviceKey[0], kNoDeviceKey);
    EXPECT_EQ(maps.led[0], kNoDeviceKey);
    EXPECT_EQ(maps.PositionOfDeviceKey(1), 5);
    EXPECT_EQ(maps.PositionOfDeviceKey(2), -1);
    EXPECT_EQ(maps.PositionOfDeviceKey(300), -1);

    // A frame of 3n bytes never takes an LED number of n or more.
    std::vector<uint32_t> colours(kKeyboardPositions, 0xFF0000FFu);  // red at full brightness
    std::vector<uint8_t> frame;
    PackStreamFrame(colours, maps, 5, frame);
    ASSERT_EQ(frame.size(), 15u);
    EXPECT_EQ(frame[9], 254);  // position 64 at LED 3: 255 x 255 / 256
    EXPECT_EQ(frame[0], 254);  // position 5 at LED 0
    EXPECT_EQ(frame[3], 0);    // LED 1 belongs to the key that matched no position
}

TEST(KeyPositionMapsTest, ShortTablesAndCountsDoNotReadPastTheirEnd) {
    const KeyPositionMaps maps = BuildKeyPositionMaps(TableOf({7}), {}, 40);
    EXPECT_EQ(maps.deviceKey[7], 0);
    EXPECT_EQ(maps.led[7], kNoDeviceKey);
    EXPECT_EQ(BuildKeyPositionMaps({}, {}, -3), KeyPositionMaps());
}

TEST(MacroImageTest, HeaderOffsetsAndBlocks) {
    MacroEvent down;
    down.type = 10;
    down.button = 4;
    down.action = kActionDown;
    down.delay = 0x0102;
    MacroEvent up = down;
    up.action = kActionUp;
    const std::vector<std::vector<MacroEvent>> macros = {{down, up}, {}, {down}};
    const std::vector<uint8_t> image = BuildMacroImage(macros);
    ASSERT_EQ(image.size(), MacroImageSize(macros));
    ASSERT_EQ(image.size(), 16u + 6 * 3 + 4 * 3);
    EXPECT_EQ(image[0], 0xAA);
    EXPECT_EQ(image[1], 0x55);
    EXPECT_EQ(image[2], image.size());
    EXPECT_EQ(image[4], 3);
    for (size_t i = 6; i < 16; ++i) EXPECT_EQ(image[i], 0) << i;
    // Block offsets: 22, 22 + 4 + 8 = 34, 34 + 4 = 38.
    EXPECT_EQ(image[16], 22);
    EXPECT_EQ(image[18], 34);
    EXPECT_EQ(image[20], 38);
    EXPECT_EQ(image[22], 2);  // event count
    EXPECT_EQ(image[24], 0);  // reserved
    const auto first = EventToDeviceEvent(down);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), image.begin() + 26));
    EXPECT_EQ(image[34], 0);
    EXPECT_EQ(image[38], 1);
}

TEST(MacroImageTest, OverflowIsCountedInWholeEventsRoundedUp) {
    struct Case {
        size_t size, capacity;
        int expected;
    };
    for (const Case& c : {Case{2048, 2048, 0}, Case{2049, 2048, 1}, Case{2052, 2048, 1}, Case{2053, 2048, 2},
                          Case{2056, 2048, 2}, Case{40, 0, 10}}) {
        EXPECT_EQ(MacroImageOverflow(c.size, c.capacity), c.expected) << c.size << " in " << c.capacity;
    }
}

TEST(KeyboardSettingsRecordTest, BuildAndParse) {
    namespace info = light::info;
    LightInfo light{};
    light[info::kSelectItem] = 5;
    light[info::kLight] = 3;
    light[info::kSpeed] = 1;
    light[info::kFx] = 1;
    light[info::kMultiColor] = 1;
    light[info::kRed] = 10;
    light[info::kGreen] = 20;
    light[info::kBlue] = 30;
    light[info::kZZCCLedMode] = 2;
    light[info::kCustomGroup] = 6;
    light[info::kOldLedmode] = 9;
    KeyboardSystemStages stages;
    stages.wFlag = 1;
    stages.key6Flag = 0x0101;  // only the low byte is sent
    stages.winFlag = 1;
    stages.pollingRate = 5;  // sent as stored
    const SettingsRecord record = BuildSettingsRecord(light, stages, 0x42);
    const SettingsRecord expected = {0, 0x42, 3, 3, 1, 1, 10, 20, 30, 0, 0, 0, 0,
                                     0, 0,    0, 0, 0, 2, 1,  1,  1,  5, 0, 0, 6};
    EXPECT_EQ(record, expected);

    const SettingsReadBack back = ParseSettingsRecord(record, light);
    EXPECT_EQ(back.effectCode, 0x42);
    LightInfo same = light;
    EXPECT_EQ(back.light, same);  // the fields round-trip, the return effect is kept
    EXPECT_EQ(back.wFlag, 1);
    EXPECT_EQ(back.key6Flag, 1);
    EXPECT_EQ(back.winFlag, 1);

    // Out-of-range levels are bounded both ways.
    light[info::kSpeed] = 9;
    EXPECT_EQ(BuildSettingsRecord(light, stages, 0)[settings::kSlowness], 0);
    SettingsRecord odd = record;
    odd[settings::kBrightness] = 200;
    odd[settings::kSlowness] = 17;
    const SettingsReadBack bounded = ParseSettingsRecord(odd, LightInfo{});
    EXPECT_EQ(bounded.light[info::kLight], 4);
    EXPECT_EQ(bounded.light[info::kSpeed], 0);
}

TEST(KeyboardSystemStagesTest, JsonAndPageRules) {
    Json::Value section(Json::objectValue);
    EXPECT_EQ(ReadSystemStages(section), KeyboardSystemStages{});
    section["SystemStages"]["Repeat"] = 70000;
    section["SystemStages"]["RepeatDelay"] = "2";
    section["SystemStages"]["PollingRate"] = -4;
    section["SystemStages"]["WinFlag"] = true;
    KeyboardSystemStages stages = ReadSystemStages(section);
    EXPECT_EQ(stages.repeat, 65535);
    EXPECT_EQ(stages.repeatDelay, 0);
    EXPECT_EQ(stages.pollingRate, 0);
    EXPECT_EQ(stages.winFlag, 1);

    ApplySetting(stages, KeyboardSetting::kRepeatDelay, 2);
    ApplySetting(stages, KeyboardSetting::kPollingRate, 5);
    WriteSystemStages(section, stages);
    EXPECT_EQ(section["SystemStages"].size(), 6u);
    EXPECT_EQ(ReadSystemStages(section), stages);

    EXPECT_EQ(RepeatDelayLabel("Delay: ", 2), "Delay: 750ms");
    EXPECT_EQ(RepeatDelayLabel("", 9), "250ms");
    EXPECT_EQ(OptionIndexFor(5), 0);
    EXPECT_EQ(OptionIndexFor(3), 3);
    EXPECT_FALSE(SettingWritesDevice(KeyboardSetting::kRepeat));
    EXPECT_FALSE(SettingWritesDevice(KeyboardSetting::kRepeatDelay));
    EXPECT_TRUE(SettingWritesDevice(KeyboardSetting::kPollingRate));
    EXPECT_TRUE(SettingWritesDevice(KeyboardSetting::kWinLock));
}

TEST(KeyLabelsTest, TitleIsTheFactoryKeyAndTheMarkShowsAChange) {
    std::vector<KeyRecord> keys(kKeyboardPositions);
    for (size_t p = 0; p < keys.size(); ++p) {
        const auto& bytes = kDefaultKeyTable[p];
        keys[p].current.SetBytes(Assignment{bytes[0], bytes[1], bytes[2]});
        keys[p].defaults = keys[p].current;
    }
    keys[65].current.SetBytes(Assignment{0x20, 0x00, 0x04});  // "S" now types "A"
    keys[66].current.SetBytes(MacroAssignment(0, 1));
    const TranslateFunction translate = [](std::string_view key) {
        return key == "Key_Set" ? std::string("Key: ") : std::string(EnglishKeyText(key));
    };
    const std::vector<KeyLabel> labels = BuildKeyLabels(keys, {"Greeting"}, translate);
    ASSERT_EQ(labels.size(), kKeyboardPositions);
    EXPECT_TRUE(labels[64].shown);
    EXPECT_EQ(labels[64].title, "A");
    EXPECT_EQ(labels[64].text, "Key: A");
    EXPECT_TRUE(labels[64].unchanged);
    EXPECT_EQ(labels[65].title, "S");
    EXPECT_EQ(labels[65].text, "Key: A");
    EXPECT_FALSE(labels[65].unchanged);
    EXPECT_EQ(labels[66].text, "Key: Greeting");
    EXPECT_FALSE(labels[66].unchanged);
}

}  // namespace
}  // namespace ivra
