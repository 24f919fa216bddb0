// Reading and writing JSON files, and type-checked access to values.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <string>

#include "ProfileTestFolder.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

TEST(JsonHelpersTest, FileStatesAndNonRegularFiles) {
    ProfileTestFolder folder;
    const auto good = folder.Root() / "good.json";
    const auto broken = folder.Root() / "broken.json";
    const auto empty = folder.Root() / "empty.json";
    const auto fifo = folder.Root() / "fifo.json";
    folder.WriteText(good, "// comment\n{\"a\": [1, 2]}");
    folder.WriteText(broken, "{\"a\": ");
    folder.WriteText(empty, "");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    EXPECT_EQ(ReadJsonFile(good).state, JsonFileState::kParsed);
    EXPECT_EQ(ReadJson(good)["a"][1].asInt(), 2);
    EXPECT_EQ(ReadJsonFile(folder.Root() / "none.json").state, JsonFileState::kMissing);
    EXPECT_EQ(ReadJsonFile(broken).state, JsonFileState::kUnreadable);
    EXPECT_EQ(ReadJsonFile(empty).state, JsonFileState::kUnreadable);
    EXPECT_EQ(ReadJsonFile(folder.Root()).state, JsonFileState::kUnreadable);

    // A FIFO without a writer would block a plain open and read forever.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadJsonFile(fifo).state, JsonFileState::kUnreadable);
    EXPECT_EQ(readjsonFile(fifo), "");
    EXPECT_EQ(readjsonFile("/dev/zero"), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // The size bound.
    EXPECT_EQ(readjsonFile(good, 4), "");
    EXPECT_FALSE(readjsonFile(good).empty());
}

TEST(JsonHelpersTest, DeepNestingIsRejectedWithoutCrashing) {
    for (const int depth : {100, 129, 100000}) {
        const std::string text =
            std::string(static_cast<size_t>(depth), '[') + std::string(static_cast<size_t>(depth), ']');
        bool ok = true;
        const Json::Value value = ParseJson(text, &ok);
        EXPECT_EQ(ok, depth <= static_cast<int>(kMaxJsonDepth)) << depth;
        if (!ok) {
            EXPECT_TRUE(value.isNull()) << depth;
        }
    }
}

TEST(JsonHelpersTest, TypedAccessNeverThrows) {
    bool ok = false;
    const Json::Value root = ParseJson(R"({"s": "text", "i": 7, "d": 2.0, "big": 1e20,
                                          "neg": -3, "a": [1], "o": {}, "n": null, "b": true})",
                                       &ok);
    ASSERT_TRUE(ok);
    // Values of the wrong type, keys that are absent and non-objects.
    for (const Json::Value& notObject :
         {Json::Value(5), Json::Value("x"), Json::Value(Json::arrayValue), Json::Value()}) {
        EXPECT_TRUE(MemberOf(notObject, "s").isNull());
        EXPECT_EQ(StringMember(notObject, "s"), "");
        EXPECT_FALSE(IntMember(notObject, "i").has_value());
    }
    EXPECT_EQ(StringMember(root, "s"), "text");
    EXPECT_EQ(StringMember(root, "i"), "");
    EXPECT_EQ(StringMember(root, "o"), "");
    EXPECT_EQ(IntMember(root, "i"), 7);
    EXPECT_EQ(IntMember(root, "d"), 2);
    EXPECT_EQ(IntMember(root, "neg"), -3);
    EXPECT_FALSE(IntMember(root, "big").has_value());
    EXPECT_FALSE(IntMember(root, "s").has_value());
    EXPECT_FALSE(IntMember(root, "b").has_value());
    EXPECT_FALSE(IntMember(root, "missing").has_value());
    EXPECT_EQ(ElementOf(root["a"], 0).asInt(), 1);
    EXPECT_TRUE(ElementOf(root["a"], -1).isNull());
    EXPECT_TRUE(ElementOf(root["a"], 1).isNull());
    EXPECT_TRUE(ElementOf(root["o"], 0).isNull());
    EXPECT_FALSE(root.isMember("missing"));  // lookups add nothing
}

TEST(JsonHelpersTest, WriteKeepsUtf8AndReplacesWhole) {
    ProfileTestFolder folder;
    const auto path = folder.Root() / "out.json";
    folder.WriteText(path, std::string(10000, 'x'));  // longer than the new content
    Json::Value value(Json::objectValue);
    value["profilename"] = "Профиль 设置 ✓";
    ASSERT_TRUE(WriteJson(path, value).ok);
    const std::string text = readjsonFile(path);
    EXPECT_NE(text.find("Профиль 设置 ✓"), std::string::npos);  // not \u escapes
    EXPECT_EQ(ReadJson(path), value);
    EXPECT_EQ(text.back(), '\n');

    const FileWriteResult failed = WriteJson(folder.Root() / "no" / "such" / "x.json", value);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.empty());
}

}  // namespace
}  // namespace ivra
