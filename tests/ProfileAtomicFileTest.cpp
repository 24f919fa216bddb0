// The atomic whole-file write every subsystem uses.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ProfileTestFolder.h"
#include "base/AtomicFile.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

using testing::ProfileTestFolder;

TEST(ProfileAtomicFileTest, ReplacesContentAndKeepsMode) {
    ProfileTestFolder folder;
    const auto path = folder.Root() / "file.txt";
    ASSERT_TRUE(WriteFileAtomically(path, std::string("first and long")).ok);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_TRUE(WriteFileAtomically(path, std::string("new")).ok);
    EXPECT_EQ(readjsonFile(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_TRUE(WriteFileAtomically(path, std::string()).ok);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    // No temporary file is left behind.
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Root())) {
        count += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(count, 2u);  // file.txt and the fixture's default data
}

TEST(ProfileAtomicFileTest, FailuresLeaveTheOldFileAndSayWhy) {
    ProfileTestFolder folder;
    const auto directory = folder.Root() / "a-directory";
    std::filesystem::create_directory(directory);
    std::filesystem::create_directory(directory / "inside");
    const FileWriteResult overDirectory = WriteFileAtomically(directory, "x");
    EXPECT_FALSE(overDirectory.ok);
    EXPECT_NE(overDirectory.error.find("a-directory"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(directory / "inside"));

    EXPECT_FALSE(WriteFileAtomically(folder.Root() / "missing" / "f", "x").ok);
    EXPECT_FALSE(WriteFileAtomically("", "x").ok);

    if (::geteuid() != 0) {  // root may write anywhere
        const auto locked = folder.Root() / "locked";
        std::filesystem::create_directory(locked);
        folder.WriteText(locked / "f", "old");
        ASSERT_EQ(::chmod(locked.c_str(), 0500), 0);
        EXPECT_FALSE(WriteFileAtomically(locked / "f", "new").ok);
        EXPECT_EQ(readjsonFile(locked / "f"), "old");
        ::chmod(locked.c_str(), 0700);
    }
}

}  // namespace
}  // namespace ivra
