#include "HidrawNode.h"

#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace ivra {
namespace {

using SteadyClock = std::chrono::steady_clock;

}  // namespace

std::unique_ptr<HidrawNode> HidrawNode::Adopt(int fd, std::vector<uint8_t> reportDescriptor, HidAttributes attributes) {
    const int abortFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (abortFd < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<HidrawNode>(new HidrawNode(fd, abortFd, std::move(reportDescriptor), attributes));
}

HidrawNode::HidrawNode(int fd, int abortFd, std::vector<uint8_t> descriptor, HidAttributes attributes)
    : fd_(fd), abortFd_(abortFd), descriptor_(std::move(descriptor)), attributes_(attributes) {}

HidrawNode::~HidrawNode() {
    ::close(fd_);
    ::close(abortFd_);
}

void HidrawNode::Abort() {
    aborted_ = true;
    const uint64_t one = 1;
    // The eventfd stays readable from now on: every later wait ends at once.
    [[maybe_unused]] const ssize_t n = ::write(abortFd_, &one, sizeof one);
}

HidIoResult HidrawNode::WaitFor(short events, int timeoutMs) {
    const bool infinite = timeoutMs < 0;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);
    for (;;) {
        if (aborted_) return HidIoResult::Aborted;
        pollfd fds[2] = {{fd_, events, 0}, {abortFd_, POLLIN, 0}};
        int wait = -1;
        if (!infinite) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
            wait = left > 0 ? static_cast<int>(left) : 0;
        }
        const int ready = ::poll(fds, 2, wait);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return HidIoResult::Failed;
        }
        if (fds[1].revents != 0 || aborted_) return HidIoResult::Aborted;
        if (ready == 0) return HidIoResult::Timeout;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return HidIoResult::Failed;
        if (fds[0].revents & events) return HidIoResult::Ok;
    }
}

HidIoResult HidrawNode::ReadReport(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) {
    got = 0;
    for (;;) {
        const HidIoResult ready = WaitFor(POLLIN, timeoutMs);
        if (ready != HidIoResult::Ok) return ready;
        const ssize_t n = ::read(fd_, buffer, capacity);
        if (n >= 0) {
            got = static_cast<size_t>(n);
            return HidIoResult::Ok;
        }
        // Another reader of this handle took the report first: wait again.
        // (The deadline restarts, which only matters for shared handles.)
        if (errno == EAGAIN || errno == EINTR) continue;
        return HidIoResult::Failed;
    }
}

HidIoResult HidrawNode::WriteReport(const uint8_t* data, size_t length, int timeoutMs) {
    const HidIoResult ready = WaitFor(POLLOUT, timeoutMs);
    if (ready != HidIoResult::Ok) return ready;
    for (;;) {
        const ssize_t n = ::write(fd_, data, length);
        if (n == static_cast<ssize_t>(length)) return HidIoResult::Ok;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == ETIMEDOUT) return HidIoResult::Timeout;
        return HidIoResult::Failed;
    }
}

HidIoResult HidrawNode::SendOutputReport(const uint8_t* data, size_t length) {
#ifdef HIDIOCSOUTPUT
    std::vector<uint8_t> copy(data, data + length);
    if (::ioctl(fd_, HIDIOCSOUTPUT(length), copy.data()) >= 0) return HidIoResult::Ok;
    if (errno != ENOTTY && errno != EINVAL && errno != ENOSYS) return HidIoResult::Failed;
#endif
    // Kernels without the ioctl send output reports through write().
    return ::write(fd_, data, length) == static_cast<ssize_t>(length) ? HidIoResult::Ok : HidIoResult::Failed;
}

void HidrawNode::DiscardQueuedInput() {
    uint8_t scratch[4096];
    // The kernel queues at most 64 reports per handle; the bound only guards
    // against a device that floods faster than we drain.
    for (int i = 0; i < 256; ++i) {
        pollfd fd = {fd_, POLLIN, 0};
        if (::poll(&fd, 1, 0) <= 0 || !(fd.revents & POLLIN)) return;
        if (::read(fd_, scratch, sizeof scratch) < 0) return;
    }
}

}  // namespace ivra
