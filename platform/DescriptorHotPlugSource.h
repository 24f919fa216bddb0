// A hot-plug source woken by a file descriptor that becomes readable: the
// udev monitor's netlink socket, an inotify descriptor on the device-node
// folder, or a pipe in tests. A subclass says how to
// take what is readable (Drain); a stop request wakes the wait through an
// eventfd, so the wait is always abortable.
#pragma once

#include "hid/HotPlugSource.h"

namespace ivra {

class DescriptorHotPlugSource : public IHotPlugSource {
public:
    ~DescriptorHotPlugSource() override;
    DescriptorHotPlugSource(const DescriptorHotPlugSource&) = delete;
    DescriptorHotPlugSource& operator=(const DescriptorHotPlugSource&) = delete;

    // False when the stop eventfd could not be made; such a source is not
    // used.
    bool Valid() const { return wakeFd_ >= 0; }

    HotPlugWait WaitForChange(int timeoutMs, std::stop_token stop) override;

protected:
    // `fd` stays owned by the subclass.
    explicit DescriptorHotPlugSource(int fd);
    enum class Drained {
        kChanged,    // a device came or went
        kUnrelated,  // only what concerns no HID device: wait on
        kFailed,     // the descriptor failed for good
    };
    // Takes everything readable from the descriptor without blocking.
    virtual Drained Drain() = 0;

private:
    const int fd_;
    int wakeFd_ = -1;
};

}  // namespace ivra
