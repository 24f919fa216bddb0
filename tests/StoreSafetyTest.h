// Helpers for the tests of what the profile and macro store guarantees.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>

namespace ivra::testing {

// While it lives, this process cannot write files larger than `bytes`
// (writes fail with EFBIG, as on a full disk, whoever runs the test).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
};

// Every entry of a folder with what would change if it were written:
// inode, size and modification time.
using FolderSnapshot = std::map<std::string, std::tuple<ino_t, off_t, long long>>;

inline FolderSnapshot Snapshot(const std::filesystem::path& folder) {
    FolderSnapshot snapshot;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        snapshot[entry.path().filename().string()] = {info.st_ino, info.st_size,
                                                      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL +
                                                          info.st_mtim.tv_nsec};
    }
    return snapshot;
}

}  // namespace ivra::testing
