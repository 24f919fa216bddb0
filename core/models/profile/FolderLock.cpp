#include "models/profile/FolderLock.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <thread>

#include "models/keys/MacroDeleteIntent.h"
#include "base/AtomicFile.h"

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

// A bounded wait blocks in flock(), where the kernel hands the lock on as
// soon as its holder lets go (polling would lose every race to a holder
// that takes it again at once), and a timer signal aimed at this thread
// ends the wait at the deadline. The signal's handler does nothing; it only
// makes flock() return.
int WakeSignal() {
    return SIGRTMIN + 5;
}

void OnWake(int) {}

bool WakeSignalUsable() {
    static const bool installed = [] {
        struct sigaction current {};
        if (::sigaction(WakeSignal(), nullptr, &current) != 0) return false;
        if (current.sa_handler != SIG_DFL && current.sa_handler != OnWake) return false;  // someone else's
        struct sigaction action {};
        action.sa_handler = OnWake;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the wait must end
        return ::sigaction(WakeSignal(), &action, nullptr) == 0;
    }();
    if (!installed) return false;
    sigset_t blocked;
    if (::pthread_sigmask(SIG_BLOCK, nullptr, &blocked) != 0) return false;
    return sigismember(&blocked, WakeSignal()) == 0;
}

timespec ToTimespec(std::chrono::nanoseconds duration) {
    timespec value{};
    value.tv_sec = static_cast<time_t>(duration.count() / 1000000000LL);
    value.tv_nsec = static_cast<long>(duration.count() % 1000000000LL);
    return value;
}

// 0 when the lock is held, EWOULDBLOCK when the wait ran out, another errno
// code on failure.
int LockWithin(int fd, std::chrono::milliseconds wait) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno != EWOULDBLOCK) return errno;
    if (wait.count() <= 0) return EWOULDBLOCK;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    timer_t timer{};
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = WakeSignal();
    event._sigev_un._tid = ::gettid();
    if (WakeSignalUsable() && ::timer_create(CLOCK_MONOTONIC, &event, &timer) == 0) {
        // First at the deadline, then again every few milliseconds, in case
        // the first signal came before flock() began to wait.
        itimerspec schedule{};
        schedule.it_value = ToTimespec(wait);
        schedule.it_interval = ToTimespec(std::chrono::milliseconds(5));
        ::timer_settime(timer, 0, &schedule, nullptr);
        int result = 0;
        for (;;) {
            if (::flock(fd, LOCK_EX) == 0) break;
            if (errno != EINTR) {
                result = errno;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                result = EWOULDBLOCK;
                break;
            }
        }
        ::timer_delete(timer);
        return result;
    }
    // No signal to wake us: try again with short pauses.
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
        if (errno != EWOULDBLOCK && errno != EINTR) return errno;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return EWOULDBLOCK;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
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
    if (const int error = LockWithin(fd_, wait); error != 0) {
        error_ = error == EWOULDBLOCK
                     ? "the data folder " + folder_.string() + " is busy (another program is changing it); try again"
                     : "cannot lock " + file.string() + ": " + std::strerror(error);
        ::close(fd_);
        fd_ = -1;
        return;
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
