// The lock that every read-modify-write of a kind's data folder holds, from
// the read to the last write: an flock on the folder's lock file ".lock".
// The program and any number of ivractl processes share the folder; they
// serialise on this lock, never on anything held across device I/O.
//
// Waiting is bounded: the wait blocks in flock(), so the lock passes to a
// waiter as soon as its holder lets go, and a timer aimed at the waiting
// thread ends it when the wait allowed runs out (a user interface allows
// only a short one); where no such timer can be had, the lock is tried with
// short pauses.
// A thread that already holds the folder's lock takes it again at no cost.
//
// A lock for a change also tidies the folder once it is held: it removes
// stale temporary files of our own naming and completes a macro deletion
// that a crash interrupted (see MacroDeleteIntent.h) before anything else
// reads the folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace ivra {

class FolderLock {
public:
    static constexpr const char* kLockFileName = ".lock";
    // What the command-line tool and the devices' saves wait at most.
    static constexpr std::chrono::milliseconds kDefaultWait{5000};
    // Temporary files older than this belong to no write in progress.
    static constexpr std::chrono::seconds kStaleTemporaryAge{300};

    enum class Purpose {
        kRead,    // never writes: a missing lock file is not created, an
                  // unusable one (read-only folder) means reading unlocked
        kChange,  // creates the lock file and tidies the folder
    };

    FolderLock(std::filesystem::path folder, Purpose purpose, std::chrono::milliseconds wait = kDefaultWait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // True when the caller may go on: the lock is held (or, for reading, the
    // folder offers no lock to take).
    explicit operator bool() const { return ok_; }
    // Why the lock is not held, for the user.
    const std::string& Error() const { return error_; }
    // What tidying the folder did (temporary files removed, a deletion completed).
    std::vector<std::string> TakeNotices() { return std::move(notices_); }

private:
    void Tidy();

    std::filesystem::path folder_;
    int fd_ = -1;
    bool nested_ = false;
    bool ok_ = false;
    std::string error_;
    std::vector<std::string> notices_;
};

}  // namespace ivra
