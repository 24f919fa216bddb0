// ivractl key and macro, end to end over a temporary data root.
#include <gtest/gtest.h>

#include <string>

#include "IvractlRunner.h"
#include "ProfileTestFolder.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

using testing::CommandRun;

class KeyMacroCommandsTest : public ::testing::Test {
protected:
    CommandRun Ivractl(const std::string& args) const {
        return testing::RunIvractl("--data-dir '" + Data().string() + "' " + args, folder.Root());
    }

    void Run(const std::vector<testing::IvractlStep>& steps) const {
        testing::RunIvractlSteps(steps, [this](const std::string& args) { return Ivractl(args); });
    }

    std::filesystem::path Data() const { return folder.Root() / "data"; }

    ProfileTestFolder folder;
};

TEST_F(KeyMacroCommandsTest, KeyVerbsConvertAndNameAssignments) {
    Run({
        {"key decode 1048832", 0, "10 01 00\n"},
        {"key encode '12 25 FD'", 0, "1189373\n"},
        {"key encode 0x200112", 0, "2097426\n"},
        {"key encode 1:2:3", 0, "66051\n"},
        {"key name 200112", 0, "Left Ctrl+O\n"},
        {"key name 201000", 0, "Right Ctrl\n"},
        {"--kind mouse key name 100100", 0, "Left Button\n"},
        {"--kind mouse key name 720300", 0, "Recoil Pattern 4\n"},
        {"key name 700000", 1, ""},  // no macro 0 yet
        {"key name 2000FF", 1, ""},
        {"key decode 16777216", 2, ""},
        {"key decode -1", 2, ""},
        {"key encode 1234567", 2, ""},
        {"key encode -12", 2, ""},
        {"key encode '10 01'", 2, ""},
        {"key name", 2, ""},
        {"key frobnicate 1", 2, ""},
    });
    const CommandRun json = Ivractl("--json key name 200112");
    ASSERT_EQ(json.status, 0);
    const Json::Value root = ParseJson(json.out);
    EXPECT_EQ(root["name"], "Left Ctrl+O");
    EXPECT_EQ(root["integer"], 0x200112);
    EXPECT_EQ(root["assignment"], "20 01 12");
    ASSERT_EQ(root["languageKeys"].size(), 2u);
    EXPECT_EQ(root["languageKeys"][0], "keyboard_key_LCtrl");
}

TEST_F(KeyMacroCommandsTest, MacroVerbsPrintTheResultingList) {
    const auto exported = (folder.Root() / "exported.mac").string();
    const auto source = folder.Root() / "source.mac";
    folder.WriteText(source, R"({"Events": [{"Type": 10, "Button": 4, "Action": "down", "Delay": "300"},
                                            {"Type": 10, "Button": 4, "Action": "Down", "Delay": "70000"}]})");
    Run({
        {"macro list", 0, ""},
        {"macro add", 0, "  0  macro_1\n"},
        {"macro add", 0, "  0  macro_1\n  1  macro_2\n"},
        {"macro rename 1 Sprint", 0, "  0  macro_1\n  1  Sprint\n"},
        {"macro rename 0 SPRINT", 1, ""},
        {"macro import '" + source.string() + "'", 0, "  0  macro_1\n  1  Sprint\n  2  macro_2\n"},
        {"macro import /dev/null", 1, ""},
    });
    const std::string id = ParseJson(Ivractl("--json macro list").out)["macros"][2]["id"].asString();
    Run({
        {"macro show 2", 0,
         "macro_2 (" + id +
             "), 2 events\n"
             "     #  Type  Button Action  Delay  Device\n"
             "     0    10       4 down      300  2C 01 8A 04\n"
             "     1    10       4 Down    65535  FF FF 0A 04\n"},
        {"macro export 2 '" + exported + "'", 0, "  0  macro_1\n  1  Sprint\n  2  macro_2\n"},
        {"macro export 0 '" + exported + "'", 1, ""},  // nothing saved yet
        {"key name 700100", 0, "Sprint\n"},
        {"macro delete 0", 0, "  0  Sprint\n  1  macro_2\n"},
        {"macro delete 5", 1, ""},
        {"macro show x", 2, ""},
        {"macro rename 1", 2, ""},
        {"--kind mouse macro list", 0, ""},
    });
    EXPECT_EQ(readjsonFile(exported), readjsonFile(source));

    const CommandRun json = Ivractl("--json macro show 1");
    ASSERT_EQ(json.status, 0);
    const Json::Value root = ParseJson(json.out);
    EXPECT_EQ(root["name"], "macro_2");
    ASSERT_EQ(root["events"].size(), 2u);
    EXPECT_EQ(root["events"][0]["device"], "2C 01 8A 04");
    EXPECT_EQ(root["events"][1]["Delay"], "65535");
}

TEST_F(KeyMacroCommandsTest, MacroEventVerbsEditTheEventsInPlace) {
    const std::vector<testing::IvractlStep> steps = {
        {"macro add", 0, "  0  macro_1\n"},
        {"macro event add 0 10 4 down 50", 0, "1 event\n"},
        {"macro event add 0 10 4 up 20", 0, "     1    10       4 up         20  14 00 0A 04\n"},
        {"macro event add 0 9 1 down 10 --at 0", 0, "     0     9       1 down       10  0A 00 89 01\n"},
        {"macro event move 0 0 2", 0,
         "     0    10       4 down       50  32 00 8A 04\n"
         "     1    10       4 up         20  14 00 0A 04\n"
         "     2     9       1 down       10  0A 00 89 01\n"},
        {"macro event set 0 1 --delay 99 --action down", 0, "     1    10       4 down       99  63 00 8A 04\n"},
        {"macro event delete 0 0", 0, "2 events\n     #"},
        {"macro show 0", 0, "     0    10       4 down       99  63 00 8A 04\n"},
        {"macro event delete 0 5", 1, "", "macro 0 has no event 5 (it has 2)"},
        {"macro event move 0 0 2", 1, "", "TO 2 is past the last event"},
        {"macro event add 0 10 4 down 5 --at 3", 1, "", "--at 3 is past the last event"},
        {"macro event add 3 10 4 down 5", 1, "", "there is no macro 3"},
        {"macro event add 0 10 4 sideways 5", 2, "", "--action takes down or up"},
        {"macro event set 0 0 --delay 70000", 2, "", "--delay takes 0..65535"},
        {"macro event set 0 0 --colour 1", 2, "", "unknown option --colour"},
        {"macro event set 0 0", 2, "", "needs I J and options"},
        {"macro event frob 0", 2, "", "needs add, delete, move or set"},
    };
    testing::RunIvractlSteps(
        steps, [this](const std::string& args) { return Ivractl(args); }, testing::OutputMatch::kContains);
}

TEST_F(KeyMacroCommandsTest, DeleteReportsTheProfilesItFixed) {
    ASSERT_EQ(Ivractl("macro add").status, 0);
    Json::Value profile(Json::objectValue);
    profile["Device"][0]["KeyList"][0]["Assignment"] = 0x700000;
    profile["Device"][0]["KeyList"][0]["DefaultAssignment"] = 0x100100;
    const auto file = Data() / "keyboard" / "2021_01_01_00_00_00_001.Json";
    ASSERT_TRUE(WriteJson(file, profile));
    const CommandRun run = Ivractl("macro delete 0");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("2021_01_01_00_00_00_001.Json"), std::string::npos) << run.err;
    EXPECT_EQ(ReadJson(file)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x100100);
}

}  // namespace
}  // namespace ivra
