// UTF-8 conversion, blank names, indexed control names and case-blind name
// comparison.
#include <gtest/gtest.h>

#include <string>

#include "base/TextHelpers.h"

namespace ivra {
namespace {

TEST(ProfileTextHelpersTest, Utf8RoundTripAndMalformedInput) {
    const std::wstring wide = L"Work 設定 Профиль 🎮";
    EXPECT_EQ(FromUtf8(ToUtf8(wide)), wide);
    EXPECT_EQ(ToUtf8(L"é"), "\xC3\xA9");
    // Truncated, overlong, surrogate and stray continuation bytes.
    EXPECT_EQ(FromUtf8("a\xC3"), L"a\xFFFD");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\xFFFD\xFFFD");
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), L"\xFFFD\xFFFD\xFFFD");
    EXPECT_EQ(FromUtf8("\x80z"), L"\xFFFDz");
    EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(ProfileTextHelpersTest, IsBlank) {
    EXPECT_TRUE(IsBlank(std::string()));
    EXPECT_TRUE(IsBlank(std::string(" \t\r\n ")));
    EXPECT_TRUE(IsBlank(std::string("\xE3\x80\x80")));  // ideographic space
    EXPECT_FALSE(IsBlank(std::string("  a ")));
    EXPECT_TRUE(IsBlank(std::wstring(L"   ")));
    EXPECT_FALSE(IsBlank(std::wstring(L" x")));
}

TEST(ProfileTextHelpersTest, SplitIndexedName) {
    struct Case {
        const char* name;
        bool split;
        const char* prefix;
        int number;
    };
    const Case cases[] = {
        {"key_12", true, "key_", 12},
        {"DPI_slider_", true, "DPI_slider_", 0},
        {"DPI_slider_3", true, "DPI_slider_", 3},
        {"keyset", false, "", -1},
        {"light_x7", true, "light_", 0},
        {"key_99999999999999", true, "key_", 0x7FFFFFFF},
        {"_5", true, "_", 5},
    };
    for (const Case& c : cases) {
        std::string prefix;
        int number = -1;
        EXPECT_EQ(SplitIndexedName(c.name, prefix, number), c.split) << c.name;
        EXPECT_EQ(prefix, c.prefix) << c.name;
        EXPECT_EQ(number, c.number) << c.name;
    }
}

TEST(ProfileTextHelpersTest, NamesCompareWithoutCase) {
    EXPECT_TRUE(EqualsIgnoringCase("PROFILE2", "profile2"));
    EXPECT_TRUE(EqualsIgnoringCase("Work Copy", "work copy"));
    EXPECT_FALSE(EqualsIgnoringCase("work", "work "));
    EXPECT_FALSE(EqualsIgnoringCase("work", "worl"));
    EXPECT_TRUE(EqualsIgnoringCase("", ""));
    EXPECT_TRUE(EqualsIgnoringCase("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\xA9"));  // Été / éTé
}

}  // namespace
}  // namespace ivra
