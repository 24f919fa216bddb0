// What a user of ivractl sees of the store's guarantees: failures exit 1
// and name the file, nothing half done, reads that leave the folder alone.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "IvractlRunner.h"
#include "ProfileTestFolder.h"
#include "StoreSafetyTest.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

using testing::CommandRun;
using testing::ProfileTestFolder;

// Files above 4 KiB cannot be written (as on a full disk): the lists fit,
// the keyboard's profile files (about 60 KiB) do not.
constexpr const char* kFullDisk = "trap '' XFSZ; ulimit -f 8;";

class StoreCommandsTest : public ::testing::Test {
protected:
    CommandRun Ivractl(const std::string& args, const std::string& env = "") const {
        return testing::RunIvractl("--data-dir '" + Data().string() + "' " + args, folder.Root(), env);
    }
    std::filesystem::path Data() const { return folder.Root() / "data"; }
    std::filesystem::path Keyboard() const { return Data() / "keyboard"; }
    std::string Bytes(const std::filesystem::path& path) const { return readjsonFile(path); }
    std::string Profile(int index) const {
        return ReadJson(Keyboard() / "ProfileList.ini")["profilelist"][index]["profileUUID"].asString();
    }

    ProfileTestFolder folder;
};

TEST_F(StoreCommandsTest, VerbsThatOnlyReadMakeNoFolderForAKindNeverUsed) {
    for (const char* args : {"profile list", "macro list", "--json macro list", "macro show 0"}) {
        const CommandRun run = Ivractl(std::string("--kind keyboard_7210 ") + args);
        EXPECT_EQ(run.status, std::string(args) == "macro show 0" ? 1 : 0) << args << "\n" << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Data() / "keyboard_7210"));
}

TEST_F(StoreCommandsTest, NamesAreShownWithoutTheirControlCharacters) {
    ASSERT_EQ(Ivractl("profile add").status, 0);
    const std::string id = Profile(0);
    folder.WriteText(Keyboard() / "ProfileList.ini",
                     "{\"profilelist\": [{\"profilename\": \"a\\nb\\u001b[2J\", \"profileUUID\": \"" + id +
                         "\"}], \"profileselect\": 0}");
    EXPECT_EQ(Ivractl("profile list").out, "* 1  a?b?[2J\n");
    const CommandRun refused = Ivractl("profile rename \"$(printf 'x\\033y')\"");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("control characters"), std::string::npos) << refused.err;
}

TEST_F(StoreCommandsTest, ARenameOnAFullDiskExitsOneAndChangesNothing) {
    ASSERT_EQ(Ivractl("profile list").status, 0);
    ASSERT_EQ(Ivractl("profile add").status, 0);
    const std::string list = Bytes(Keyboard() / "ProfileList.ini");
    const std::string profile = Bytes(Keyboard() / (Profile(1) + ".Json"));
    const CommandRun run = Ivractl("profile rename Play", kFullDisk);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(Profile(1) + ".Json"), std::string::npos) << run.err;
    EXPECT_EQ(Bytes(Keyboard() / "ProfileList.ini"), list);
    EXPECT_EQ(Bytes(Keyboard() / (Profile(1) + ".Json")), profile);
}

TEST_F(StoreCommandsTest, AMacroDeleteThatCannotFixTheKeysExitsOneAndKeepsTheMacro) {
    ASSERT_EQ(Ivractl("macro add").status, 0);
    ASSERT_EQ(Ivractl("macro add").status, 0);
    ASSERT_EQ(Ivractl("profile list").status, 0);
    // Key 10 runs macro 1, which moves down to 0 when macro 0 goes.
    Json::Value root = ReadJson(Keyboard() / (Profile(0) + ".Json"));
    root["Device"][0]["KeyList"][10]["Assignment"] = 0x700100;
    ASSERT_TRUE(WriteJson(Keyboard() / (Profile(0) + ".Json"), root));
    const std::string list = Bytes(Keyboard() / "macro.config");
    const std::string profile = Bytes(Keyboard() / (Profile(0) + ".Json"));
    const CommandRun run = Ivractl("macro delete 0", kFullDisk);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(Profile(0) + ".Json"), std::string::npos) << run.err;
    EXPECT_EQ(Bytes(Keyboard() / "macro.config"), list);
    EXPECT_EQ(Bytes(Keyboard() / (Profile(0) + ".Json")), profile);
    EXPECT_EQ(Ivractl("macro delete 0").status, 0);
    EXPECT_EQ(ReadJson(Keyboard() / (Profile(0) + ".Json"))["Device"][0]["KeyList"][10]["Assignment"], 0x700000);
}

TEST_F(StoreCommandsTest, ExportToSomethingThatIsNotAFileIsRefusedWithItsName) {
    ASSERT_EQ(Ivractl("profile reset").status, 0);
    const auto fifo = folder.Root() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const CommandRun run = Ivractl("profile export '" + fifo.string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(fifo.string() + " is a FIFO"), std::string::npos) << run.err;
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(StoreCommandsTest, ListingAndExportingLeaveTheFolderAsItWas) {
    ASSERT_EQ(Ivractl("profile add").status, 0);
    ASSERT_EQ(Ivractl("macro add").status, 0);
    const auto before = testing::Snapshot(Keyboard());
    const std::vector<std::string> verbs = {"profile list",
                                            "profile export '" + (folder.Root() / "b.json").string() + "'",
                                            "macro list", "--json macro list"};
    for (const std::string& args : verbs) {
        EXPECT_EQ(Ivractl(args).status, 0) << args;
    }
    EXPECT_EQ(testing::Snapshot(Keyboard()), before);
}

TEST_F(StoreCommandsTest, AnUnreadableSelectedProfileIsReplacedWithANotice) {
    ASSERT_EQ(Ivractl("profile reset").status, 0);
    folder.WriteText(Keyboard() / (Profile(0) + ".Json"), "not json");
    const CommandRun run = Ivractl("profile list");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("could not be read"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("factory settings"), std::string::npos) << run.err;
}

TEST_F(StoreCommandsTest, MacroWriteRefusesUnreadableMacrosAndSendsNothing) {
    ASSERT_EQ(Ivractl("macro add").status, 0);
    const std::string id = ReadJson(Keyboard() / "macro.config")["MacroInfo"][0]["Guid"].asString();
    const auto mac = Keyboard() / (id + ".mac");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"too deep", "{\"Events\": " + std::string(300, '[') + std::string(300, ']') + "}"},
        {"wrong type", "[1, 2]"},
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        folder.WriteText(mac, text);
        const CommandRun run = Ivractl("--simulate keyboard macro write");
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(mac.string()), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("nothing was sent"), std::string::npos) << run.err;
    }
    std::filesystem::remove(mac);
    ASSERT_EQ(::mkfifo(mac.c_str(), 0600), 0);
    EXPECT_EQ(Ivractl("--simulate keyboard macro write").status, 1);
    std::filesystem::remove(mac);
    folder.WriteText(Keyboard() / "macro.config", "{\"MacroInfo\": 5}");
    const CommandRun list = Ivractl("--simulate keyboard macro write");
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.err.find("macro.config"), std::string::npos) << list.err;
}

}  // namespace
}  // namespace ivra
