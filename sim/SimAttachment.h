// One plugged-in period of a simulated device: from Plug to Unplug. Holds the
// attach instance and hidraw node numbers the paths name, and the report
// queues of the handles opened during this period. A re-plug makes a new
// attachment, so handles and paths of the old one stay dead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ivra::sim {

class SimDevice;
class SimReportQueue;

class SimAttachment {
public:
    struct Node {
        uint16_t interfaceNumber = 0;
        unsigned hidrawNumber = 0;
    };

    SimAttachment(std::shared_ptr<SimDevice> device, uint32_t instance, std::vector<Node> nodes,
                  std::function<void()> unplugRequest);

    const std::shared_ptr<SimDevice>& Device() const { return device_; }
    uint32_t Instance() const { return instance_; }
    const std::vector<Node>& Nodes() const { return nodes_; }
    bool IsPresent() const;

    // Adds a handle's queue to the interface; false when already unplugged.
    bool AddQueue(uint16_t interfaceNumber, const std::shared_ptr<SimReportQueue>& queue);
    void RemoveQueue(const SimReportQueue* queue);

    // Copies an input report into every open queue of the interface.
    // Returns false when the device is no longer attached.
    bool Deliver(uint16_t interfaceNumber, const uint8_t* data, size_t length);

    // Marks the attachment gone and fails every queue of it.
    void Detach();
    // Asks the owning backend to unplug this attachment.
    void RequestUnplug() const;

private:
    struct OpenQueue {
        uint16_t interfaceNumber;
        std::shared_ptr<SimReportQueue> queue;
    };

    const std::shared_ptr<SimDevice> device_;
    const uint32_t instance_;
    const std::vector<Node> nodes_;
    const std::function<void()> unplugRequest_;
    mutable std::mutex mutex_;
    bool present_ = true;
    std::vector<OpenQueue> queues_;
};

}  // namespace ivra::sim
