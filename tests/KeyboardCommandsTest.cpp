// ivractl's keyboard verbs end to end against the simulated keyboard: each
// run is a fresh process and keyboard, the profile folder carries what was
// saved from one run to the next.
#include <gtest/gtest.h>

#include <fstream>

#include "IvractlRunner.h"
#include "base/JsonHelpers.h"
#include "FakeSysfsTree.h"
#include "TemporaryFolder.h"

namespace ivra {
namespace {

using testing::RunIvractl;

class KeyboardCommandsTest : public ::testing::Test {
protected:
    // `shell`: commands the shell runs first (a file size limit, say).
    testing::CommandRun Run(const std::string& args, const std::string& simulate = "keyboard",
                            const std::string& shell = "") {
        return RunIvractl("--simulate '" + simulate + "' --data-dir '" + data.Path().string() + "' " + args,
                          scratch.Path(), shell + " IVRA_HOME='" IVRA_SOURCE_DIR "'");
    }
    // "keyboard:FILE" for a simulated keyboard with this device file.
    std::string KeyboardWith(const std::string& name, const std::string& json) {
        const std::filesystem::path file = scratch.Path() / name;
        std::ofstream(file) << json;
        return "keyboard:" + file.string();
    }
    sim::TemporaryFolder data;
    sim::TemporaryFolder scratch;
};

TEST_F(KeyboardCommandsTest, VerbsChangeTheProfileAndWriteTheKeyboard) {
    // Each step names a text its stdout contains and one its stderr contains
    // (with --debug, the frames).
    const std::vector<testing::IvractlStep> steps = {
        {"device sync", 0, "keys: 108, macro memory: 2048 bytes, key table read", ""},
        {"--json device sync", 0, "\"keyCount\":108", ""},
        {"key set 64 200005", 0, " 64 key ", ""},
        {"key show", 0, "20 00 05 (default 20 00 04)", ""},
        {"key default 64", 0, "20 00 04 (default 20 00 04)", ""},
        {"key set 126 200005", 2, "", "POSITION 0..125"},
        {"--debug light set --effect 5 --brightness 2 --colour 102030", 0, "effect: 5", "1a 00 00 00   00 05 02"},
        {"light show", 0, "colour: 102030", ""},
        {"light set --brightness 9", 2, "", "--brightness takes 0..4"},
        {"--debug settings set --rate 2", 0, "rate: 2", "04 13 00 13"},
        {"--debug settings set --delay 3", 0, "delayLabel: Repeat delay 1000ms", ""},
        {"settings show", 0, "rate: 2", ""},
        {"device readback", 0, "active slot 0:", ""},
        {"macro write", 0, "macros written", ""},
    };
    testing::RunIvractlSteps(
        steps, [this](const std::string& args) { return Run(args); }, testing::OutputMatch::kContains);
    // A repeat delay change writes nothing to the keyboard.
    const testing::CommandRun quiet = Run("--debug settings set --repeat 30");
    EXPECT_EQ(quiet.err.find("1a 00 00 00   00"), std::string::npos);
}

TEST_F(KeyboardCommandsTest, KeySetTakesNamesInAnyCaseAndHexAsThreeWholeBytes) {
    const std::vector<testing::IvractlStep> steps = {
        {"key set 64 ctrl+c", 0, "20 01 06", ""},
        {"key set 64 A", 0, "20 00 04", ""},  // a name, not 00 00 0A
        {"key set 64 \"Volume Up\"", 0, "30 E9 00", ""},
        {"key set 64 LEFT BUTTON", 2, "", "POSITION 0..125"},  // two arguments: quote a name with spaces
        {"key set 64 \"left button\"", 0, "10 01 00", ""},
        {"key set 64 0x200005", 0, "20 00 05", ""},
        {"key set 64 5", 0, "20 00 22", ""},  // the key 5
        {"key set 64 20005", 2, "", "\"20005\" is neither three bytes in hex nor a key name"},
        {"key set 64 Hyper", 2, "", "neither three bytes in hex nor a key name"},
        {"macro add", 0, "", ""},
        {"macro rename 0 Build", 0, "", ""},
        {"key set 64 macro:BUILD", 0, "70 00 00", ""},
        {"key set 64 macro:missing", 1, "", "the keyboard has no macro \"missing\""},
    };
    testing::RunIvractlSteps(
        steps, [this](const std::string& args) { return Run(args); }, testing::OutputMatch::kContains);
}

TEST_F(KeyboardCommandsTest, CustomKeysAndTheMusicLightAreScriptable) {
    const std::vector<testing::IvractlStep> steps = {
        {"light paint --keys 1 --colour FF0000", 1, "", "the custom effect is not chosen"},
        {"light set --effect 21 --group 3", 0, "group: 3", ""},
        // The group image goes to the keyboard: light block writes (0x0B)
        // from group 3's area (offset 0x600).
        {"--debug light paint --keys 1,2 --colour FF0000", 0, "painted 2 keys in group 3", "0b   38 00 06 00"},
        {"light group show 3", 0, "\n1 FF0000 255\n2 FF0000 255\n", ""},
        {"light paint --keys 2 --off", 0, "painted 1 key in group 3", ""},
        {"light group show 3", 0, "\n1 FF0000 255\n2 000000 0\n", ""},
        {"light group save 5", 0, "saved group 5", ""},
        {"light group show 5", 0, "\n1 FF0000 255\n2 000000 0\n", ""},
        {"--debug light group upload 5", 0, "uploaded group 5", "0b   38 00 0a 00"},
        {"light group delete 5", 2, "", "needs show, save or upload"},
        {"light paint --keys 1,126 --colour FF0000", 2, "", "is not a list of positions 0..125"},
        {"light paint --keys 1 --colour FF0000 --off", 2, "", "--colour RRGGBB or --off"},
        {"light paint --keys 1 --colour red", 2, "", "\"red\" is not a colour RRGGBB"},
        {"light group show 128", 2, "", "a group 0..127"},
        {"light audio set --mode 3 --background 102030 --foreground 00FF00 --multicolour 0", 0,
         "background: 102030\nforeground: 00FF00\nmode: 3\nmulticolour: false", ""},
        {"light audio show", 0, "background: 102030\nforeground: 00FF00\nmode: 3", ""},
        {"light audio set --mode 7", 2, "", "--mode takes 0..6"},
        {"light audio set", 2, "", "needs at least one option"},
        {"light audio set --foreground 12345", 2, "", "\"12345\" is not a colour RRGGBB"},
        {"light paint --colour FF0000", 2, "", "needs --keys POS[,POS...]"},
    };
    testing::RunIvractlSteps(
        steps, [this](const std::string& args) { return Run(args); }, testing::OutputMatch::kContains);
}

TEST_F(KeyboardCommandsTest, ACustomColourOrMusicLightChangeNotSavedOrNotWrittenIsAFailure) {
    ASSERT_EQ(Run("light set --effect 21 --group 3").status, 0);
    ASSERT_EQ(Run("light paint --keys 1 --colour FF0000").status, 0);
    const std::string audio = Run("light audio show").out;
    const std::string group5 = Run("light group show 5").out;
    // Files above 8 KiB cannot be written (as on a full disk): the profile
    // (about 60 KiB) is not saved.
    const std::string fullDisk = "trap '' XFSZ; ulimit -f 8;";
    const std::string lightBlockFails =
        KeyboardWith("light-block.json", R"({"faults": [{"command": 11, "kind": "status"}]})");
    struct Case {
        std::string args;
        std::string simulate;
        std::string shell;
        std::string inErr;
        std::string notOut;  // what stdout must not say ("": no check)
    };
    const Case cases[] = {
        {"light paint --keys 2 --colour 00FF00", "keyboard", fullDisk, "the profile could not be saved", "painted"},
        {"light group save 5", "keyboard", fullDisk, "the group could not be saved", "saved"},
        {"light audio set --mode 2", "keyboard", fullDisk, "the profile could not be saved", ""},
        {"light paint --keys 2 --colour 00FF00", lightBlockFails, "", "saved but not written to the keyboard",
         "painted"},
        {"light group upload 3", lightBlockFails, "", "not written to the keyboard", "uploaded"},
    };
    for (const Case& c : cases) {
        const testing::CommandRun run = Run(c.args, c.simulate, c.shell);
        EXPECT_EQ(run.status, 1) << c.args << " " << c.simulate << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << c.args << " " << c.simulate << "\n" << run.err;
        if (!c.notOut.empty()) {
            EXPECT_EQ(run.out.find(c.notOut), std::string::npos) << c.args << "\n" << run.out;
        }
    }
    // What the full disk refused is not in the profile; the paint the
    // keyboard refused is.
    EXPECT_EQ(Run("light audio show").out, audio);
    EXPECT_EQ(Run("light group show 5").out, group5);
    EXPECT_NE(Run("light group show 3").out.find("\n1 FF0000 255\n2 00FF00 255\n"), std::string::npos);
}

TEST_F(KeyboardCommandsTest, WhatTheKeyboardCouldNotDoIsAFailureWithItsReason) {
    ASSERT_EQ(Run("macro add").status, 0);
    struct Case {
        std::string args;
        std::string device;  // the device file; "" for the factory keyboard
        int status;
        std::string inErr;   // what stderr says
        std::string notOut;  // what stdout must not say ("": no check)
    };
    const Case cases[] = {
        {"device readback", R"({"faults": [{"command": 5, "kind": "status"}]})", 1,
         "active settings slot could not be read (the device reported status 0xFF", "active slot"},
        {"device readback", R"({"faults": [{"command": 5, "occurrence": 2, "kind": "status"}]})", 1,
         "settings record could not be read", "active slot"},
        {"macro write", R"({"faults": [{"command": 3, "kind": "status"}]})", 1, "information block could not be read",
         "macros written"},
        {"light stream --for-ms 300", R"({"faults": [{"command": 18, "kind": "status"}]})", 1,
         "no frame could be sent to the keyboard (", ""},
        {"light stream --for-ms 1500", "", 0, "", ""},
        // A keyboard the user may not open is named with the fix at once.
        {"light show", R"({"permissionDenied": true})", 1, "70-ivra-wireless-manager.rules", "effect:"},
        {"macro write", R"({"permissionDenied": true})", 1, "permission denied", "macros written"},
    };
    int file = 0;
    for (const Case& c : cases) {
        const std::string simulate =
            c.device.empty() ? "keyboard" : KeyboardWith("device" + std::to_string(file++) + ".json", c.device);
        const testing::CommandRun run = Run(c.args, simulate);
        EXPECT_EQ(run.status, c.status) << c.args << " " << c.device << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << c.args << " " << c.device << "\n" << run.err;
        if (!c.notOut.empty()) {
            EXPECT_EQ(run.out.find(c.notOut), std::string::npos) << c.args << " " << c.device << "\n" << run.out;
        }
        EXPECT_EQ(run.err.find("no keyboard was found"), std::string::npos) << run.err;
    }
}

TEST_F(KeyboardCommandsTest, DeviceVerbsActOnTheKindTheyNameOrRefuse) {
    const std::string before = Run("light show").out;
    struct Case {
        std::string args;
        int status;
        std::string inErr;
    };
    const Case cases[] = {
        {"--kind keyboard_7210 light set --effect 5", 1, "no keyboard_7210 is present"},
        {"--kind keyboard_7210 device readback", 1, "no keyboard_7210 is present"},
        {"--kind keyboard_7210 macro write", 1, "no keyboard_7210 is present"},
        {"--kind mouse key show", 1, "works on a keyboard"},
        {"--kind HD light stream --for-ms 10", 1, "works on a keyboard"},
        {"--kind keyboard light show", 0, ""},
    };
    for (const Case& c : cases) {
        const testing::CommandRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << c.args << "\n" << run.err;
    }
    // The keyboard that is present kept its profile.
    EXPECT_EQ(Run("light show").out, before);
    // Without any keyboard the answer comes at once, naming what is missing.
    sim::FakeSysfsTree empty;
    const testing::CommandRun none = RunIvractl("--data-dir '" + data.Path().string() + "' light show", scratch.Path(),
                                                "IVRA_HOME='" IVRA_SOURCE_DIR "' IVRA_SYSFS_ROOT='" + empty.sysRoot() +
                                                    "' IVRA_DEV_ROOT='" + empty.devRoot() + "'");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no keyboard is present"), std::string::npos) << none.err;
}

}  // namespace
}  // namespace ivra
