// Recorded effects: the steps of a ".light" file and which file an effect
// index plays.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "models/lighting/RecordedEffects.h"
#include "base/JsonHelpers.h"
#include "TemporaryFolder.h"

namespace ivra::light {
namespace {

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class RecordedEffectsTest : public ::testing::Test {
protected:
    RecordedEffectsTest() { std::filesystem::create_directories(Data()); }
    std::filesystem::path Data() const { return folder_.Path() / "keyboard"; }

    sim::TemporaryFolder folder_{"ivra-recorded"};
};

TEST_F(RecordedEffectsTest, ReadsEveryKeyOfAStepAsAnIntegerWithinItsField) {
    WriteText(Data() / "one.light", R"({"LEDEffectList": [
        {"LEDREGMode": 2, "LEDBrightness": 4, "LEDSpeed": 3, "LEDDirection": true, "LEDMultiColor": 1,
         "red": 10, "green": 300, "blue": -1, "Time": 4000000000, "Cyle": 5000000000}
    ]})");
    const std::vector<RecordedStep> steps = ReadLightStepFile(Data() / "one.light");
    ASSERT_EQ(steps.size(), 1u);
    RecordedStep expected;
    expected.mode = 2;
    expected.brightness = 4;
    expected.speed = 3;
    expected.direction = 1;
    expected.multiColor = 1;
    expected.colour = {10, 255, 0};
    expected.timeMs = 4000000000u;  // all 32 bits kept
    expected.cycle = 0xFFFFFFFFu;   // beyond 32 bits: clamped
    EXPECT_EQ(steps[0], expected);
}

TEST_F(RecordedEffectsTest, FilesWithoutAStepListGiveNoSteps) {
    const std::string cases[] = {
        "",
        "not json",
        R"({"LEDEffectList": [{"Time": 1}])",  // cut short
        R"({"Other": []})",
        R"({"LEDEffectList": {"0": {"Time": 1}}})",
        R"([{"LEDEffectList": [{"Time": 1}]}])",
    };
    for (const std::string& text : cases) {
        WriteText(Data() / "bad.light", text);
        EXPECT_TRUE(ReadLightStepFile(Data() / "bad.light").empty()) << text;
    }
    EXPECT_TRUE(ReadLightStepFile(Data() / "missing.light").empty());
    EXPECT_TRUE(ReadLightStepFile(Data()).empty());  // a folder

    // Over the size bound, although valid.
    std::string big = R"({"LEDEffectList": [], "pad": ")";
    big.append(kMaxLightStepFileBytes, 'x');
    big += "\"}";
    WriteText(Data() / "big.light", big);
    EXPECT_TRUE(ReadLightStepFile(Data() / "big.light").empty());
}

TEST_F(RecordedEffectsTest, ElementsThatAreNotStepsKeepTheirPlaceAndTheCountIsBounded) {
    WriteText(Data() / "mixed.light", R"({"LEDEffectList": [7, null, {"LEDREGMode": 5, "Time": "10"}]})");
    const std::vector<RecordedStep> mixed = ReadLightStepFile(Data() / "mixed.light");
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_EQ(mixed[0], RecordedStep{});
    EXPECT_EQ(mixed[2].mode, 5);
    EXPECT_EQ(mixed[2].timeMs, 0u);

    std::string many = R"({"LEDEffectList": [)";
    for (size_t i = 0; i <= kMaxRecordedSteps; ++i) many += i == 0 ? "{}" : ",{}";
    many += "]}";
    WriteText(Data() / "many.light", many);
    EXPECT_EQ(ReadLightStepFile(Data() / "many.light").size(), kMaxRecordedSteps);
}

TEST_F(RecordedEffectsTest, AnEffectPlaysTheFileItsGuidNamesInTheDataFolder) {
    WriteText(Data() / "a1b2.light", R"({"LEDEffectList": [{"LEDREGMode": 1, "Time": 0}]})");
    const Json::Value config = ParseJson(R"({"LightInfo": [
        [{"LightName": "none"}, {"LightName": "mine", "Guid": "a1b2"}, {"Guid": "gone"}],
        [{"LightName": "other model", "Guid": "a1b2"}]
    ]})");
    const std::vector<RecordedStep> steps = LoadRecordedSteps(Data(), config, 1);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].mode, 1);
    EXPECT_TRUE(LoadRecordedSteps(Data(), config, 0).empty());  // no Guid
    EXPECT_TRUE(LoadRecordedSteps(Data(), config, 2).empty());  // no such file
    EXPECT_TRUE(LoadRecordedSteps(Data(), config, 3).empty());  // no such entry
    EXPECT_TRUE(LoadRecordedSteps(Data(), Json::Value(), 1).empty());
}

TEST_F(RecordedEffectsTest, AGuidThatCouldNameAnotherPathIsNeverOpened) {
    // Files a hostile Guid would reach if it were used as a path.
    WriteText(folder_.Path() / "outside.light", R"({"LEDEffectList": [{}]})");
    std::filesystem::create_directories(Data() / "sub");
    WriteText(Data() / "sub" / "inner.light", R"({"LEDEffectList": [{}]})");
    const std::string absolute = (folder_.Path() / "outside").string();
    const std::string guids[] = {"../outside", "sub/inner", "sub\\inner", "..", absolute, "a\nb", "tab\there", ""};
    for (const std::string& guid : guids) {
        Json::Value config;
        config["LightInfo"][0][0]["Guid"] = guid;
        EXPECT_TRUE(LoadRecordedSteps(Data(), config, 0).empty()) << guid;
        EXPECT_FALSE(IsSafeRecordedGuid(guid)) << guid;
    }
    EXPECT_TRUE(IsSafeRecordedGuid("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"));
    EXPECT_FALSE(IsSafeRecordedGuid(std::string(300, 'a')));
}

}  // namespace
}  // namespace ivra::light
