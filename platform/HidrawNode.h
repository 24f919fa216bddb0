// One open hidraw file descriptor.
//
// Reads wait with poll on the node and on an eventfd that Abort signals, so a
// read with no time-out still ends when the channel is closed. The node is
// closed only when the object is destroyed, after every waiter has returned.
#pragma once

#include <atomic>
#include <vector>

#include "hid/HidBackend.h"

namespace ivra {

class HidrawNode final : public IHidNode {
public:
    // Takes ownership of fd. Returns null when the abort eventfd cannot be
    // made (fd is then closed).
    static std::unique_ptr<HidrawNode> Adopt(int fd, std::vector<uint8_t> reportDescriptor, HidAttributes attributes);
    ~HidrawNode() override;

    HidIoResult ReadReport(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override;
    HidIoResult WriteReport(const uint8_t* data, size_t length, int timeoutMs) override;
    HidIoResult SendOutputReport(const uint8_t* data, size_t length) override;
    void DiscardQueuedInput() override;
    void Abort() override;

    const std::vector<uint8_t>& ReportDescriptor() const override { return descriptor_; }
    HidAttributes Attributes() const override { return attributes_; }

private:
    HidrawNode(int fd, int abortFd, std::vector<uint8_t> descriptor, HidAttributes attributes);
    // Waits for `events` on the node or for the abort; Ok when the node is ready.
    HidIoResult WaitFor(short events, int timeoutMs);

    int fd_;
    int abortFd_;
    std::vector<uint8_t> descriptor_;
    HidAttributes attributes_;
    std::atomic<bool> aborted_{false};
};

}  // namespace ivra
