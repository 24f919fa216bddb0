// The light sections of a profile's device section: the light and music
// records, the per-key list and the custom colour groups.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightSections.h"
#include "models/lighting/LightTables.h"
#include "base/JsonHelpers.h"

namespace ivra::light {
namespace {

Json::Value Parse(const char* text) {
    bool ok = false;
    Json::Value value = ParseJson(text, &ok);
    EXPECT_TRUE(ok) << text;
    return value;
}

TEST(LightSectionsTest, LightInfoMissingReadsZeroAndWrittenRecordReadsBack) {
    EXPECT_EQ(ReadLightInfo(Json::Value()), LightInfo{});
    EXPECT_EQ(ReadLightInfo(Parse(R"({"LightInfo": null})")), LightInfo{});
    EXPECT_EQ(ReadLightInfo(Parse(R"({"LightInfo": [1, 2, 3]})")), LightInfo{});

    const LightInfo record = {21, 4, 2, 1, 1, 10, 20, 30, 0, 0, 0, 3, 5, 19};
    Json::Value section = Parse(R"({"LightInfo": {"Stale": 1, "SelectItem": 9}, "KeyList": [1]})");
    WriteLightInfo(section, record);
    EXPECT_EQ(ReadLightInfo(section), record);
    // The whole object is rewritten: the stale member goes, other sections stay.
    EXPECT_FALSE(section["LightInfo"].isMember("Stale"));
    EXPECT_EQ(section["LightInfo"].size(), 11u);
    EXPECT_TRUE(section["LightInfo"]["MultiColor"].isBool());
    EXPECT_EQ(section["KeyList"][0].asInt(), 1);

    // Bytes 8..10 are not stored, so they read back as zero.
    LightInfo withSpare = record;
    withSpare[8] = withSpare[9] = withSpare[10] = 7;
    WriteLightInfo(section, withSpare);
    EXPECT_EQ(ReadLightInfo(section), record);
}

TEST(LightSectionsTest, MembersOfTheWrongTypeReadZeroAndNumbersClampToAByte) {
    struct Case {
        const char* json;
        uint8_t light;
        uint8_t multiColor;
    };
    const Case cases[] = {
        {R"({"Light": 3, "MultiColor": true})", 3, 1},
        {R"({"Light": 7, "MultiColor": false})", 7, 0},  // kept as written beyond the level range
        {R"({"Light": 300, "MultiColor": 1})", 255, 1},  // clamped to what the byte holds
        {R"({"Light": -5, "MultiColor": 0})", 0, 0},
        {R"({"Light": "3", "MultiColor": "yes"})", 0, 0},   // strings are the wrong type
        {R"({"Light": 2.5, "MultiColor": [true]})", 0, 0},  // so are fractions and arrays
        {R"({"Light": 2.0, "MultiColor": {}})", 2, 0},
        {R"({"Light": 1e30, "MultiColor": null})", 255, 0},
        {R"({"Light": true})", 1, 0},
    };
    for (const Case& c : cases) {
        Json::Value section;
        section["LightInfo"] = Parse(c.json);
        const LightInfo record = ReadLightInfo(section);
        EXPECT_EQ(record[info::kLight], c.light) << c.json;
        EXPECT_EQ(record[info::kMultiColor], c.multiColor) << c.json;
    }
}

TEST(LightSectionsTest, AudioLightInfoReadsBackAndMissingReadsZero) {
    EXPECT_EQ(ReadAudioLightInfo(Parse(R"({"AudioLightInfo": "x"})")), AudioLightInfo{});
    const AudioLightInfo record = {6, 1, 2, 3, 250, 251, 252, 1, 1};
    Json::Value section(Json::objectValue);
    WriteAudioLightInfo(section, record);
    EXPECT_EQ(ReadAudioLightInfo(section), record);
    EXPECT_EQ(section["AudioLightInfo"]["7ColorFlags"].asInt(), 1);
    EXPECT_EQ(section["AudioLightInfo"].size(), 9u);
}

TEST(LightSectionsTest, WritersTurnASectionOfAnotherTypeIntoAnObject) {
    Json::Value section = 5;
    WriteLightInfo(section, LightInfo{1});
    WriteAudioLightInfo(section, AudioLightInfo{2});
    WriteCustomGroupIndex(section, 3);
    EXPECT_EQ(ReadLightInfo(section)[0], 1);
    EXPECT_EQ(ReadAudioLightInfo(section)[0], 2);
    EXPECT_EQ(section["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 3);
}

TEST(LightSectionsTest, LightListHasOneRecordPerPositionAndMarksOnlyObjects) {
    const Json::Value section = Parse(R"({"LightList": [
        {"LEDREGMode": 2, "LEDBrightness": 4, "LEDSpeed": 3, "LEDDirection": true,
         "LEDMultiColor": false, "red": 1, "green": 2, "blue": 3},
        null,
        7,
        {"LEDREGMode": "steady", "red": 999},
        {"LEDREGMode": 1}
    ]})");
    const std::vector<LightInfo> records = ReadLightList(section, 6);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0], (LightInfo{2, 4, 3, 1, 0, 1, 2, 3, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(records[1], LightInfo{});  // null: no per-key effect
    EXPECT_EQ(records[2], LightInfo{});  // not an object
    EXPECT_EQ(records[3], (LightInfo{0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(records[4][perkey::kMode], 1);
    EXPECT_EQ(records[5], LightInfo{});  // past the array

    EXPECT_EQ(ReadLightList(section, 2).size(), 2u);
    EXPECT_EQ(ReadLightList(Parse(R"({"LightList": {"0": {}}})"), 3), std::vector<LightInfo>(3));
    EXPECT_TRUE(ReadLightList(Json::Value(), 0).empty());
}

TEST(LightSectionsTest, ReadingAShortGroupCreatesTheMissingPositionsAsBlackWithBrightnessZero) {
    Json::Value section = Parse(R"({"CustomLightMode": {"LightColorInfo": [
        [{"Red": 10, "Green": 20, "Blue": 30, "Alpha": 40}, 5]
    ]}})");
    std::vector<uint32_t> colours = {99};
    ASSERT_TRUE(ReadCustomGroup(section, 0, 4, colours));
    EXPECT_EQ(colours, (std::vector<uint32_t>{PackLed({10, 20, 30}, 40), 0, 0, 0}));
    const Json::Value& group = section["CustomLightMode"]["LightColorInfo"][0];
    ASSERT_EQ(group.size(), 4u);
    for (Json::ArrayIndex i = 1; i < 4; ++i) {  // the number 5 held no colour either
        ASSERT_TRUE(group[i].isObject()) << i;
        for (const char* key : {"Red", "Green", "Blue", "Alpha"}) {
            EXPECT_TRUE(group[i][key].isInt()) << i << key;
            EXPECT_EQ(group[i][key].asInt(), 0) << i << key;
        }
    }
    EXPECT_EQ(group[0]["Red"].asInt(), 10);
}

TEST(LightSectionsTest, ReadingAMissingGroupCreatesTheGroupsBeforeIt) {
    Json::Value section(Json::objectValue);
    std::vector<uint32_t> colours;
    ASSERT_TRUE(ReadCustomGroup(section, 2, 3, colours));
    EXPECT_EQ(colours, std::vector<uint32_t>(3, 0));
    EXPECT_EQ(CustomGroupCount(section), 3u);
    EXPECT_EQ(section["CustomLightMode"]["LightColorInfo"][2].size(), 3u);
    EXPECT_EQ(CustomGroupCount(Parse(R"({"CustomLightMode": {"LightColorInfo": 4}})")), 0u);
}

TEST(LightSectionsTest, GroupsTheDeviceCannotAddressAreRefusedWithoutChange) {
    Json::Value section = Parse(R"({"CustomLightMode": {"LightColorInfo": [[]]}})");
    const Json::Value before = section;
    std::vector<uint32_t> colours = {1, 2};
    EXPECT_FALSE(ReadCustomGroup(section, kMaxCustomGroups, 3, colours));
    EXPECT_FALSE(WriteCustomGroup(section, kMaxCustomGroups + 1000, colours));
    EXPECT_EQ(section, before);
    EXPECT_EQ(colours, (std::vector<uint32_t>{1, 2}));

    EXPECT_TRUE(ReadCustomGroup(section, kMaxCustomGroups - 1, 1, colours));
    EXPECT_EQ(CustomGroupCount(section), kMaxCustomGroups);
}

TEST(LightSectionsTest, WrittenGroupReadsBackAndKeepsPositionsBeyondTheBuffer) {
    Json::Value section(Json::objectValue);
    const std::vector<uint32_t> wide = {PackLed({1, 2, 3}, 4), PackLed({5, 6, 7}, 8), PackLed({9, 9, 9}, 9)};
    ASSERT_TRUE(WriteCustomGroup(section, 1, wide));
    const std::vector<uint32_t> narrow = {PackLed({255, 0, 128}, 255)};
    ASSERT_TRUE(WriteCustomGroup(section, 1, narrow));

    std::vector<uint32_t> colours;
    ASSERT_TRUE(ReadCustomGroup(section, 1, 3, colours));
    EXPECT_EQ(colours, (std::vector<uint32_t>{narrow[0], wide[1], wide[2]}));
    EXPECT_EQ(CustomGroupCount(section), 2u);

    EXPECT_EQ(ReadCustomGroupIndex(section), std::nullopt);  // groups alone carry no chosen index
    WriteCustomGroupIndex(section, 1);
    EXPECT_EQ(section["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 1);
    EXPECT_EQ(ReadCustomGroupIndex(section), 1);
    EXPECT_EQ(CustomGroupCount(section), 2u);  // the index sits beside the groups
}

}  // namespace
}  // namespace ivra::light
