// The keyboard's profile in memory: after every kind of change the typed
// model holds exactly what the saved file reads back as, so the records the
// keyboard is sent (built from the model) are the ones the file keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TemporaryFolder.h"
#include "base/JsonHelpers.h"
#include "drivers/keyboard/KeyboardProfile.h"
#include "models/lighting/LightRecordLayout.h"

namespace ivra {
namespace {

class KeyboardProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        profileFile_ = folder_.Path() / "profile.Json";
        profile_.SetPaths(profileFile_, folder_.Path() / "norvo_light.config",
                          std::filesystem::path(IVRA_SOURCE_DIR) / "DefaultData" / "keyboard.Json");
        ASSERT_TRUE(profile_.Load()) << "the default data makes the section";
    }

    // The settings as the saved file gives them.
    KeyboardSettings FromFile() const { return ReadKeyboardSettings(ReadJson(profileFile_)["Device"][0]); }

    sim::TemporaryFolder folder_{"ivra-keyboard-profile"};
    std::filesystem::path profileFile_;
    KeyboardProfile profile_;
};

TEST_F(KeyboardProfileTest, EveryChangeLeavesTheModelEqualToTheSavedFile) {
    LightInfo light{};
    light[light::info::kSelectItem] = 3;
    light[light::info::kMultiColor] = 7;  // the file keeps a flag
    light[8] = 0x55;                      // bytes the file does not keep
    light[9] = 0x66;
    AudioLightInfo audio{};
    audio[0] = 2;
    audio[1] = 200;
    KeyboardSystemStages stages = profile_.Settings().system;
    stages.winFlag = 1;
    const std::vector<uint32_t> group(5, 0x80112233u);

    const struct {
        const char* change;
        std::function<bool(KeyboardProfile&)> apply;
    } cases[] = {
        {"light", [&](KeyboardProfile& p) { return p.SetLight(light); }},
        {"music light", [&](KeyboardProfile& p) { return p.SetAudioLight(audio); }},
        {"system", [&](KeyboardProfile& p) { return p.SetSystem(stages); }},
        {"key",
         [](KeyboardProfile& p) {
             return p.SetKeyAssignment(4, Assignment{0x20, 0x00, 0x06});
         }},
        {"custom group", [&](KeyboardProfile& p) { return p.SetCustomGroup(2, group); }},
        {"group index", [](KeyboardProfile& p) { return p.SetCustomGroupIndex(2); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        ASSERT_TRUE(c.apply(profile_));
        ASSERT_TRUE(profile_.Save());
        EXPECT_EQ(profile_.Settings(), FromFile());
    }
    EXPECT_EQ(profile_.Settings().light.ToRecord()[light::info::kMultiColor], 1);
    EXPECT_EQ(profile_.Settings().light.ToRecord()[8], 0);
}

TEST_F(KeyboardProfileTest, WithoutAProfileOnlyTheKeyListChangesAndNothingSaves) {
    KeyboardProfile none;
    none.SetPaths({}, {}, std::filesystem::path(IVRA_SOURCE_DIR) / "DefaultData" / "keyboard.Json");
    EXPECT_FALSE(none.Load());
    EXPECT_FALSE(none.SetLight(LightInfo{}));
    EXPECT_FALSE(none.SetCustomGroupIndex(1));
    EXPECT_FALSE(none.Save());
    EXPECT_FALSE(profile_.SetKeyAssignment(100000, Assignment{}));
}

}  // namespace
}  // namespace ivra
