// The keyboard's typed settings model: a section read into the model and
// written back is unchanged, the light records keep every byte through their
// named fields, and values of the wrong type read as defaults.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "base/JsonHelpers.h"
#include "models/lighting/AudioLightSettings.h"
#include "models/lighting/LightSettings.h"
#include "models/profile/KeyboardSettings.h"

namespace ivra {
namespace {

Json::Value Parse(const char* text) {
    bool ok = false;
    Json::Value value = ParseJson(text, &ok);
    EXPECT_TRUE(ok) << text;
    return value;
}

Json::Value DefaultKeyboardSection() {
    const Json::Value file = ReadJson(std::filesystem::path(IVRA_SOURCE_DIR) / "DefaultData" / "keyboard.Json");
    return file["Device"][0];
}

// A section with per-key effects, three custom groups of uneven length, a
// chosen group and a light record the default file does not have.
constexpr const char* kEditedSection = R"({
  "KeyList": [{"Assignment": 2097193, "DefaultAssignment": 2097210},
              {"Assignment": 0, "DefaultAssignment": 3183105}],
  "LightInfo": {"SelectItem": 21, "Light": 2, "Speed": 4, "MultiColor": false, "Red": 1, "Green": 2,
                "Blue": 3, "Fx": 2, "ZZCCLedMode": 3, "CustomGroup": 2, "OldLedmode": 16},
  "AudioLightInfo": {"AudioMode": 2, "BkColorR": 9, "BkColorG": 8, "BkColorB": 7, "FgColorR": 6,
                     "FgColorG": 5, "FgColorB": 4, "7ColorFlags": 0, "ColorTypeFlags": 3},
  "LightList": [null,
                {"LEDREGMode": 2, "LEDBrightness": 4, "LEDSpeed": 3, "LEDDirection": true,
                 "LEDMultiColor": false, "red": 10, "green": 20, "blue": 30},
                null],
  "CustomLightMode": {"CustomLightModeGroupIndex": 2,
                      "LightColorInfo": [[{"Red": 255, "Green": 0, "Blue": 0, "Alpha": 255}],
                                         [],
                                         [{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4},
                                          {"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0}]]},
  "SystemStages": {"Repeat": 31, "RepeatDelay": 3, "Key6Flag": 1, "PollingRate": 2, "WFlag": 1,
                   "WinFlag": 1}
})";

TEST(KeyboardSettingsModelTest, SectionSurvivesReadAndWrite) {
    struct Case {
        const char* name;
        Json::Value section;
    };
    const std::vector<Case> cases = {
        {"default keyboard file", DefaultKeyboardSection()},
        {"edited section", Parse(kEditedSection)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.section.isObject());
        const KeyboardSettings settings = ReadKeyboardSettings(c.section);
        Json::Value written(Json::objectValue);
        WriteKeyboardSettings(settings, written);
        EXPECT_EQ(StyledJson(written), StyledJson(c.section));
        // Writing over the section it came from changes nothing either.
        Json::Value rewritten = c.section;
        WriteKeyboardSettings(settings, rewritten);
        EXPECT_EQ(StyledJson(rewritten), StyledJson(c.section));
    }
}

TEST(KeyboardSettingsModelTest, EditedSectionReadsIntoNamedFields) {
    const KeyboardSettings settings = ReadKeyboardSettings(Parse(kEditedSection));
    EXPECT_TRUE(settings.light.Is(light::KeyboardEffect::kCustom));
    EXPECT_EQ(settings.light.returnEffect, static_cast<uint8_t>(light::KeyboardEffect::kReactiveFade));
    EXPECT_EQ(settings.light.colour, (light::Rgb{1, 2, 3}));
    EXPECT_EQ(settings.light.colourPreset, 3);
    EXPECT_EQ(settings.light.customGroup, 2);
    EXPECT_EQ(settings.audioLight.background, (light::Rgb{9, 8, 7}));
    EXPECT_EQ(settings.audioLight.colourTypeFlags, 3);
    EXPECT_EQ(settings.system.repeat, 31);
    ASSERT_EQ(settings.keys.size(), 2u);
    EXPECT_EQ(settings.keys[1].defaults.Encoded(), 3183105);
    EXPECT_EQ(settings.keys[1].current.keyIndex, 1);
    ASSERT_EQ(settings.perKeyLights.size(), 3u);
    EXPECT_EQ(settings.perKeyLights[0], LightInfo{});
    EXPECT_EQ(settings.perKeyLights[1], (LightInfo{2, 4, 3, 1, 0, 10, 20, 30, 0, 0, 1, 0, 0, 0}));
    ASSERT_EQ(settings.customGroups.size(), 3u);
    EXPECT_EQ(settings.customGroups[0].size(), 1u);
    EXPECT_TRUE(settings.customGroups[1].empty());
    EXPECT_EQ(settings.customGroups[2].size(), 2u);
    EXPECT_EQ(settings.customGroupIndex, 2);
}

TEST(KeyboardSettingsModelTest, LightRecordsKeepEveryByte) {
    const std::vector<LightInfo> lights = {
        LightInfo{},
        {3, 4, 2, 1, 1, 255, 0, 0, 0, 0, 0, 0, 0, 3},
        {21, 0, 4, 2, 0, 1, 2, 3, 8, 9, 10, 3, 127, 29},
        // Bytes the profile does not store and values past every range.
        {255, 254, 253, 252, 251, 250, 249, 248, 247, 246, 245, 244, 243, 242},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
    };
    for (const LightInfo& record : lights) {
        const light::LightSettings settings = light::LightSettings::FromRecord(record);
        EXPECT_EQ(settings.ToRecord(), record);
    }
    const light::LightSettings named = light::LightSettings::FromRecord(lights[4]);
    EXPECT_EQ(named.effect, 0);
    EXPECT_EQ(named.brightness, 1);
    EXPECT_EQ(named.speed, 2);
    EXPECT_EQ(named.direction, 3);
    EXPECT_EQ(named.multiColor, 4);
    EXPECT_EQ(named.colour, (light::Rgb{5, 6, 7}));
    EXPECT_EQ(named.colourPreset, 11);
    EXPECT_EQ(named.customGroup, 12);
    EXPECT_EQ(named.returnEffect, 13);

    const std::vector<AudioLightInfo> audioLights = {
        AudioLightInfo{},
        {0, 0, 0, 64, 255, 0, 0, 1, 1},
        {1, 2, 3, 4, 5, 6, 7, 8, 9},
        {255, 254, 253, 252, 251, 250, 249, 248, 247},
    };
    for (const AudioLightInfo& record : audioLights) {
        const light::AudioLightSettings settings = light::AudioLightSettings::FromRecord(record);
        EXPECT_EQ(settings.ToRecord(), record);
    }
    const light::AudioLightSettings audio = light::AudioLightSettings::FromRecord(audioLights[2]);
    EXPECT_EQ(audio.mode, 1);
    EXPECT_EQ(audio.background, (light::Rgb{2, 3, 4}));
    EXPECT_EQ(audio.foreground, (light::Rgb{5, 6, 7}));
    EXPECT_EQ(audio.sevenColourFlags, 8);
    EXPECT_EQ(audio.colourTypeFlags, 9);
}

TEST(KeyboardSettingsModelTest, ValuesOfTheWrongTypeReadAsDefaults) {
    const std::vector<const char*> sections = {
        "null",
        "[1, 2]",
        R"("keyboard")",
        R"({"LightInfo": "bright", "AudioLightInfo": 5, "KeyList": {"Assignment": 1}, "LightList": 3,
            "CustomLightMode": [1], "SystemStages": "fast"})",
        R"({"LightInfo": {"SelectItem": "21", "Light": [4], "MultiColor": "yes", "Red": 1.5},
            "AudioLightInfo": {"AudioMode": {}, "7ColorFlags": null},
            "CustomLightMode": {"LightColorInfo": "red", "CustomLightModeGroupIndex": "2"},
            "SystemStages": {"Repeat": "20", "RepeatDelay": -1.5, "WinFlag": []}})",
    };
    for (const char* text : sections) {
        SCOPED_TRACE(text);
        const Json::Value section = Parse(text);
        KeyboardSettings settings;
        ASSERT_NO_THROW(settings = ReadKeyboardSettings(section));
        EXPECT_EQ(settings, KeyboardSettings{});
        Json::Value target = section;
        ASSERT_NO_THROW(WriteKeyboardSettings(settings, target));
        EXPECT_TRUE(target.isObject());
    }
}

}  // namespace
}  // namespace ivra
