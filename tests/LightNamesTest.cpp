// Effect names from "default_light.json" and "norvo_light.config", the
// effect index <-> device code mapping, the shipped name file, and the
// same-mode table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "discovery/DeviceSlot.h"
#include "models/lighting/LightNames.h"
#include "models/lighting/SameMode.h"
#include "TemporaryFolder.h"

namespace ivra::light {
namespace {

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

constexpr const char* kDefaultLight = R"({
  "DefaultLightName": [
    [
      {"LightName": "Hidden start", "visible": false, "value": 9},
      {"LightName": "Steady", "visible": true, "value": 1},
      "not an entry",
      {"LightName": "Breathing \u00e9", "visible": true, "value": 3}
    ],
    null,
    [{"LightName": "Wave", "visible": true, "value": 4}]
  ],
  "AreaLightName": [[{"LightName": "Whole"}, {"LightName": "Keys"}]]
})";

constexpr const char* kRecorded = R"({
  "LightInfo": [[{"LightName": "Mine", "Guid": "g1"}, {"LightName": "Yours", "Guid": "g2"}]]
})";

class LightNamesTest : public ::testing::Test {
protected:
    LightNamesTest() {
        WriteText(DefaultFile(), kDefaultLight);
        WriteText(RecordedFile(), kRecorded);
    }
    std::filesystem::path DefaultFile() const { return folder_.Path() / "default_light.json"; }
    std::filesystem::path RecordedFile() const { return folder_.Path() / "norvo_light.config"; }
    std::filesystem::path Missing() const { return folder_.Path() / "none.json"; }

    sim::TemporaryFolder folder_{"ivra-light-names"};
};

TEST_F(LightNamesTest, BuildsTheListsOfAModelAndAppendsRecordedNames) {
    const LightNameLists lists = LoadLightNames(DefaultFile(), RecordedFile(), 0);
    EXPECT_EQ(lists.names, (std::vector<std::string>{"Hidden start", "Steady", "", "Breathing \xc3\xa9"}));
    // A hidden entry and an entry that is not an object keep their places.
    EXPECT_EQ(lists.visible, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(lists.codes, (std::vector<int>{9, 1, 0, 3}));
    EXPECT_EQ(lists.areaNames, (std::vector<std::string>{"Whole", "Keys"}));
    EXPECT_EQ(lists.recordedNames, (std::vector<std::string>{"Mine", "Yours"}));
    EXPECT_EQ(lists.ComboNames(),
              (std::vector<std::string>{"Hidden start", "Steady", "", "Breathing \xc3\xa9", "Mine", "Yours"}));
    EXPECT_EQ(lists.ComboVisible(), (std::vector<bool>{false, true, false, true, true, true}));
}

TEST_F(LightNamesTest, AModelWithoutAnElementOrAMissingFileAddsNothing) {
    const LightNameLists nullModel = LoadLightNames(DefaultFile(), RecordedFile(), 1);
    EXPECT_TRUE(nullModel.names.empty());
    EXPECT_TRUE(nullModel.recordedNames.empty());  // the recorded file has no element 1 either

    const LightNameLists pastTheEnd = LoadLightNames(DefaultFile(), RecordedFile(), 7);
    const LightNameLists negative = LoadLightNames(DefaultFile(), RecordedFile(), -1);
    for (const LightNameLists* lists : {&pastTheEnd, &negative}) {
        EXPECT_TRUE(lists->names.empty() && lists->codes.empty() && lists->areaNames.empty() &&
                    lists->recordedNames.empty());
    }

    WriteText(folder_.Path() / "broken.json", "{\"DefaultLightName\": [[");
    const LightNameLists broken = LoadLightNames(folder_.Path() / "broken.json", RecordedFile(), 0);
    EXPECT_TRUE(broken.names.empty());
    EXPECT_EQ(broken.recordedNames.size(), 2u);

    const LightNameLists noRecorded = LoadLightNames(DefaultFile(), Missing(), 2);
    EXPECT_EQ(noRecorded.names, std::vector<std::string>{"Wave"});
    EXPECT_TRUE(noRecorded.recordedNames.empty());
}

TEST(LightEffectCodeTest, StreamedAndUnsentIndicesAndIndicesPastTheListSendEntryZero) {
    LightNameLists lists;
    for (int i = 0; i < 40; ++i) lists.codes.push_back(100 + i);
    struct Case {
        unsigned index;
        uint8_t code;
    };
    const Case cases[] = {{0, 100},  {1, 101},  {28, 128}, {29, 100},  {30, 100},
                          {31, 131}, {32, 100}, {39, 100}, {255, 100}, {100000, 100}};
    for (const Case& c : cases) EXPECT_EQ(DeviceEffectCode(lists, c.index), c.code) << c.index;

    LightNameLists shortList;
    shortList.codes = {7, 8, 9};
    EXPECT_EQ(DeviceEffectCode(shortList, 2), 9);
    EXPECT_EQ(DeviceEffectCode(shortList, 3), 7);
    EXPECT_EQ(DeviceEffectCode(shortList, 20), 7);
    EXPECT_EQ(DeviceEffectCode(LightNameLists{}, 1), 0);

    LightNameLists outOfRange;
    outOfRange.codes = {-4, 300};
    EXPECT_EQ(DeviceEffectCode(outOfRange, 0), 0);
    EXPECT_EQ(DeviceEffectCode(outOfRange, 1), 255);
}

TEST(LightEffectCodeTest, CodeReadBackTakesTheFirstIndexWithItOrKeepsTheCode) {
    LightNameLists lists;
    lists.codes = {21, 1, 0, 22, 22, 300};
    EXPECT_EQ(EffectIndexForCode(lists, 21), 0u);
    EXPECT_EQ(EffectIndexForCode(lists, 0), 2u);
    EXPECT_EQ(EffectIndexForCode(lists, 22), 3u);   // two entries share it: the first wins
    EXPECT_EQ(EffectIndexForCode(lists, 255), 5u);  // the code a clamped 300 sends
    EXPECT_EQ(EffectIndexForCode(lists, 77), 77u);  // unknown: kept as the index
    EXPECT_EQ(EffectIndexForCode(LightNameLists{}, 5), 5u);
}

TEST(ShippedLightNamesTest, EveryModelHasItsEffectsAndVisibleEffectsRoundTripThroughTheirCodes) {
    const std::filesystem::path file = std::filesystem::path(IVRA_SOURCE_DIR) / "DefaultData" / "default_light.json";
    for (const int model : {0, 4}) {  // the two keyboard models
        const LightNameLists lists = LoadLightNames(file, {}, model);
        ASSERT_GE(lists.names.size(), 31u) << model;
        ASSERT_EQ(lists.codes.size(), lists.names.size());
        bool codesDifferFromIndices = false;
        for (unsigned i = 1; i <= 21; ++i) {
            EXPECT_TRUE(lists.visible[i]) << model << ' ' << i;
            EXPECT_FALSE(lists.names[i].empty()) << model << ' ' << i;
            EXPECT_EQ(EffectIndexForCode(lists, DeviceEffectCode(lists, i)), i) << model << ' ' << i;
            codesDifferFromIndices |= lists.codes[i] != static_cast<int>(i);
        }
        for (unsigned i = 22; i <= 28; ++i) EXPECT_FALSE(lists.visible[i]) << model << ' ' << i;
        EXPECT_TRUE(lists.visible[29] && lists.visible[30]);
        EXPECT_TRUE(codesDifferFromIndices);
        EXPECT_FALSE(lists.areaNames.empty());
    }
    for (const int model : {1, 2, 3}) {  // mouse, mouse pad, headset
        const LightNameLists lists = LoadLightNames(file, {}, model);
        ASSERT_GE(lists.names.size(), 9u) << model;
        for (const unsigned i : {1u, 2u, 3u, 4u, 8u}) EXPECT_TRUE(lists.visible[i]) << model << ' ' << i;
        EXPECT_FALSE(lists.areaNames.empty());
    }
}

TEST(SameModeTest, EachKindMapsTheCommonEffectsBothWays) {
    struct Column {
        int kind;
        std::vector<std::optional<unsigned>> indices;  // by common effect 0..4
    };
    const Column columns[] = {
        {kind::kKeyboard, {3u, 1u, std::nullopt, std::nullopt, 20u}},
        {kind::kMouse, {2u, 3u, 4u, 1u, 8u}},
        {kind::kMousePad, {2u, 3u, 4u, 1u, 8u}},
        {kind::kHeadset, {2u, 3u, 4u, 1u, 8u}},
    };
    for (const Column& column : columns) {
        for (int c = 0; c < 5; ++c) {
            const auto index = KindEffectFor(column.kind, c);
            EXPECT_EQ(index, column.indices[static_cast<size_t>(c)]) << column.kind << ' ' << c;
            if (index) {
                EXPECT_EQ(CommonEffectFor(column.kind, *index), c) << column.kind << ' ' << c;
            }
        }
        EXPECT_EQ(KindEffectFor(column.kind, 5), std::nullopt);
        EXPECT_EQ(KindEffectFor(column.kind, -1), std::nullopt);
    }
    // Effects outside the table, and kinds outside it (devices bound through
    // a receiver), have no common effect.
    EXPECT_EQ(CommonEffectFor(kind::kKeyboard, 5), std::nullopt);
    EXPECT_EQ(CommonEffectFor(kind::kKeyboard, 2), std::nullopt);
    EXPECT_EQ(CommonEffectFor(kind::kMouse, 0), std::nullopt);
    EXPECT_EQ(CommonEffectFor(kind::kKeyboardReceiver, 3), std::nullopt);
    EXPECT_EQ(KindEffectFor(kind::kMouseReceiver, 0), std::nullopt);
}

}  // namespace
}  // namespace ivra::light
