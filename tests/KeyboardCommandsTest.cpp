// ivractl's keyboard verbs end to end against the simulated keyboard: each
// run is a fresh process and keyboard, the profile folder carries what was
// saved from one run to the next.
#include <gtest/gtest.h>

#include "IvractlRunner.h"
#include "profile/JsonHelpers.h"
#include "sim/TemporaryFolder.h"

namespace ivra {
namespace {

using testing::RunIvractl;

class KeyboardCommandsTest : public ::testing::Test {
protected:
    testing::CommandRun Run(const std::string& args) {
        return RunIvractl("--simulate keyboard --data-dir '" + data.Path().string() + "' " + args, scratch.Path(),
                          "IVRA_HOME='" IVRA_SOURCE_DIR "'");
    }
    sim::TemporaryFolder data;
    sim::TemporaryFolder scratch;
};

TEST_F(KeyboardCommandsTest, VerbsChangeTheProfileAndWriteTheKeyboard) {
    struct Step {
        std::string args;
        int status;
        std::string inOut;  // a text the output contains
        std::string inErr;  // a text stderr contains (the frames with --debug)
    };
    const Step steps[] = {
        {"device sync", 0, "keys: 108, macro memory: 2048 bytes, key table read", ""},
        {"--json device sync", 0, "\"keyCount\":108", ""},
        {"key set 64 200005", 0, " 64 key ", ""},
        {"key show", 0, "20 00 05 (default 20 00 04)", ""},
        {"key default 64", 0, "20 00 04 (default 20 00 04)", ""},
        {"key set 126 200005", 2, "", "POSITION 0..125"},
        {"--debug light set --effect 5 --brightness 2 --colour 102030", 0, "effect: 5",
         "1a 00 00 00   00 05 02"},
        {"light show", 0, "colour: 102030", ""},
        {"light set --brightness 9", 2, "", "--brightness takes 0..4"},
        {"--debug settings set --rate 2", 0, "rate: 2", "04 13 00 13"},
        {"--debug settings set --delay 3", 0, "delayLabel: Repeat delay 1000ms", ""},
        {"settings show", 0, "rate: 2", ""},
        {"device readback", 0, "active slot 0:", ""},
        {"macro write", 0, "macros written", ""},
    };
    for (const Step& step : steps) {
        const testing::CommandRun run = Run(step.args);
        EXPECT_EQ(run.status, step.status) << step.args << "\n" << run.out << run.err;
        EXPECT_NE(run.out.find(step.inOut), std::string::npos) << step.args << "\n" << run.out;
        EXPECT_NE(run.err.find(step.inErr), std::string::npos) << step.args << "\n" << run.err;
    }
    // A repeat delay change writes nothing to the keyboard.
    const testing::CommandRun quiet = Run("--debug settings set --repeat 30");
    EXPECT_EQ(quiet.err.find("1a 00 00 00   00"), std::string::npos);
}

}  // namespace
}  // namespace ivra
