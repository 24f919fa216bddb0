// The profile store's operations and their naming rules and limits.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "ProfileTestFolder.h"
#include "models/profile/DataLocations.h"
#include "base/JsonHelpers.h"
#include "models/profile/ProfileStore.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;
using Names = std::vector<std::string>;

class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStore MakeStore(int kind = 1) const { return ProfileStore({folder.Data(), folder.Defaults(), kind}); }
    Json::Value List() const { return ReadJson(folder.Data() / "ProfileList.ini"); }
    Json::Value Profile(const std::string& id) const { return ReadJson(folder.Data() / (id + ".Json")); }
    Json::Value CurrentProfile(const ProfileStore& store) const { return ReadJson(store.CurrentProfileFile()); }
    // A store loaded with profiles of these names, the first selected.
    ProfileStore StoreWith(const Names& names, int kind = 1) {
        ProfileStore store = MakeStore(kind);
        EXPECT_TRUE(store.LoadProfileList());
        for (size_t i = 1; i < names.size(); ++i) EXPECT_TRUE(store.AddProfile());
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_TRUE(store.SelectProfile(static_cast<int>(i)));
            EXPECT_EQ(store.RenameProfile(names[i]), RenameResult::kDone);
        }
        EXPECT_TRUE(store.SelectProfile(0));
        return store;
    }

    ProfileTestFolder folder;
};

TEST_F(ProfileStoreTest, FirstStartMakesProfile1FromTheDefaults) {
    std::string error;
    const auto data = EnsureKindDataFolder(UserDataRoot(folder.Root() / "fresh" / "root"), "mouse", error);
    ASSERT_FALSE(data.empty()) << error;
    EXPECT_TRUE(std::filesystem::is_directory(folder.Root() / "fresh" / "root" / "mouse"));
    EXPECT_TRUE(EnsureKindDataFolder(folder.Root(), "../x", error).empty());

    ProfileStore store({data, folder.Defaults(), 2});
    ASSERT_TRUE(store.LoadProfileList());
    const Json::Value list = ReadJson(data / "ProfileList.ini");
    ASSERT_EQ(list["profilelist"].size(), 1u);
    EXPECT_EQ(list["profilelist"][0]["profilename"], "profile1");
    EXPECT_EQ(list["profilelist"][0]["profileislink"], 0);
    EXPECT_EQ(list["profilelist"][0]["profilelinkmame"], "");
    EXPECT_EQ(list["profileselect"], 0);
    const std::string id = list["profilelist"][0]["profileUUID"].asString();
    EXPECT_EQ(store.CurrentProfileId(), id);
    const Json::Value profile = ReadJson(data / (id + ".Json"));
    EXPECT_EQ(profile["profilename"], "profile1");
    EXPECT_EQ(profile["profileUUID"], id);
    EXPECT_EQ(profile["Device"], ReadJson(folder.Defaults())["Device"]);
    EXPECT_EQ(store.Names(), Names{"profile1"});
}

TEST_F(ProfileStoreTest, AddTakesTheFirstFreeNameAndStopsAtFifty) {
    ProfileStore store = StoreWith({"profile1", "PROFILE2"});
    ASSERT_TRUE(store.AddProfile());
    EXPECT_EQ(store.Names(), (Names{"profile1", "PROFILE2", "profile3"}));
    // The list file selects the new profile; the panel's selection stays.
    EXPECT_EQ(List()["profileselect"], 2);
    EXPECT_EQ(store.CurrentIndex(), 0);
    const Json::Value added = Profile(List()["profilelist"][2]["profileUUID"].asString());
    EXPECT_EQ(added["profilename"], "profile3");
    EXPECT_EQ(added["Device"], ReadJson(folder.Defaults())["Device"]);

    while (store.Names().size() < ProfileStore::kMaxProfilesByAdd) ASSERT_TRUE(store.AddProfile());
    const ProfileStoreResult refused = store.AddProfile();
    EXPECT_FALSE(refused);
    EXPECT_FALSE(refused.reason.empty());
    EXPECT_EQ(store.Names().size(), 50u);
    // Profiles made within the same millisecond still get files of their own.
    EXPECT_EQ(folder.Files().size(), 51u);

    ASSERT_TRUE(store.CopyProfile());
    const auto exported = folder.Root() / "exported.json";
    ASSERT_TRUE(store.ExportProfile(exported));
    ASSERT_TRUE(store.ImportProfile(exported));
    EXPECT_EQ(store.Names().size(), 52u);
}

TEST_F(ProfileStoreTest, DeleteMovesTheSelectionAndRemovesTheFile) {
    struct Case {
        int current;
        int expectedSelection;
        Names remaining;
    };
    const Case cases[] = {
        {0, 0, {"b", "c"}},
        {1, 0, {"a", "c"}},
        {2, 1, {"a", "b"}},
    };
    for (const Case& c : cases) {
        ProfileTestFolder fresh;
        ProfileStore store({fresh.Data(), folder.Defaults(), 1});
        ASSERT_TRUE(store.LoadProfileList());
        ASSERT_TRUE(store.AddProfile());
        ASSERT_TRUE(store.AddProfile());
        const Names names = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(store.SelectProfile(i));
            ASSERT_EQ(store.RenameProfile(names[static_cast<size_t>(i)]), RenameResult::kDone);
        }
        ASSERT_TRUE(store.SelectProfile(c.current));
        const auto removedFile = store.CurrentProfileFile();
        ASSERT_TRUE(store.DeleteProfile());
        EXPECT_EQ(store.Names(), c.remaining) << c.current;
        const Json::Value list = ReadJson(fresh.Data() / "ProfileList.ini");
        EXPECT_EQ(list["profileselect"], c.expectedSelection) << c.current;
        EXPECT_EQ(list["profilelist"].size(), 2u);
        EXPECT_FALSE(std::filesystem::exists(removedFile));
        EXPECT_EQ(store.CurrentProfileId(), list["profilelist"][c.expectedSelection]["profileUUID"].asString());
    }

    ProfileStore single = MakeStore();
    ASSERT_TRUE(single.LoadProfileList());
    const std::string before = readjsonFile(folder.Data() / "ProfileList.ini");
    EXPECT_FALSE(single.DeleteProfile());
    EXPECT_EQ(readjsonFile(folder.Data() / "ProfileList.ini"), before);
    EXPECT_TRUE(std::filesystem::exists(single.CurrentProfileFile()));
}

TEST_F(ProfileStoreTest, CopyAndImportFindFreeNames) {
    ProfileStore store = StoreWith({"Work", "Work copy"});
    Json::Value current = CurrentProfile(store);
    current["Device"][0]["Marker"] = "mine";
    ASSERT_TRUE(WriteJson(store.CurrentProfileFile(), current));

    ASSERT_TRUE(store.CopyProfile());
    EXPECT_EQ(store.Names().back(), "Work copy copy");
    EXPECT_EQ(List()["profileselect"], 0);  // copy leaves the selection
    const std::string copyId = List()["profilelist"][2]["profileUUID"].asString();
    EXPECT_NE(copyId, store.CurrentProfileId());
    EXPECT_EQ(Profile(copyId)["Device"][0]["Marker"], "mine");
    EXPECT_EQ(Profile(copyId)["profilename"], "Work copy copy");

    const auto file = folder.Root() / "import.json";
    Json::Value imported = current;
    imported["profilename"] = "WORK";
    imported["profileUUID"] = "1999_01_01_00_00_00_000";
    imported["Extra"] = 7;
    ASSERT_TRUE(WriteJson(file, imported));
    ASSERT_TRUE(store.ImportProfile(file));
    ASSERT_TRUE(store.ImportProfile(file));
    EXPECT_EQ(store.Names(), (Names{"Work", "Work copy", "Work copy copy", "WORK(1)", "WORK(1)(2)"}));
    const std::string importId = List()["profilelist"][4]["profileUUID"].asString();
    EXPECT_NE(importId, "1999_01_01_00_00_00_000");
    const Json::Value stored = Profile(importId);
    EXPECT_EQ(stored["profileUUID"], importId);
    EXPECT_EQ(stored["Extra"], 7);
    EXPECT_EQ(stored["Device"], current["Device"]);
}

TEST_F(ProfileStoreTest, ImportRefusesAnythingButAProfileAndChangesNothing) {
    ProfileStore store = MakeStore();
    ASSERT_TRUE(store.LoadProfileList());
    const auto fifo = folder.Root() / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto big = folder.Root() / "big.json";
    folder.WriteText(big, "{\"profilename\":\"a\",\"profileUUID\":\"b\",\"pad\":\"" +
                              std::string(kMaxJsonFileBytes, 'x') + "\"}");
    const std::pair<const char*, std::string> cases[] = {
        {"no-uuid.json", R"({"profilename": "Work"})"},
        {"uuid-number.json", R"({"profilename": "Work", "profileUUID": 5})"},
        {"name-object.json", R"({"profilename": {}, "profileUUID": "x"})"},
        {"array.json", R"([{"profilename": "Work", "profileUUID": "x"}])"},
        {"broken.json", R"({"profilename": "Work", )"},
        {"empty.json", ""},
    };
    for (const auto& [name, text] : cases) folder.WriteText(folder.Root() / name, text);
    const std::string listBefore = readjsonFile(folder.Data() / "ProfileList.ini");
    const auto filesBefore = folder.Files();
    for (const auto& [name, text] : cases) EXPECT_FALSE(store.ImportProfile(folder.Root() / name)) << name;
    for (const auto& path : {fifo, big, folder.Root() / "missing.json", folder.Root()}) {
        const ProfileStoreResult result = store.ImportProfile(path);
        EXPECT_FALSE(result) << path;
        EXPECT_FALSE(result.reason.empty());
    }
    EXPECT_EQ(readjsonFile(folder.Data() / "ProfileList.ini"), listBefore);
    EXPECT_EQ(folder.Files(), filesBefore);
    EXPECT_EQ(store.Names().size(), 1u);
}

TEST_F(ProfileStoreTest, RenameRules) {
    ProfileStore store = StoreWith({"Work", "Play"});
    struct Case {
        const char* name;
        RenameResult result;
    };
    const Case cases[] = {
        {"Work", RenameResult::kDone},       // its own name
        {"PLAY", RenameResult::kNameTaken},  // another's, other case
        {"   ", RenameResult::kNameBlank},  {"", RenameResult::kNameBlank},
        {"work", RenameResult::kDone},  // its own name in other case
        {"Ночь", RenameResult::kDone},
    };
    for (const Case& c : cases) EXPECT_EQ(store.RenameProfile(c.name), c.result) << c.name;
    EXPECT_EQ(store.Names(), (Names{"Ночь", "Play"}));
    EXPECT_EQ(List()["profilelist"][0]["profilename"], "Ночь");
    EXPECT_EQ(CurrentProfile(store)["profilename"], "Ночь");

    // A profile file that cannot be read is not replaced by a stub.
    folder.WriteText(store.CurrentProfileFile(), "{broken");
    EXPECT_EQ(store.RenameProfile("Day"), RenameResult::kDone);
    EXPECT_EQ(readjsonFile(store.CurrentProfileFile()), "{broken");
}

TEST_F(ProfileStoreTest, ResetExportAndSelect) {
    ProfileStore headset = StoreWith({"Mine", "Other"}, ProfileStore::kHeadsetKind);
    Json::Value mine = CurrentProfile(headset);
    mine["Device"][0]["KeyList"][0]["Assignment"] = 1;
    mine["Device"][0]["CustomEQNameInfo"] = "my presets";
    mine["Device"][0]["CustomEQHzValueInfo"][0] = 3;
    ASSERT_TRUE(WriteJson(headset.CurrentProfileFile(), mine));

    const auto exported = folder.Root() / "out.json";
    ASSERT_TRUE(headset.ExportProfile(exported));
    EXPECT_EQ(ReadJson(exported), mine);

    ASSERT_TRUE(headset.ResetProfile());
    Json::Value reset = CurrentProfile(headset);
    EXPECT_EQ(reset["profilename"], "Mine");
    EXPECT_EQ(reset["profileUUID"], headset.CurrentProfileId());
    EXPECT_EQ(reset["Device"][0]["KeyList"][0]["Assignment"], 0x100100);
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"], "my presets");
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0], 3);

    // Without readable defaults nothing is reset; an unreadable profile is not exported.
    ASSERT_TRUE(WriteJson(headset.CurrentProfileFile(), mine));
    folder.WriteText(folder.Defaults(), "{");
    EXPECT_FALSE(headset.ResetProfile());
    EXPECT_FALSE(headset.AddProfile());
    EXPECT_EQ(CurrentProfile(headset), mine);
    folder.WriteText(headset.CurrentProfileFile(), "");
    const auto second = folder.Root() / "second.json";
    EXPECT_FALSE(headset.ExportProfile(second));
    EXPECT_FALSE(std::filesystem::exists(second));

    for (const int bad : {-1, 2, 1000}) EXPECT_FALSE(headset.SelectProfile(bad)) << bad;
    ASSERT_TRUE(headset.SelectProfile(1));
    EXPECT_EQ(List()["profileselect"], 1);
    EXPECT_EQ(headset.CurrentProfileId(), List()["profilelist"][1]["profileUUID"].asString());
    ProfileStore reloaded = MakeStore();
    ASSERT_TRUE(reloaded.LoadProfileList());
    EXPECT_EQ(reloaded.CurrentIndex(), 1);
}

}  // namespace
}  // namespace ivra
