// One open handle on an interface of a simulated device, behaving like an
// open hidraw file: its own input queue, writes handed to the device's
// firmware before they return (after the backend's report latency, if any).
#pragma once

#include <memory>
#include <vector>

#include "hid/HidBackend.h"

namespace ivra::sim {

class SimAttachment;
class SimReportQueue;

class SimHidNode final : public IHidNode {
public:
    SimHidNode(std::shared_ptr<SimAttachment> attachment, uint16_t interfaceNumber,
               std::shared_ptr<SimReportQueue> queue, bool canRead, bool canWrite);
    ~SimHidNode() override;

    HidIoResult ReadReport(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override;
    HidIoResult WriteReport(const uint8_t* data, size_t length, int timeoutMs) override;
    HidIoResult SendOutputReport(const uint8_t* data, size_t length) override;
    void DiscardQueuedInput() override;
    void Abort() override;

    const std::vector<uint8_t>& ReportDescriptor() const override { return descriptor_; }
    HidAttributes Attributes() const override;

    uint16_t InterfaceNumber() const { return interfaceNumber_; }
    // Reports waiting in this handle's queue.
    size_t QueuedReports() const;

private:
    HidIoResult HandOver(const uint8_t* data, size_t length);

    const std::shared_ptr<SimAttachment> attachment_;
    const uint16_t interfaceNumber_;
    const std::shared_ptr<SimReportQueue> queue_;
    const bool canRead_;
    const bool canWrite_;
    std::vector<uint8_t> descriptor_;
};

}  // namespace ivra::sim
