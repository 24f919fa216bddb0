// ivractl macro record: the refusals, and a recording read from an input
// device node that is a file of kernel input events.
#include <gtest/gtest.h>
#include <linux/input.h>

#include <fstream>
#include <string>
#include <vector>

#include "EvdevInputSource.h"
#include "IvractlRunner.h"
#include "ProfileTestFolder.h"
#include "models/keys/MacroList.h"

namespace ivra {
namespace {

using testing::CommandRun;
using testing::ProfileTestFolder;

class MacroRecordCommandTest : public ::testing::Test {
protected:
    CommandRun Ivractl(const std::string& args) const {
        return testing::RunIvractl("--data-dir '" + Data().string() + "' " + args, folder_.Root());
    }
    std::filesystem::path Data() const { return folder_.Root() / "data"; }

    // A node that delivers `events` (type, code, value) and then ends.
    std::filesystem::path EventFile(const std::vector<std::array<int, 3>>& events) const {
        const std::filesystem::path path = folder_.Root() / "event-node";
        std::ofstream out(path, std::ios::binary);
        for (const auto& [type, code, value] : events) {
            input_event raw{};
            raw.type = static_cast<uint16_t>(type);
            raw.code = static_cast<uint16_t>(code);
            raw.value = value;
            out.write(reinterpret_cast<const char*>(&raw), sizeof raw);
        }
        return path;
    }

    std::vector<MacroEvent> Events(std::size_t index) const {
        MacroList macros(Data() / "keyboard");
        EXPECT_TRUE(macros.Load());
        return macros.LoadEvents(index).content.events;
    }

    ProfileTestFolder folder_;
};

TEST_F(MacroRecordCommandTest, RefusesWithTheReasonBeforeRecording) {
    ASSERT_EQ(Ivractl("macro add").status, 0);
    const std::string missing = (folder_.Root() / "no-such-node").string();
    const std::string defaultReason = EvdevInputSource().Unavailable();
    struct Case {
        std::string args;
        int status;
        std::string inError;
    };
    std::vector<Case> cases = {
        {"macro record 0", 2, "needs --seconds N"},
        {"macro record x --seconds 1", 2, "is not a macro index"},
        {"macro record 0 --seconds 0", 2, "--seconds takes 1..86400"},
        {"macro record 0 --seconds 1 --fixed 70000", 2, "--fixed takes 0..65535"},
        {"macro record 0 --seconds 1 --loud", 2, "needs a value"},
        {"macro record 3 --seconds 1", 1, "there is no macro 3 (the list has 1)"},
        {"macro record 0 --seconds 1 --device '" + missing + "'", 1, missing + " may not be read"},
    };
    // Where /dev/input cannot be read (a container, a user outside the
    // "input" group) the default devices are refused with the source's words.
    if (!defaultReason.empty()) cases.push_back({"macro record 0 --seconds 1", 1, defaultReason});
    for (const Case& c : cases) {
        const CommandRun run = Ivractl(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find(c.inError), std::string::npos) << c.args << "\n" << run.err;
        EXPECT_TRUE(run.out.empty()) << c.args;
    }
    EXPECT_TRUE(Events(0).empty());
}

TEST_F(MacroRecordCommandTest, AppendsTheRecordedKeysAndButtonsWithFixedDelays) {
    ASSERT_EQ(Ivractl("macro add").status, 0);
    ASSERT_EQ(Ivractl("macro event add 0 9 1 down 50").status, 0);
    const std::filesystem::path node = EventFile({
        {EV_KEY, KEY_A, 1},
        {EV_SYN, SYN_REPORT, 0},
        {EV_KEY, KEY_A, 2},  // auto-repeat: not another press
        {EV_KEY, KEY_A, 0},
        {EV_REL, REL_X, 5},  // moves are not recorded
        {EV_KEY, BTN_LEFT, 1},
        {EV_KEY, BTN_LEFT, 0},
    });
    const CommandRun run = Ivractl("macro record 0 --seconds 1 --fixed 25 --device '" + node.string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(", 5 events\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("     1    10       4 down       25  19 00 8A 04\n"), std::string::npos) << run.out;
    const std::vector<MacroEvent> events = Events(0);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0], (MacroEvent{9, 1, "down", 50}));  // what was there stays
    EXPECT_EQ(events[1], (MacroEvent{10, 4, "down", 25}));
    EXPECT_EQ(events[2], (MacroEvent{10, 4, "up", 25}));
    EXPECT_EQ(events[3], (MacroEvent{1, 1, "down", 25}));
    EXPECT_EQ(events[4], (MacroEvent{1, 1, "up", 25}));
}

}  // namespace
}  // namespace ivra
