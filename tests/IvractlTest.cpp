// End-to-end runs of the built ivractl.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "IvractlRunner.h"
#include "FakeSysfsTree.h"
#include "TemporaryFolder.h"

namespace ivra {
namespace {

using CliRun = testing::CommandRun;

class IvractlTest : public ::testing::Test {
protected:
    sim::TemporaryFolder folder_{"ivractl-test"};
    const std::string dir_ = folder_.Path().string();

    CliRun Ivractl(const std::string& args, const std::string& env = "") {
        return testing::RunIvractl(args, dir_, env);
    }
    std::string WriteFile(const std::string& name, const std::string& content) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path) << content;
        return path;
    }
};

TEST_F(IvractlTest, ParsesADescriptorAsJson) {
    const CliRun run =
        Ivractl("--json hid parse '" + std::string(IVRA_FIXTURE_DIR) + "/hid-descriptors/WheelMouse.hex'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"collections\":[{\"feature\":[],\"index\":0,\"input\":[{\"bytes\":5,\"id\":0}],"
                       "\"output\":[],\"usage\":2,\"usagePage\":1}]}\n");

    const CliRun text = Ivractl("hid parse " + WriteFile("kb.hex", "0x05,0x0C, 0x09,0x01, 0xA1,0x01, 0x85,0x03, "
                                                                   "0x75,0x10, 0x95,0x01, 0x81,0x00, 0xC0"));
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "collection 0: usage page 0x000C, usage 0x0001\n  input: id 3 (3 bytes)\n"
                        "  output: none\n  feature: none\n");

    const CliRun bad = Ivractl("hid parse " + WriteFile("bad.hex", "05 01 09 02 a1 01"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("not a valid report descriptor"), std::string::npos);
    EXPECT_EQ(Ivractl("hid parse " + dir_).status, 1);  // a folder is no descriptor
}

TEST_F(IvractlTest, UsageErrorsExitWithTwo) {
    for (const char* args :
         {"", "frobnicate", "device", "device list extra", "hid parse", "--kind toaster device list", "--simulate"}) {
        const CliRun run = Ivractl(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_FALSE(run.err.empty()) << args;
    }
    for (const char* args : {"--help", "device --help", "hid parse --help"}) {
        const CliRun run = Ivractl(args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_NE(run.out.find("Usage: ivractl"), std::string::npos) << args;
    }
}

// Each noun answers a missing verb, an unknown verb and a misused verb with
// the message and its own help, the same text `NOUN --help` prints. The
// misused verbs include ones the noun's help does not list.
TEST_F(IvractlTest, UsageErrorsOfEveryNounShowItsHelp) {
    struct NounCase {
        std::string noun;
        std::string noVerb;
        std::string unknownVerb;
        std::string misuse;
        std::string misuseMessage;
    };
    const std::vector<NounCase> cases = {
        {"device", "device: missing verb", "device: unknown verb \"frobnicate\"", "device sync extra",
         "device sync: unexpected argument \"extra\""},
        {"hid", "hid: missing verb", "hid: unknown verb \"frobnicate\"", "hid list extra",
         "hid list: takes no arguments"},
        {"key", "key: no verb given", "key: unknown verb \"frobnicate\"", "key default",
         "key default: needs a POSITION 0..125"},
        {"light", "light: no verb given", "light: unknown verb \"frobnicate\"", "light show extra",
         "light show: takes no arguments"},
        {"settings", "settings: no verb given", "settings: unknown verb or arguments", "settings set",
         "settings set: nothing to set"},
        {"macro", "macro: no verb given", "macro: unknown verb \"frobnicate\"", "macro write extra",
         "macro write: takes no arguments"},
        {"profile", "profile: no verb given", "profile: unknown verb \"frobnicate\"", "profile select",
         "profile select: needs one argument"},
    };
    for (const NounCase& noun : cases) {
        const CliRun help = Ivractl(noun.noun + " --help");
        EXPECT_EQ(help.status, 0) << noun.noun;
        EXPECT_EQ(help.out.rfind("Usage: ivractl", 0), 0u) << help.out;
        EXPECT_EQ(help.out.find(" \n"), std::string::npos) << "a help line ends in a blank:\n" << help.out;
        const std::pair<std::string, std::string> errors[] = {
            {noun.noun, noun.noVerb}, {noun.noun + " frobnicate", noun.unknownVerb}, {noun.misuse, noun.misuseMessage}};
        for (const auto& [args, message] : errors) {
            const CliRun run = Ivractl("--data-dir '" + dir_ + "' " + args);
            EXPECT_EQ(run.status, 2) << args;
            EXPECT_TRUE(run.out.empty()) << args << "\n" << run.out;
            const std::string expected = "ivractl: " + message + "\n\n" + help.out;
            EXPECT_TRUE(run.err.ends_with(expected)) << args << "\n" << run.err;
        }
    }
}

TEST_F(IvractlTest, ListsAndReadsTheSimulatedKeyboard) {
    const CliRun list = Ivractl("--simulate keyboard --json device list");
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("\"slot\":0"), std::string::npos);
    EXPECT_NE(list.out.find("\"slot\":1"), std::string::npos);
    EXPECT_NE(list.out.find("&col04#"), std::string::npos);

    const std::string file = WriteFile("kb.json", R"({"infoBlock": "a1 b2 c3"})");
    const CliRun info = Ivractl("--simulate keyboard:" + file + " --debug device info");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("information block: a1 b2 c3 00"), std::string::npos) << info.out;
    EXPECT_NE(info.err.find("命令\n04 01 00 01"), std::string::npos);
    EXPECT_NE(info.err.find("返回"), std::string::npos);
    EXPECT_EQ(Ivractl("--simulate keyboard device info").err, "");  // no debug lines unasked
}

TEST_F(IvractlTest, DeviceFailuresAreExplained) {
    const CliRun denied =
        Ivractl("--simulate keyboard:" + WriteFile("d.json", R"({"permissionDenied": true})") + " device info");
    EXPECT_EQ(denied.status, 1);
    EXPECT_NE(denied.err.find("permission denied"), std::string::npos) << denied.err;
    EXPECT_NE(denied.err.find("70-ivra-wireless-manager.rules"), std::string::npos);

    const CliRun refused =
        Ivractl("--simulate keyboard:" + WriteFile("s.json", R"({"faults": [{"command": 3, "kind": "status"}]})") +
                " device info");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("status 0xFF"), std::string::npos) << refused.err;

    const CliRun unknown = Ivractl("--simulate toaster device list");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("toaster"), std::string::npos);
}

TEST_F(IvractlTest, SaysSoWhenNoDeviceIsPresent) {
    sim::FakeSysfsTree tree;
    const std::string env = "IVRA_SYSFS_ROOT='" + tree.sysRoot() + "' IVRA_DEV_ROOT='" + tree.devRoot() + "'";
    const CliRun list = Ivractl("device list", env);
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "No supported device found (0 HID collections present, none of them served).\n");
    const CliRun info = Ivractl("device info", env);
    EXPECT_EQ(info.status, 1);
}

TEST_F(IvractlTest, WatchFollowsAScriptedUnplugAndReplugAndEndsOnSigterm) {
    const std::string file = WriteFile("watch.json", R"({"script": [
        {"atMs": 100, "do": "unplug"}, {"atMs": 250, "do": "plug"},
        {"atMs": 450, "do": "event", "code": 4097}]})");
    const CliRun run = Ivractl("--simulate keyboard:" + file + " device watch --for-ms 800");
    ASSERT_EQ(run.status, 0) << run.err;
    size_t at = 0;
    for (const char* expected :
         {"shown    keyboard (selected)", "removed  slot 0 keyboard cable commands", "hidden   keyboard",
          "arrived  slot 0", "shown    keyboard", "event    keyboard 0x1001 (cable)", "stopped"}) {
        const size_t found = run.out.find(expected, at);
        ASSERT_NE(found, std::string::npos) << expected << " in\n" << run.out;
        at = found;
    }

    // SIGTERM once the watch has shown the keyboard: a signal sent while the
    // program is still starting would end it before it listens for one.
    const std::string termOut = dir_ + "/term.out";
    const std::string termCommand = "'" + std::string(IVRACTL_PATH) + "' --simulate keyboard device watch >'" +
                                    termOut + "' 2>&1 </dev/null & p=$!; for i in $(seq 400); do grep -q shown '" +
                                    termOut + "' && break; sleep 0.05; done; kill -TERM $p; wait $p";
    const int termRaw = std::system(termCommand.c_str());
    std::ifstream termIn(termOut);
    const std::string termText((std::istreambuf_iterator<char>(termIn)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(WIFEXITED(termRaw) && WEXITSTATUS(termRaw) == 0) << termText;
    EXPECT_NE(termText.find("stopped"), std::string::npos) << termText;

    const CliRun bad =
        Ivractl("--simulate keyboard:" + WriteFile("bad.json", R"({"script": [{"atMs": 1, "do": "explode"}]})") +
                " device watch");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("script[0].do"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace ivra
