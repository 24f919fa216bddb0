#include "profile/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <thread>

#include "keys/MacroDeleteIntent.h"
#include "profile/AtomicFile.h"

namespace ivra {
namespace {

// The folders this thread holds locked, with how often it took each.
std::map<std::string, int>& HeldByThisThread() {
    thread_local std::map<std::string, int> held;
    return held;
}

std::string Key(const std::filesystem::path& folder) {
    return folder.lexically_normal().string();
}

}  // namespace

FolderLock::FolderLock(std::filesystem::path folder, Purpose purpose, std::chrono::milliseconds wait)
    : folder_(std::move(folder)) {
    auto& held = HeldByThisThread();
    if (const auto it = held.find(Key(folder_)); it != held.end()) {
        ++it->second;
        nested_ = true;
        ok_ = true;
        return;
    }
    const std::filesystem::path file = folder_ / kLockFileName;
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    fd_ = purpose == Purpose::kChange ? ::open(file.c_str(), O_RDWR | O_CREAT | flags, 0644) : -1;
    if (fd_ < 0) fd_ = ::open(file.c_str(), O_RDONLY | flags);
    if (fd_ < 0) {
        const int error = errno;
        // Reading goes on unlocked where no lock can be had: a folder that
        // never held a lock file, or one on a read-only or full disk.
        if (purpose == Purpose::kRead) {
            ok_ = true;
            return;
        }
        error_ = "cannot open the lock file " + file.string() + ": " + std::strerror(error);
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) break;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            error_ = "cannot lock " + file.string() + ": " + std::strerror(errno);
            ::close(fd_);
            fd_ = -1;
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            error_ = "the data folder " + folder_.string() +
                     " is busy (another program is changing it); try again";
            ::close(fd_);
            fd_ = -1;
            return;
        }
        // Holders keep the lock for milliseconds: short pauses, growing a little.
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
    held[Key(folder_)] = 1;
    ok_ = true;
    if (purpose == Purpose::kChange) Tidy();
}

FolderLock::~FolderLock() {
    auto& held = HeldByThisThread();
    if (nested_) {
        if (const auto it = held.find(Key(folder_)); it != held.end()) --it->second;
        return;
    }
    if (fd_ < 0) return;
    held.erase(Key(folder_));
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

void FolderLock::Tidy() {
    const int removed = RemoveStaleTemporaryFiles(folder_, kStaleTemporaryAge);
    if (removed > 0) {
        notices_.push_back(std::to_string(removed) + " temporary file(s) left by an interrupted write were removed");
    }
    const MacroDeleteReplay replay = ReplayMacroDeleteIntent(folder_);
    for (const std::string& notice : replay.notices) notices_.push_back(notice);
    if (!replay.ok) {
        ok_ = false;
        error_ = replay.error;
        HeldByThisThread().erase(Key(folder_));
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace ivra
