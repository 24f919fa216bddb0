// ivractl profile, end to end over a temporary data root.
#include <gtest/gtest.h>

#include <string>

#include "IvractlRunner.h"
#include "ProfileTestFolder.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

using testing::CommandRun;

class ProfileCommandsTest : public ::testing::Test {
protected:
    CommandRun Ivractl(const std::string& args) const {
        return testing::RunIvractl("--data-dir '" + (folder.Root() / "data").string() + "' " + args, folder.Root());
    }

    ProfileTestFolder folder;
};

TEST_F(ProfileCommandsTest, VerbsPrintTheResultingList) {
    const auto exported = (folder.Root() / "exported.json").string();
    const std::vector<testing::IvractlStep> steps = {
        // Listing a kind that was never used makes no folder and no profile.
        {"profile list", 0, ""},
        {"profile export '" + exported + "'", 1, ""},
        {"profile add", 0, "  1  profile1\n* 2  profile2\n"},
        {"profile rename 'My Work'", 0, "  1  profile1\n* 2  My Work\n"},
        {"profile copy", 0, "  1  profile1\n* 2  My Work\n  3  My Work copy\n"},
        {"profile select 1", 0, "* 1  profile1\n  2  My Work\n  3  My Work copy\n"},
        {"profile rename 'my work'", 1, ""},
        {"profile rename '  '", 1, ""},
        {"profile select 4", 1, ""},
        {"profile export '" + exported + "'", 0, "* 1  profile1\n  2  My Work\n  3  My Work copy\n"},
        {"profile import '" + exported + "'", 0, "* 1  profile1\n  2  My Work\n  3  My Work copy\n  4  profile1(1)\n"},
        {"profile import /dev/null", 1, ""},
        {"profile delete", 0, "* 1  My Work\n  2  My Work copy\n  3  profile1(1)\n"},
        {"profile reset", 0, "* 1  My Work\n  2  My Work copy\n  3  profile1(1)\n"},
        {"--kind mouse profile list", 0, ""},
        {"--kind mouse profile reset", 0, "* 1  profile1\n"},
        {"profile select x", 2, ""},
        {"profile frobnicate", 2, ""},
        {"profile add extra", 2, ""},
    };
    testing::RunIvractlSteps(steps, [this](const std::string& args) { return Ivractl(args); });
    EXPECT_TRUE(std::filesystem::is_directory(folder.Root() / "data" / "mouse"));

    const CommandRun json = Ivractl("--json profile list");
    ASSERT_EQ(json.status, 0);
    const Json::Value root = ParseJson(json.out);
    EXPECT_EQ(root["kind"], "keyboard");
    ASSERT_EQ(root["profiles"].size(), 3u);
    EXPECT_EQ(root["profiles"][0]["name"], "My Work");
    EXPECT_EQ(root["profiles"][0]["selected"], true);
    EXPECT_EQ(root["profiles"][1]["selected"], false);
}

TEST_F(ProfileCommandsTest, BrokenListIsReportedAndKept) {
    ASSERT_EQ(Ivractl("profile add").status, 0);
    const auto list = folder.Root() / "data" / "keyboard" / "ProfileList.ini";
    folder.WriteText(list, "{\"profilelist\": [");
    const CommandRun run = Ivractl("profile list");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("kept as"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "* 1  profile1\n  2  profile2\n");
}

}  // namespace
}  // namespace ivra
