#include "DescriptorHotPlugSource.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace ivra {

DescriptorHotPlugSource::DescriptorHotPlugSource(int fd) : fd_(fd), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

DescriptorHotPlugSource::~DescriptorHotPlugSource() {
    if (wakeFd_ >= 0) close(wakeFd_);
}

HotPlugWait DescriptorHotPlugSource::WaitForChange(int timeoutMs, std::stop_token stop) {
    if (fd_ < 0 || wakeFd_ < 0) return HotPlugWait::Failed;
    // An eventfd stays signalled: clear what an earlier stop left.
    uint64_t count = 0;
    while (read(wakeFd_, &count, sizeof count) > 0) {}
    const int wakeFd = wakeFd_;
    const std::stop_callback wake(stop, [wakeFd] {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(wakeFd, &one, sizeof one);
    });

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (stop.stop_requested()) return HotPlugWait::Stopped;
        int waitMs = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            waitMs = left > 0 ? static_cast<int>(left) : 0;
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = poll(fds, 2, waitMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return HotPlugWait::Failed;
        }
        if (stop.stop_requested()) return HotPlugWait::Stopped;
        if ((fds[0].revents & POLLIN) != 0) {
            const Drained drained = Drain();
            if (drained == Drained::kChanged) return HotPlugWait::Changed;
            if (drained == Drained::kFailed) return HotPlugWait::Failed;
            continue;
        }
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return HotPlugWait::Failed;
        if (ready == 0) return HotPlugWait::TimedOut;
    }
}

}  // namespace ivra
