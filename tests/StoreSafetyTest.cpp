// What the profile and macro store guarantees when files are odd, writes
// fail, a process dies half-way or another process holds the folder: no
// change is half done, no failure reads as success, reads never write.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "ProfileTestFolder.h"
#include "StoreSafetyTest.h"
#include "models/keys/MacroDeleteIntent.h"
#include "models/keys/MacroKeyFixUp.h"
#include "models/keys/MacroList.h"
#include "InotifyFolderWatch.h"
#include "base/AtomicFile.h"
#include "models/profile/FolderLock.h"
#include "base/JsonHelpers.h"
#include "models/profile/ProfileStore.h"
#include "base/TextHelpers.h"

namespace ivra {
namespace {

using testing::FileSizeLimit;
using testing::ProfileTestFolder;
using testing::Snapshot;

constexpr int kMacroKey = 0x70;  // assignment type of a key that runs a macro

class StoreSafetyTest : public ::testing::Test {
protected:
    ProfileStore MakeStore(std::chrono::milliseconds wait = FolderLock::kDefaultWait) const {
        ProfileStoreSetup setup{folder.Data(), folder.Defaults(), 1};
        setup.lockWait = wait;
        return ProfileStore(setup);
    }
    std::filesystem::path ListFile() const { return folder.Data() / ProfileStore::kListFileName; }
    std::filesystem::path MacroConfig() const { return folder.Data() / MacroList::kListFileName; }
    std::string Bytes(const std::filesystem::path& path) const { return readjsonFile(path); }

    // A profile file whose keys run the given macros; `padding` bytes of
    // filler make it large.
    void WriteProfile(const std::string& id, const std::vector<int>& macros, size_t padding = 0) const {
        Json::Value profile(Json::objectValue);
        profile["profilename"] = id;
        profile["profileUUID"] = id;
        for (size_t i = 0; i < macros.size(); ++i) {
            profile["Device"][0]["KeyList"][static_cast<Json::ArrayIndex>(i)]["Assignment"] =
                (kMacroKey << 16) | (macros[i] << 8);
            profile["Device"][0]["KeyList"][static_cast<Json::ArrayIndex>(i)]["DefaultAssignment"] = 0x100400;
        }
        if (padding > 0) profile["Device"][0]["Filler"] = std::string(padding, 'x');
        ASSERT_TRUE(WriteJson(folder.Data() / (id + ".Json"), profile));
    }
    std::vector<int> MacroIndices(const std::string& id) const {
        std::vector<int> indices;
        const Json::Value profile = ReadJson(folder.Data() / (id + ".Json"));
        for (const Json::Value& key : profile["Device"][0]["KeyList"]) {
            const int assignment = key["Assignment"].asInt();
            indices.push_back((assignment >> 16) == kMacroKey ? (assignment >> 8) & 0xFF : -1);
        }
        return indices;
    }
    void WriteMacroList(const std::vector<std::string>& names) const {
        Json::Value root(Json::objectValue);
        root["MacroInfo"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < names.size(); ++i) {
            Json::Value entry(Json::objectValue);
            entry["MacroName"] = names[i];
            entry["Guid"] = "id_" + std::to_string(i);
            root["MacroInfo"].append(entry);
        }
        ASSERT_TRUE(WriteJson(MacroConfig(), root));
    }

    ProfileTestFolder folder;
};

TEST_F(StoreSafetyTest, AnotherHoldOfTheLockMakesAShortWaitRefuseAndChangeNothing) {
    ProfileStore store = MakeStore(std::chrono::milliseconds(30));
    ASSERT_TRUE(store.LoadProfileList());
    const auto before = Snapshot(folder.Data());

    std::promise<void> held;
    std::promise<void> release;
    std::thread holder([&] {
        // Another thread has a descriptor of its own, as another process has.
        FolderLock lock(folder.Data(), FolderLock::Purpose::kChange);
        held.set_value();
        release.get_future().wait();
    });
    held.get_future().wait();
    const ProfileStoreResult refused = store.AddProfile();
    MacroList macros(folder.Data());
    macros.SetLockWait(std::chrono::milliseconds(30));
    const MacroListResult macroRefused = macros.Add();
    release.set_value();
    holder.join();

    EXPECT_FALSE(refused);
    EXPECT_NE(refused.reason.find("busy"), std::string::npos) << refused.reason;
    EXPECT_EQ(macroRefused.status, MacroListStatus::kBusy);
    EXPECT_EQ(Snapshot(folder.Data()), before);
    EXPECT_TRUE(store.AddProfile());
    EXPECT_EQ(store.Names().size(), 2u);
}

TEST_F(StoreSafetyTest, NewFilesNeverReplaceWhatIsThere) {
    const auto taken = folder.Data() / "taken.Json";
    folder.WriteText(taken, "theirs");
    const auto link = folder.Data() / "link.Json";
    std::filesystem::create_symlink(folder.Root() / "elsewhere", link);
    for (const auto& target : {taken, link}) {
        const FileWriteResult created = CreateFileExclusively(target, "ours");
        EXPECT_FALSE(created) << target;
        EXPECT_TRUE(created.exists) << target;
    }
    EXPECT_EQ(Bytes(taken), "theirs");
    EXPECT_FALSE(std::filesystem::exists(folder.Root() / "elsewhere"));
    EXPECT_TRUE(CreateFileExclusively(folder.Data() / "free.Json", "ours"));
    EXPECT_EQ(Bytes(folder.Data() / "free.Json"), "ours");
}

TEST_F(StoreSafetyTest, ExportsRefuseTargetsThatAreNotRegularFilesAndWriteThroughLinksToOne) {
    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    WriteMacroList({"m0"});
    ASSERT_TRUE(WriteFileAtomically(folder.Data() / "id_0.mac", R"({"Events": []})"));
    MacroList macros(folder.Data());
    ASSERT_TRUE(macros.Load());

    const auto out = folder.Root() / "out";
    std::filesystem::create_directory(out);
    ASSERT_EQ(::mkfifo((out / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(out / "folder");
    std::filesystem::create_symlink(out / "nothing", out / "dangling");
    std::filesystem::create_symlink(out / "fifo", out / "to-fifo");
    std::vector<std::string> refused = {"fifo", "folder", "dangling", "to-fifo"};
    // A device node like /dev/null, made here where that is allowed (root).
    if (::mknod((out / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) refused.push_back("null");

    for (const std::string& name : refused) {
        SCOPED_TRACE(name);
        struct stat before {};
        ::lstat((out / name).c_str(), &before);
        const ProfileStoreResult profile = store.ExportProfile(out / name);
        const MacroListResult macro = macros.Export(0, out / name);
        EXPECT_FALSE(profile);
        EXPECT_NE(profile.reason.find((out / name).string()), std::string::npos) << profile.reason;
        EXPECT_FALSE(macro);
        struct stat after {};
        ASSERT_EQ(::lstat((out / name).c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
    }
    EXPECT_FALSE(std::filesystem::exists(out / "nothing"));

    // A link to a regular file is written through on purpose; the link stays.
    folder.WriteText(out / "backup.json", "old");
    std::filesystem::create_symlink(out / "backup.json", out / "latest.json");
    ASSERT_TRUE(store.ExportProfile(out / "latest.json"));
    EXPECT_TRUE(std::filesystem::is_symlink(out / "latest.json"));
    EXPECT_EQ(ReadJson(out / "backup.json"), ReadJson(store.CurrentProfileFile()));
    ASSERT_TRUE(macros.Export(0, out / "latest.json"));
    EXPECT_EQ(Bytes(out / "backup.json"), R"({"Events": []})");
}

TEST_F(StoreSafetyTest, ARenameThatCannotWriteTheProfileLeavesListAndFileAsTheyWere) {
    WriteProfile("2021_01_01_00_00_00_001", {}, 8192);
    folder.WriteText(ListFile(), R"({"profilelist": [{"profilename": "Work", "profileUUID": "2021_01_01_00_00_00_001"}],
                                     "profileselect": 0})");
    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    const std::string list = Bytes(ListFile());
    const std::string profile = Bytes(store.CurrentProfileFile());
    std::string reason;
    {
        FileSizeLimit full(4096);  // the list fits, the profile does not
        EXPECT_EQ(store.RenameProfile("Play", &reason), RenameResult::kFailed);
    }
    EXPECT_NE(reason.find("2021_01_01_00_00_00_001.Json"), std::string::npos) << reason;
    EXPECT_EQ(Bytes(ListFile()), list);
    EXPECT_EQ(Bytes(store.CurrentProfileFile()), profile);
    EXPECT_EQ(store.Names(), std::vector<std::string>{"Work"});
}

TEST_F(StoreSafetyTest, AMacroDeleteThatCannotFixAKeyChangesNothingAndSaysWhat) {
    WriteMacroList({"m0", "m1", "m2"});
    WriteProfile("2021_01_01_00_00_00_001", {1, 2});
    WriteProfile("2021_01_01_00_00_00_002", {2, 0}, 8192);
    const auto before = folder.Files();
    const std::string list = Bytes(MacroConfig());
    const std::string small = Bytes(folder.Data() / "2021_01_01_00_00_00_001.Json");
    MacroList macros(folder.Data());
    ASSERT_TRUE(macros.Load());
    MacroListResult deleted;
    {
        FileSizeLimit full(4096);
        deleted = macros.Delete(1);
    }
    EXPECT_EQ(deleted.status, MacroListStatus::kWriteFailed);
    EXPECT_NE(deleted.reason.find("2021_01_01_00_00_00_002.Json"), std::string::npos) << deleted.reason;
    EXPECT_EQ(Bytes(MacroConfig()), list);
    // The first profile was written and put back: same keys, same bytes.
    EXPECT_EQ(Bytes(folder.Data() / "2021_01_01_00_00_00_001.Json"), small);
    EXPECT_EQ(MacroIndices("2021_01_01_00_00_00_002"), (std::vector<int>{2, 0}));
    EXPECT_FALSE(std::filesystem::exists(folder.Data() / kMacroDeleteIntentFileName));
    EXPECT_EQ(folder.Files(), before);

    ASSERT_TRUE(macros.Delete(1));
    EXPECT_EQ(macros.Names(), (std::vector<std::string>{"m0", "m2"}));
    EXPECT_EQ(MacroIndices("2021_01_01_00_00_00_001"), (std::vector<int>{-1, 1}));
    EXPECT_EQ(MacroIndices("2021_01_01_00_00_00_002"), (std::vector<int>{1, 0}));
}

TEST_F(StoreSafetyTest, ADeleteInterruptedBetweenItsWritesIsCompletedOnceByTheNextChange) {
    WriteMacroList({"m0", "m1", "m2"});
    WriteProfile("2021_01_01_00_00_00_001", {1, 2});
    WriteProfile("2021_01_01_00_00_00_002", {2, 0});
    ASSERT_TRUE(WriteFileAtomically(folder.Data() / "id_1.mac", R"({"Events": []})"));
    // What a process leaves when it dies after the intent and one profile.
    const ProfileFixUpPlan plan = PlanProfileFixUps(folder.Data(), 1);
    ASSERT_EQ(plan.changes.size(), 2u);
    ASSERT_TRUE(WriteMacroDeleteIntent(folder.Data(), 1, "id_1", "m1", plan.changes));
    ASSERT_TRUE(WriteFileAtomically(plan.changes[0].file, plan.changes[0].after));

    for (int change = 0; change < 2; ++change) {  // a second change finds nothing left to do
        SCOPED_TRACE(change);
        ProfileStore store = MakeStore();
        ASSERT_TRUE(store.LoadProfileList());
        ASSERT_TRUE(store.AddProfile());
        if (change == 0) {
            std::string notices;
            for (const std::string& notice : store.TakeNotices()) notices += notice + "\n";
            EXPECT_NE(notices.find("\"m1\" was completed"), std::string::npos) << notices;
        }
        MacroList macros(folder.Data());
        ASSERT_TRUE(macros.Load());
        EXPECT_EQ(macros.Names(), (std::vector<std::string>{"m0", "m2"}));
        EXPECT_EQ(MacroIndices("2021_01_01_00_00_00_001"), (std::vector<int>{-1, 1}));
        EXPECT_EQ(MacroIndices("2021_01_01_00_00_00_002"), (std::vector<int>{1, 0}));
        EXPECT_FALSE(std::filesystem::exists(folder.Data() / "id_1.mac"));
        EXPECT_FALSE(std::filesystem::exists(folder.Data() / kMacroDeleteIntentFileName));
    }
}

TEST_F(StoreSafetyTest, LoadingListingAndExportingNeverWrite) {
    {
        ProfileStore store = MakeStore();
        ASSERT_TRUE(store.LoadProfileList());
        ASSERT_TRUE(store.AddProfile());
        ASSERT_TRUE(store.SelectProfile(1));
        MacroList macros(folder.Data());
        ASSERT_TRUE(macros.Add());
        ASSERT_TRUE(macros.SaveEvents(0, {}));
    }
    const auto before = Snapshot(folder.Data());
    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    EXPECT_EQ(store.CurrentIndex(), 1);
    ASSERT_TRUE(store.ExportProfile(folder.Root() / "backup.json"));
    ASSERT_TRUE(store.SelectProfile(1));  // the selection it already has
    ASSERT_TRUE(store.ReloadList());
    MacroList macros(folder.Data());
    ASSERT_TRUE(macros.Load());
    ASSERT_TRUE(macros.Export(0, folder.Root() / "macro.mac"));
    std::vector<std::vector<MacroEvent>> events;
    ASSERT_TRUE(macros.ReadAllEvents(events));
    EXPECT_EQ(Snapshot(folder.Data()), before);
}

TEST_F(StoreSafetyTest, AnUnreadableSelectedProfileIsKeptAsideAndReplacedWithANotice) {
    ProfileStore first = MakeStore();
    ASSERT_TRUE(first.LoadProfileList());
    const std::filesystem::path file = first.CurrentProfileFile();
    folder.WriteText(file, "{\"Device\": [");

    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    const std::vector<std::string> notices = store.TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("\"profile1\" could not be read"), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find("factory settings"), std::string::npos) << notices[0];
    const Json::Value repaired = ReadJson(file);
    EXPECT_EQ(repaired["Device"], ReadJson(folder.Defaults())["Device"]);
    EXPECT_EQ(repaired["profilename"], "profile1");
    EXPECT_EQ(repaired["profileUUID"], store.CurrentProfileId());
    int kept = 0;
    for (const std::string& name : folder.Files()) kept += name.find(".unreadable-") != std::string::npos ? 1 : 0;
    EXPECT_EQ(kept, 1);
}

TEST_F(StoreSafetyTest, StaleTemporaryFilesOfOurNamingGoWhenTheFolderIsNextLocked) {
    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    const std::vector<std::string> stale = {".ProfileList.ini.tmp.Ab12Cd", ".macro.config.tmp.x9Y8z7"};
    const std::vector<std::string> kept = {".ProfileList.ini.tmp.fresh1", ".ProfileList.ini.tmp.toolong1",
                                           "ProfileList.ini.tmp.Ab12Cd", ".notes.tmp"};
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const std::string& name : stale) {
        folder.WriteText(folder.Data() / name, "x");
        std::filesystem::last_write_time(folder.Data() / name, hourAgo);
    }
    for (const std::string& name : kept) {
        folder.WriteText(folder.Data() / name, "x");
        if (name != ".ProfileList.ini.tmp.fresh1") std::filesystem::last_write_time(folder.Data() / name, hourAgo);
    }
    ASSERT_TRUE(store.AddProfile());
    for (const std::string& name : stale) EXPECT_FALSE(std::filesystem::exists(folder.Data() / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(std::filesystem::exists(folder.Data() / name)) << name;
}

TEST_F(StoreSafetyTest, NamesAreStoredAsValidUtf8AndControlCharactersAreRefused) {
    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    WriteMacroList({"m0"});
    MacroList macros(folder.Data());
    ASSERT_TRUE(macros.Load());
    const std::string list = Bytes(ListFile());
    const std::vector<std::string> controlled = {"two\nlines", "\x1b[31mred", "tab\there", std::string("nul\0x", 5),
                                                 "c1\xc2\x9b"};
    for (const std::string& name : controlled) {
        SCOPED_TRACE(PrintableText(name));
        EXPECT_EQ(store.RenameProfile(name), RenameResult::kNameInvalid);
        EXPECT_EQ(macros.Rename(0, name).status, MacroListStatus::kNameInvalid);
        Json::Value imported(Json::objectValue);
        imported["profilename"] = name;
        imported["profileUUID"] = "x";
        ASSERT_TRUE(WriteJson(folder.Root() / "import.json", imported));
        EXPECT_FALSE(store.ImportProfile(folder.Root() / "import.json"));
    }
    EXPECT_EQ(Bytes(ListFile()), list);

    // Bytes that are no UTF-8 become U+FFFD; every file stays valid UTF-8.
    folder.WriteText(folder.Root() / "import.json", "{\"profilename\": \"Bad\xff\xfe\", \"profileUUID\": \"x\"}");
    ASSERT_TRUE(store.ImportProfile(folder.Root() / "import.json"));
    EXPECT_EQ(store.Names().back(), "Bad\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(ToValidUtf8(Bytes(ListFile())), Bytes(ListFile()));
    EXPECT_EQ(store.RenameProfile("Caf\xe9"), RenameResult::kDone);
    EXPECT_EQ(ReadJson(store.CurrentProfileFile())["profilename"], "Caf\xef\xbf\xbd");
    ASSERT_TRUE(macros.Rename(0, "M\xfe"));
    EXPECT_EQ(ToValidUtf8(Bytes(MacroConfig())), Bytes(MacroConfig()));
}

TEST_F(StoreSafetyTest, AListWhoseEntriesAreNotObjectsIsRebuiltFromTheFiles) {
    ProfileStore first = MakeStore();
    ASSERT_TRUE(first.LoadProfileList());
    ASSERT_TRUE(first.AddProfile());
    folder.WriteText(ListFile(), R"({"profilelist": ["profile1", 5, null], "profileselect": 0})");
    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    EXPECT_EQ(store.Names(), (std::vector<std::string>{"profile1", "profile2"}));
    const std::vector<std::string> notices = store.TakeNotices();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[0].find("kept as"), std::string::npos) << notices[0];
    EXPECT_NE(notices[1].find("rebuilt from 2"), std::string::npos) << notices[1];
}

TEST_F(StoreSafetyTest, MacrosThatCannotBeReadAreRefusedBeforeAnythingIsSent) {
    WriteMacroList({"m0", "m1"});
    ASSERT_TRUE(WriteFileAtomically(folder.Data() / "id_0.mac", R"({"Events": [{"Type": 10, "Button": 4}]})"));
    MacroList macros(folder.Data());
    std::vector<std::vector<MacroEvent>> events;
    // A macro whose events were never saved has none.
    ASSERT_TRUE(macros.ReadAllEvents(events));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].size(), 1u);
    EXPECT_TRUE(events[1].empty());

    const auto mac = folder.Data() / "id_1.mac";
    const std::string deep = std::string(200, '[') + std::string(200, ']');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"not JSON", "{\"Events\": ["},
        {"too deep", "{\"Events\": " + deep + "}"},
        {"root of the wrong type", "[]"},
        {"events of the wrong type", R"({"Events": {"Type": 10}})"},
        {"an event of the wrong type", R"({"Events": [5]})"},
        {"too big", "{\"Events\": [], \"x\": \"" + std::string(kMaxMacroFileBytes, 'x') + "\"}"},
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        folder.WriteText(mac, text);
        const MacroListResult read = macros.ReadAllEvents(events);
        EXPECT_FALSE(read);
        EXPECT_NE(read.reason.find(mac.string()), std::string::npos) << read.reason;
        EXPECT_TRUE(events.empty());
    }
    std::filesystem::remove(mac);
    ASSERT_EQ(::mkfifo(mac.c_str(), 0600), 0);
    EXPECT_FALSE(macros.ReadAllEvents(events));
    std::filesystem::remove(mac);

    folder.WriteText(MacroConfig(), "{\"MacroInfo\": ");
    const MacroListResult list = macros.ReadAllEvents(events);
    EXPECT_EQ(list.status, MacroListStatus::kListUnreadable);
    EXPECT_NE(list.reason.find("macro.config"), std::string::npos) << list.reason;
}

TEST_F(StoreSafetyTest, TheWatcherSeesChangesAndOwnWritesAreToldFromOthers) {
    std::string error;
    const auto watch = InotifyFolderWatch::Open(folder.Data(), error);
    ASSERT_NE(watch, nullptr) << error;
    const auto file = folder.Data() / "ProfileList.ini";
    ASSERT_TRUE(WriteFileAtomically(file, "{}"));
    EXPECT_TRUE(IsOwnWrite(file));
    // Only the file itself: not its temporary file, not the lock.
    EXPECT_EQ(watch->TakeChanges(), std::vector<std::string>{"ProfileList.ini"});
    EXPECT_TRUE(watch->TakeChanges().empty());

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) ::_exit(WriteFileAtomically(file, "{\"other\": 1}") ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(IsOwnWrite(file));
    EXPECT_EQ(watch->TakeChanges(), std::vector<std::string>{"ProfileList.ini"});
}

}  // namespace
}  // namespace ivra
