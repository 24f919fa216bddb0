// Profile ids: format, uniqueness within the folder, and which ids may name a
// file.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <set>
#include <string>

#include "ProfileTestFolder.h"
#include "models/profile/ProfileId.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

std::chrono::system_clock::time_point LocalMoment(int year, int month, int day, int hour, int minute, int second,
                                                  int millis) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(millis);
}

TEST(ProfileIdTest, FormatsLocalTime) {
    EXPECT_EQ(FormatProfileId(LocalMoment(2021, 8, 21, 9, 5, 7, 42)), "2021_08_21_09_05_07_042");
    EXPECT_TRUE(std::regex_match(MakeProfileId(), std::regex(R"(\d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d{3})")));
}

TEST(ProfileIdTest, UniqueIdsAdvanceTheMillisecond) {
    ProfileTestFolder folder;
    const auto now = LocalMoment(2021, 8, 21, 9, 5, 7, 998);
    folder.WriteText(folder.Data() / "2021_08_21_09_05_07_998.Json", "{}");
    const std::set<std::string> listed = {"2021_08_21_09_05_07_999"};
    const auto taken = [&listed](const std::string& id) { return listed.count(id) > 0; };
    // A file and a list entry are both in the way; the second rolls over.
    EXPECT_EQ(MakeUniqueProfileId(folder.Data(), taken, now), "2021_08_21_09_05_08_000");
    EXPECT_EQ(MakeUniqueProfileId(folder.Data(), nullptr, now), "2021_08_21_09_05_07_999");

    // Many ids made at once are all different.
    std::set<std::string> made;
    for (int i = 0; i < 200; ++i) {
        const std::string id = MakeUniqueProfileId(
            folder.Data(), [&made](const std::string& candidate) { return made.count(candidate) > 0; });
        EXPECT_TRUE(made.insert(id).second);
    }
}

TEST(ProfileIdTest, SafeIds) {
    for (const char* id : {"2021_08_21_09_05_07_042", "a", "x.y"}) EXPECT_TRUE(IsSafeProfileId(id)) << id;
    for (const std::string& id :
         {std::string(), std::string("../x"), std::string(".."), std::string("a/b"), std::string("/etc/passwd"),
          std::string("a\\b"), std::string("a\nb"), std::string("a\0b", 3), std::string(300, 'a')}) {
        EXPECT_FALSE(IsSafeProfileId(id)) << id;
    }
}

}  // namespace
}  // namespace ivra
