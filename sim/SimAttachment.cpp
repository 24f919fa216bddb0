#include "SimAttachment.h"

#include <algorithm>

#include "SimReportQueue.h"

namespace ivra::sim {

SimAttachment::SimAttachment(std::shared_ptr<SimDevice> device, uint32_t instance, std::vector<Node> nodes,
                             std::function<void()> unplugRequest)
    : device_(std::move(device)), instance_(instance), nodes_(std::move(nodes)),
      unplugRequest_(std::move(unplugRequest)) {}

bool SimAttachment::IsPresent() const {
    std::lock_guard lock(mutex_);
    return present_;
}

bool SimAttachment::AddQueue(uint16_t interfaceNumber, const std::shared_ptr<SimReportQueue>& queue) {
    std::lock_guard lock(mutex_);
    if (!present_) return false;
    queues_.push_back({interfaceNumber, queue});
    return true;
}

void SimAttachment::RemoveQueue(const SimReportQueue* queue) {
    std::lock_guard lock(mutex_);
    std::erase_if(queues_, [queue](const OpenQueue& q) { return q.queue.get() == queue; });
}

bool SimAttachment::Deliver(uint16_t interfaceNumber, const uint8_t* data, size_t length) {
    // Held while pushing so that no report lands in a queue after Detach
    // has failed it.
    std::lock_guard lock(mutex_);
    if (!present_) return false;
    for (const OpenQueue& q : queues_) {
        if (q.interfaceNumber == interfaceNumber) q.queue->Push(data, length);
    }
    return true;
}

void SimAttachment::Detach() {
    std::vector<OpenQueue> queues;
    {
        std::lock_guard lock(mutex_);
        present_ = false;
        queues.swap(queues_);
    }
    for (const OpenQueue& q : queues) q.queue->Fail();
}

void SimAttachment::RequestUnplug() const {
    if (unplugRequest_) unplugRequest_();
}

}  // namespace ivra::sim
