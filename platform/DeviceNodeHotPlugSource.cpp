#include "DeviceNodeHotPlugSource.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "DescriptorHotPlugSource.h"

namespace ivra {

namespace {

constexpr const char kHidrawPrefix[] = "hidraw";

class DeviceNodeHotPlugSource final : public DescriptorHotPlugSource {
public:
    explicit DeviceNodeHotPlugSource(int fd) : DescriptorHotPlugSource(fd), fd_(fd) {}
    ~DeviceNodeHotPlugSource() override { close(fd_); }
    DeviceNodeHotPlugSource(const DeviceNodeHotPlugSource&) = delete;
    DeviceNodeHotPlugSource& operator=(const DeviceNodeHotPlugSource&) = delete;

private:
    Drained Drain() override {
        alignas(inotify_event) char buffer[4096];
        bool changed = false;
        for (;;) {
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno == EAGAIN) break;
                return Drained::kFailed;
            }
            if (n == 0) return Drained::kFailed;
            for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                // The watched folder itself gone or unmounted: nothing more
                // will be reported.
                if ((event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
                    return Drained::kFailed;
                }
                // A full queue lost events: enumerate to be sure.
                if ((event->mask & IN_Q_OVERFLOW) != 0) changed = true;
                if (event->len > 0 && std::strncmp(event->name, kHidrawPrefix, sizeof kHidrawPrefix - 1) == 0) {
                    changed = true;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event)) + event->len;
            }
        }
        return changed ? Drained::kChanged : Drained::kUnrelated;
    }

    const int fd_;
};

}  // namespace

std::unique_ptr<IHotPlugSource> OpenDeviceNodeHotPlugSource(const std::string& devRoot) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    // Created, removed and renamed nodes, and changed permissions (a node
    // the user may open only once its mode or owner was changed).
    constexpr uint32_t kEvents =
        IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (inotify_add_watch(fd, devRoot.c_str(), kEvents) < 0) {
        close(fd);
        return nullptr;
    }
    auto source = std::make_unique<DeviceNodeHotPlugSource>(fd);
    if (!source->Valid()) return nullptr;
    return source;
}

}  // namespace ivra
