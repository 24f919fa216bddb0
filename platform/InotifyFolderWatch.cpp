#include "InotifyFolderWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ivra {

std::unique_ptr<InotifyFolderWatch> InotifyFolderWatch::Open(const std::filesystem::path& folder, std::string& error) {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        error = std::string("inotify: ") + std::strerror(errno);
        return nullptr;
    }
    const uint32_t mask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ONLYDIR;
    if (::inotify_add_watch(fd, folder.c_str(), mask) < 0) {
        error = "cannot watch " + folder.string() + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<InotifyFolderWatch>(new InotifyFolderWatch(fd));
}

InotifyFolderWatch::~InotifyFolderWatch() {
    if (fd_ >= 0) ::close(fd_);
}

std::vector<std::string> InotifyFolderWatch::TakeChanges() {
    std::vector<std::string> names;
    alignas(struct inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // EAGAIN: nothing more waiting
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(struct inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
            if ((event->mask & IN_Q_OVERFLOW) != 0 && std::find(names.begin(), names.end(), "*") == names.end()) {
                names.emplace_back("*");
            }
            if (event->len == 0) continue;
            const std::string name(event->name);
            if (name.empty() || name.front() == '.') continue;
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
    }
    return names;
}

}  // namespace ivra
