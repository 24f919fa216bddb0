// The macro list of a device kind: naming and identity rules, the limits,
// events saved and loaded, import and export with hostile files, and the
// key fix-up across every profile when a macro is deleted.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "ProfileTestFolder.h"
#include "models/keys/MacroKeyFixUp.h"
#include "models/keys/MacroList.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

class MacroListTest : public ::testing::Test {
protected:
    std::filesystem::path Config() const { return folder.Data() / "macro.config"; }

    // A "macro.config" with these names; ids "id_0", "id_1", ...
    void WriteList(const std::vector<std::string>& names) const {
        Json::Value root(Json::objectValue);
        root["MacroInfo"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < names.size(); ++i) {
            Json::Value entry(Json::objectValue);
            entry["MacroName"] = names[i];
            entry["Guid"] = "id_" + std::to_string(i);
            root["MacroInfo"].append(entry);
        }
        ASSERT_TRUE(WriteJson(Config(), root));
    }

    std::string Bytes(const std::filesystem::path& path) const { return readjsonFile(path); }

    ProfileTestFolder folder;
    MacroList macros{folder.Data()};
};

TEST_F(MacroListTest, NewMacrosTakeTheFirstFreeNumberComparedWithoutCase) {
    struct Case {
        std::vector<std::string> names;
        std::string added;
    };
    const Case cases[] = {
        {{}, "macro_1"},
        {{"macro_1", "MACRO_3"}, "macro_2"},
        {{"Macro_1", "macro_2"}, "macro_3"},
        {{"macro_01", "macro_1 "}, "macro_1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.added);
        WriteList(c.names);
        ASSERT_TRUE(macros.Load());
        const MacroListResult added = macros.Add();
        ASSERT_TRUE(added) << added.reason;
        EXPECT_EQ(added.name, c.added);
        EXPECT_EQ(added.index, static_cast<int>(c.names.size()));
        MacroList reread(folder.Data());
        ASSERT_TRUE(reread.Load());
        EXPECT_EQ(reread.Names().back(), c.added);
        EXPECT_FALSE(std::filesystem::exists(reread.MacroFile(reread.Count() - 1)));  // no file until saved
    }
}

TEST_F(MacroListTest, IdsAreUniqueAndNameSafeFiles) {
    ASSERT_TRUE(macros.Load());
    std::set<std::string> ids;
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(macros.Add());
    for (const MacroEntry& entry : macros.Entries()) {
        EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        EXPECT_EQ(macros.MacroFile(ids.size() - 1), folder.Data() / (entry.id + ".mac"));
    }
}

TEST_F(MacroListTest, FiftyMacrosRefuseAddAndImportWithoutTouchingAnyFile) {
    WriteList(std::vector<std::string>(50, "m"));
    const std::string listBefore = Bytes(Config());
    ASSERT_TRUE(WriteFileAtomically(folder.Data() / "id_0.mac", R"({"Events": []})"));
    const auto importable = folder.Root() / "import.mac";
    ASSERT_TRUE(WriteFileAtomically(importable, R"({"Events": [{"Type": 10, "Button": 4}]})"));
    const auto filesBefore = folder.Files();

    ASSERT_TRUE(macros.Load());
    EXPECT_EQ(macros.Add().status, MacroListStatus::kFull);
    EXPECT_EQ(macros.Import(importable).status, MacroListStatus::kFull);
    EXPECT_EQ(Bytes(Config()), listBefore);
    EXPECT_EQ(Bytes(folder.Data() / "id_0.mac"), R"({"Events": []})");
    EXPECT_EQ(folder.Files(), filesBefore);
}

TEST_F(MacroListTest, RenameMustDifferFromEveryNameIncludingItsOwn) {
    WriteList({"macro_1", "macro_2"});
    ASSERT_TRUE(macros.Load());
    struct Case {
        std::size_t index;
        std::string name;
        MacroListStatus status;
    };
    const Case cases[] = {
        {0, "MACRO_1", MacroListStatus::kNameTaken},
        {0, "Macro_2", MacroListStatus::kNameTaken},
        {0, "", MacroListStatus::kNameBlank},
        {0, " \t", MacroListStatus::kNameBlank},
        {2, "elsewhere", MacroListStatus::kNoSuchMacro},
        {1, "Sprint \xC3\xBC", MacroListStatus::kDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(macros.Rename(c.index, c.name).status, c.status);
    }
    MacroList reread(folder.Data());
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.Names(), (std::vector<std::string>{"macro_1", "Sprint \xC3\xBC"}));
}

TEST_F(MacroListTest, SavedEventsLoadBackAndTheFileHasTheMacroFormat) {
    WriteList({"macro_1"});
    ASSERT_TRUE(macros.Load());
    const std::vector<MacroEvent> events = {
        {macro_event_type::kKey, 4, kActionDown, 300},
        {macro_event_type::kKey, 4, kActionUp, 65535},
        {macro_event_type::kMouseButton, 1, "Down", 0},
    };
    ASSERT_TRUE(macros.SaveEvents(0, events));
    const MacroFileRead read = macros.LoadEvents(0);
    ASSERT_EQ(read.state, JsonFileState::kParsed);
    EXPECT_EQ(read.content.events, events);
    EXPECT_EQ(read.content.name, "macro_1");
    EXPECT_EQ(read.content.id, "id_0");
    const Json::Value file = ReadJson(folder.Data() / "id_0.mac");
    EXPECT_EQ(file["Version"], Json::Value(64));
    EXPECT_EQ(file["Events"][1]["Delay"], Json::Value("65535"));

    EXPECT_EQ(macros.SaveEvents(0, std::vector<MacroEvent>(kMaxMacroEvents + 1)).status,
              MacroListStatus::kTooManyEvents);
    EXPECT_EQ(macros.LoadEvents(0).content.events, events);
}

TEST_F(MacroListTest, ImportCopiesACheckedFileAndExportCopiesItBack) {
    WriteList({"macro_1"});
    ASSERT_TRUE(macros.Load());
    const std::string text = R"({"MacroName": "theirs", "Guid": "x", "Events": [{"Type": 10, "Button": 4,
        "Action": "down", "Delay": "300"}], "Version": 64})";
    const auto source = folder.Root() / "theirs.mac";
    ASSERT_TRUE(WriteFileAtomically(source, text));

    const MacroListResult imported = macros.Import(source);
    ASSERT_TRUE(imported) << imported.reason;
    EXPECT_EQ(imported.name, "macro_2");
    EXPECT_EQ(Bytes(macros.MacroFile(1)), text);  // byte for byte
    EXPECT_EQ(macros.LoadEvents(1).content.events.size(), 1u);

    const auto exported = folder.Root() / "exported.mac";
    ASSERT_TRUE(macros.Export(1, exported));
    EXPECT_EQ(Bytes(exported), text);
    EXPECT_EQ(macros.Export(0, exported).status, MacroListStatus::kNoFile);  // nothing saved yet
    EXPECT_EQ(Bytes(exported), text);
    EXPECT_EQ(macros.Export(2, exported).status, MacroListStatus::kNoSuchMacro);
}

TEST_F(MacroListTest, HostileImportFilesAreRefusedBeforeAnythingChanges) {
    WriteList({"macro_1"});
    const std::string listBefore = Bytes(Config());
    const auto file = folder.Root() / "hostile.mac";
    const std::string tooManyEvents = [] {
        std::string text = R"({"Events": [)";
        for (std::size_t i = 0; i <= kMaxMacroEvents; ++i) text += (i ? ",{}" : "{}");
        return text + "]}";
    }();
    const std::string cases[] = {
        "",
        "{broken",
        "[]",
        "{}",
        R"({"Events": {}})",
        R"({"Events": "x"})",
        R"({"Events": [1]})",
        R"({"Events": [{}, null]})",
        std::string(200, '[') + std::string(200, ']'),
        tooManyEvents,
        R"({"Events": [])" + std::string(kMaxMacroFileBytes, ' ') + "]}",
    };
    ASSERT_TRUE(macros.Load());
    const auto filesBefore = folder.Files();
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        ASSERT_TRUE(WriteFileAtomically(file, text));
        EXPECT_EQ(macros.Import(file).status, MacroListStatus::kBadFile);
    }
    EXPECT_EQ(macros.Import(folder.Root() / "missing.mac").status, MacroListStatus::kBadFile);
    EXPECT_EQ(macros.Import(folder.Root()).status, MacroListStatus::kBadFile);  // a folder
    EXPECT_EQ(macros.Import("/dev/null").status, MacroListStatus::kBadFile);
    const auto fifo = folder.Root() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(macros.Import(fifo).status, MacroListStatus::kBadFile);
    EXPECT_EQ(Bytes(Config()), listBefore);
    EXPECT_EQ(folder.Files(), filesBefore);
}

TEST_F(MacroListTest, IdsThatCouldLeaveTheFolderAreNeverUsedAsPaths) {
    Json::Value root(Json::objectValue);
    for (const char* id : {"../outside", "a/b", "..", "", "good"}) {
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = std::string("name ") + id;
        entry["Guid"] = id;
        root["MacroInfo"].append(entry);
    }
    root["MacroInfo"].append(Json::Value(7));  // not an object: keeps its position
    ASSERT_TRUE(WriteJson(Config(), root));
    const auto outside = folder.Root() / "outside.mac";
    ASSERT_TRUE(WriteFileAtomically(outside, R"({"Events": [{"Type": 10}]})"));

    ASSERT_TRUE(macros.Load());
    ASSERT_EQ(macros.Count(), 6u);
    EXPECT_EQ(macros.Names()[4], "name good");
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u}) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(macros.MacroFile(i).empty());
        EXPECT_EQ(macros.LoadEvents(i).state, JsonFileState::kUnreadable);
        EXPECT_EQ(macros.SaveEvents(i, {MacroEvent{}}).status, MacroListStatus::kNoFile);
        EXPECT_EQ(macros.Export(i, folder.Root() / "out.mac").status, MacroListStatus::kNoFile);
    }
    ASSERT_TRUE(macros.Delete(0));
    EXPECT_EQ(Bytes(outside), R"({"Events": [{"Type": 10}]})");
    EXPECT_EQ(macros.Names()[3], "name good");
}

TEST_F(MacroListTest, AnUnreadableListIsNeverWrittenThrough) {
    for (const std::string text : {"{broken", "[]", R"({"MacroInfo": 5})"}) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(WriteFileAtomically(Config(), text));
        EXPECT_EQ(macros.Load().status, MacroListStatus::kListUnreadable);
        EXPECT_EQ(macros.Count(), 0u);
        EXPECT_EQ(macros.Add().status, MacroListStatus::kListUnreadable);
        EXPECT_EQ(macros.Delete(0).status, MacroListStatus::kListUnreadable);
        EXPECT_EQ(Bytes(Config()), text);
    }
}

// Keys running macros 1, 2 and 3 (and one a later macro through type 0x71)
// when macro 2 is deleted.
Json::Value KeyListBefore() {
    Json::Value keys(Json::arrayValue);
    const std::pair<int, int> assignments[] = {
        {0x700100, 0x100100},  // macro 1: unchanged
        {0x700203, 0x100200},  // macro 2: its default
        {0x700300, 0x100400},  // macro 3: now macro 2
        {0x710405, 0x101000},  // macro 4, repeated: now macro 3
        {0x100400, 0x100400},  // not a macro, byte 1 above the index: unchanged
    };
    for (const auto& [current, defaults] : assignments) {
        Json::Value key(Json::objectValue);
        key["Assignment"] = current;
        key["DefaultAssignment"] = defaults;
        keys.append(key);
    }
    Json::Value odd(Json::objectValue);
    odd["Assignment"] = "0x700200";  // not an integer: left alone
    keys.append(odd);
    return keys;
}

const std::vector<int> kKeysAfter = {0x700100, 0x100200, 0x700200, 0x710305, 0x100400};

TEST_F(MacroListTest, DeletingAMacroFixesTheKeysOfEveryProfileOfTheKind) {
    WriteList({"m0", "m1", "m2", "m3", "m4"});
    for (std::size_t i = 0; i < 5; ++i)
        ASSERT_TRUE(WriteFileAtomically(folder.Data() / ("id_" + std::to_string(i) + ".mac"), "{}"));
    for (const char* id : {"2021_01_01_00_00_00_001", "2021_01_01_00_00_00_002"}) {
        Json::Value profile(Json::objectValue);
        profile["profilename"] = id;
        profile["Device"][0]["KeyList"] = KeyListBefore();
        profile["Device"][0]["LightInfo"]["Mode"] = 3;
        ASSERT_TRUE(WriteJson(folder.Data() / (std::string(id) + ".Json"), profile));
    }
    const auto broken = folder.Data() / "2021_01_01_00_00_00_003.Json";
    ASSERT_TRUE(WriteFileAtomically(broken, R"({"Device": [{"KeyList": [{"Assignment": 7340544}]})"));

    ASSERT_TRUE(macros.Load());
    const MacroListResult deleted = macros.Delete(2);
    ASSERT_TRUE(deleted) << deleted.reason;
    EXPECT_EQ(deleted.index, 2);
    EXPECT_EQ(deleted.name, "m2");
    EXPECT_EQ(macros.Names(), (std::vector<std::string>{"m0", "m1", "m3", "m4"}));
    EXPECT_FALSE(std::filesystem::exists(folder.Data() / "id_2.mac"));
    EXPECT_TRUE(std::filesystem::exists(folder.Data() / "id_3.mac"));

    for (const char* id : {"2021_01_01_00_00_00_001", "2021_01_01_00_00_00_002"}) {
        SCOPED_TRACE(id);
        const Json::Value profile = ReadJson(folder.Data() / (std::string(id) + ".Json"));
        const Json::Value& keys = profile["Device"][0]["KeyList"];
        ASSERT_EQ(keys.size(), kKeysAfter.size() + 1);
        for (Json::ArrayIndex i = 0; i < kKeysAfter.size(); ++i)
            EXPECT_EQ(keys[i]["Assignment"].asInt(), kKeysAfter[i]) << i;
        EXPECT_EQ(keys[5]["Assignment"], Json::Value("0x700200"));
        EXPECT_EQ(keys[1]["DefaultAssignment"].asInt(), 0x100200);
        EXPECT_EQ(profile["Device"][0]["LightInfo"]["Mode"].asInt(), 3);
        EXPECT_EQ(profile["profilename"].asString(), id);
    }
    EXPECT_EQ(Bytes(broken), R"({"Device": [{"KeyList": [{"Assignment": 7340544}]})");
    const std::vector<std::string> notices = macros.TakeNotices();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_NE(notices[2].find("2021_01_01_00_00_00_003.Json"), std::string::npos);
}

TEST_F(MacroListTest, TheDevicesKeyRecordsGetTheSameFixUp) {
    std::vector<KeyRecord> keys;
    const Json::Value before = KeyListBefore();
    for (Json::ArrayIndex i = 0; i < kKeysAfter.size(); ++i) {
        keys.push_back({AssignmentSlot::FromEncoded(static_cast<uint8_t>(i), before[i]["Assignment"].asInt()),
                        AssignmentSlot::FromEncoded(static_cast<uint8_t>(i), before[i]["DefaultAssignment"].asInt())});
    }
    EXPECT_TRUE(FixUpKeysAfterMacroDeletion(keys, 2));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].current.Encoded(), kKeysAfter[i]) << i;
        EXPECT_EQ(keys[i].current.keyIndex, i);
    }
    EXPECT_FALSE(FixUpKeysAfterMacroDeletion(keys, 40));
}

TEST_F(MacroListTest, TwoEntriesSharingAFileKeepItWhenOneIsDeleted) {
    Json::Value root(Json::objectValue);
    for (const char* name : {"a", "b"}) {
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = name;
        entry["Guid"] = "same";
        root["MacroInfo"].append(entry);
    }
    ASSERT_TRUE(WriteJson(Config(), root));
    ASSERT_TRUE(WriteFileAtomically(folder.Data() / "same.mac", "{}"));
    ASSERT_TRUE(macros.Load());
    ASSERT_TRUE(macros.Delete(0));
    EXPECT_TRUE(std::filesystem::exists(folder.Data() / "same.mac"));
    ASSERT_TRUE(macros.Delete(0));
    EXPECT_FALSE(std::filesystem::exists(folder.Data() / "same.mac"));
}

}  // namespace
}  // namespace ivra
