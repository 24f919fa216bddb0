// A writer killed at any moment leaves every profile file and the list
// parseable, and every listed profile with its file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "ProfileTestFolder.h"
#include "base/JsonHelpers.h"
#include "models/profile/ProfileStore.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

[[noreturn]] void RunStoreOperationsForever(const ProfileStoreSetup& setup, unsigned seed) {
    ProfileStore store(setup);
    std::mt19937 random(seed);
    store.LoadProfileList();
    for (unsigned n = 0;; ++n) {
        switch (random() % 7) {
            case 0: store.AddProfile(); break;
            case 1: store.CopyProfile(); break;
            case 2: store.RenameProfile("name " + std::to_string(n)); break;
            case 3: store.SelectProfile(static_cast<int>(random() % (store.Names().size() + 1))); break;
            case 4: store.ResetProfile(); break;
            case 5: store.DeleteProfile(); break;
            default: store.LoadProfileList(); break;
        }
        if (store.Names().size() > 30) store.DeleteProfile();
    }
}

TEST(ProfileCrashSafetyTest, KilledWriterLeavesEveryFileWhole) {
    ProfileTestFolder folder;
    const ProfileStoreSetup setup{folder.Data(), folder.Defaults(), 1};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMicros(5000, 150000);
    Json::ArrayIndex mostProfiles = 0;
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) RunStoreOperationsForever(setup, static_cast<unsigned>(round));
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself in round " << round;

        for (const std::string& name : folder.Files()) {
            if (name[0] == '.') continue;  // a temporary file the kill left behind
            EXPECT_EQ(ReadJsonFile(folder.Data() / name).state, JsonFileState::kParsed)
                << name << " in round " << round;
        }
        const JsonFileRead list = ReadJsonFile(folder.Data() / ProfileStore::kListFileName);
        if (list.state == JsonFileState::kMissing) continue;  // killed before the first list
        ASSERT_EQ(list.state, JsonFileState::kParsed) << round;
        mostProfiles = std::max(mostProfiles, list.value["profilelist"].size());
        for (const Json::Value& entry : list.value["profilelist"]) {
            const auto file = folder.Data() / (entry["profileUUID"].asString() + ".Json");
            EXPECT_EQ(ReadJson(file)["profileUUID"], entry["profileUUID"]) << round;
        }
        ProfileStore reader(setup);
        ASSERT_TRUE(reader.LoadProfileList());
        EXPECT_TRUE(reader.TakeNotices().empty()) << round;
    }
    EXPECT_GT(mostProfiles, 3u) << "the writer did not get far enough to matter";
}

}  // namespace
}  // namespace ivra
