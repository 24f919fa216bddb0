// The profile data object: loading and repairing the device section, key
// records, and saving.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProfileTestFolder.h"
#include "base/JsonHelpers.h"
#include "models/profile/KeyboardProfileData.h"
#include "base/TextHelpers.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

class ProfileDataTest : public ::testing::Test {
protected:
    ProfileDataTest() {
        data.SetDefaultDataPath(folder.Defaults());
        data.SetProfilePath(path);
    }
    Json::Value DefaultSection() const { return ReadJson(folder.Defaults())["Device"][0]; }
    size_t KeptAside() const {
        size_t count = 0;
        for (const std::string& name : folder.Files()) count += name.find(".unreadable-") != std::string::npos;
        return count;
    }

    ProfileTestFolder folder;
    std::filesystem::path path = folder.Data() / "p.Json";
    KeyboardProfileData data;
};

TEST_F(ProfileDataTest, MissingOrBrokenSectionsAreRepairedFromTheDefaults) {
    struct Case {
        const char* text;  // nullptr: no file
        bool keptAside;    // the old file is kept because nothing of it could be used
        bool keepsName;
    };
    const Case cases[] = {
        {nullptr, false, false},
        {"{}", false, false},
        {R"({"profilename": "Mine", "Device": 5})", false, true},
        {R"({"profilename": "Mine", "Device": [5]})", false, true},
        {R"({"profilename": "Mine", "Device": [null]})", false, true},
        {R"({"profilename": "Mine", "Device": []})", false, true},
        {"[1, 2]", true, false},
        {"{\"profilename\": \"Mi", true, false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path);
        for (const std::string& name : folder.Files()) std::filesystem::remove(folder.Data() / name);
        if (c.text) folder.WriteText(path, c.text);
        EXPECT_EQ(data.LoadDeviceSection(path), DefaultSection()) << (c.text ? c.text : "none");
        const Json::Value written = ReadJson(path);
        EXPECT_EQ(written["Device"][0], DefaultSection()) << (c.text ? c.text : "none");
        EXPECT_EQ(written.isMember("profilename"), c.keepsName);
        EXPECT_EQ(KeptAside(), c.keptAside ? 1u : 0u) << (c.text ? c.text : "none");
    }

    // A usable section is taken as it is, and the file is not rewritten.
    const std::string own = R"({"Device": [{"Own": 1}], "profilename": "x"})";
    folder.WriteText(path, own);
    EXPECT_EQ(data.LoadDeviceSection(path)["Own"], 1);
    EXPECT_EQ(readjsonFile(path), own);
}

TEST_F(ProfileDataTest, UnreadableDefaultsNeverTurnAProfileIntoAStub) {
    folder.WriteText(folder.Defaults(), "{");
    for (const char* text : {"{\"profilename\": \"Mine\"}", "{broken"}) {
        folder.WriteText(path, text);
        EXPECT_TRUE(data.LoadDeviceSection(path).isNull());
        EXPECT_EQ(readjsonFile(path), text);
        EXPECT_FALSE(data.SaveDeviceSection());  // nothing loaded, nothing saved
        EXPECT_EQ(readjsonFile(path), text);
    }
}

TEST_F(ProfileDataTest, KeyListReadAndStore) {
    folder.WriteText(path, R"({"Device": [{"KeyList": [
        {"Assignment": 1048832, "DefaultAssignment": 1048832},
        {"Assignment": "text", "DefaultAssignment": 2.5},
        7,
        {"Assignment": 16777215, "DefaultAssignment": 458752}
    ]}]})");
    data.LoadDeviceSection(path);
    const std::vector<KeyRecord> keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].current, (AssignmentSlot{0, 0, 0x10, 1, 0, 0}));
    EXPECT_EQ(keys[0].defaults, keys[0].current);
    EXPECT_EQ(keys[1].current, (AssignmentSlot{1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(keys[1].defaults, (AssignmentSlot{1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(keys[2].current, (AssignmentSlot{2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(keys[3].current, (AssignmentSlot{3, 0, 0xFF, 0xFF, 0xFF, 0}));
    EXPECT_EQ(keys[3].defaults, (AssignmentSlot{3, 0, 0x07, 0, 0, 0}));

    // Fewer records than elements: the rest, and every default, stay.
    std::vector<KeyRecord> changed(keys.begin(), keys.begin() + 3);
    changed[0].current = AssignmentSlot{0, 0, 0x70, 3, 0, 0};
    changed[2].current = AssignmentSlot{2, 0, 0x01, 0x02, 0x03, 0};
    data.SetKeyList(changed);
    ASSERT_TRUE(data.SaveDeviceSection());
    const Json::Value saved = ReadJson(path)["Device"][0]["KeyList"];
    EXPECT_EQ(saved[0]["Assignment"], 0x700300);
    EXPECT_EQ(saved[0]["DefaultAssignment"], 1048832);
    EXPECT_EQ(saved[2]["Assignment"], 0x010203);
    EXPECT_EQ(saved[3]["Assignment"], 16777215);
    EXPECT_EQ(data.GetKeyList()[2].current, changed[2].current);

    // No section at all: the empty list.
    KeyboardProfileData empty;
    EXPECT_TRUE(empty.GetKeyList().empty());
}

TEST_F(ProfileDataTest, SaveKeepsTheFileAndItsNonLatinName) {
    const std::wstring name = L"Профиль 設定";
    Json::Value profile(Json::objectValue);
    profile["profilename"] = ToUtf8(name);
    profile["profileUUID"] = "id";
    profile["Device"][0]["A"] = 1;
    ASSERT_TRUE(WriteJson(path, profile));
    data.LoadDeviceSection(path);
    data.MutableDeviceSection()["A"] = 2;
    ASSERT_TRUE(data.SaveDeviceSection());
    const Json::Value saved = ReadJson(path);
    EXPECT_EQ(FromUtf8(saved["profilename"].asString()), name);
    EXPECT_EQ(saved["profileUUID"], "id");
    EXPECT_EQ(saved["Device"][0]["A"], 2);

    // Saving over a file that broke meanwhile keeps the broken one aside.
    folder.WriteText(path, "{torn");
    ASSERT_TRUE(data.SaveDeviceSection());
    EXPECT_EQ(ReadJson(path)["Device"][0]["A"], 2);
    EXPECT_EQ(KeptAside(), 1u);
}

}  // namespace
}  // namespace ivra
