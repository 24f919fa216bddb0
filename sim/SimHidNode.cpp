#include "SimHidNode.h"

#include "SimAttachment.h"
#include "SimDevice.h"
#include "SimReportQueue.h"

namespace ivra::sim {

SimHidNode::SimHidNode(std::shared_ptr<SimAttachment> attachment, uint16_t interfaceNumber,
                       std::shared_ptr<SimReportQueue> queue, bool canRead, bool canWrite)
    : attachment_(std::move(attachment)), interfaceNumber_(interfaceNumber), queue_(std::move(queue)),
      canRead_(canRead), canWrite_(canWrite) {
    if (const SimInterface* iface = attachment_->Device()->FindInterface(interfaceNumber_)) {
        descriptor_ = iface->descriptor;
    }
}

SimHidNode::~SimHidNode() {
    queue_->Abort();
    attachment_->RemoveQueue(queue_.get());
}

HidIoResult SimHidNode::ReadReport(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) {
    got = 0;
    if (!canRead_ && !queue_->IsAborted()) return HidIoResult::Failed;
    return queue_->Read(buffer, capacity, got, timeoutMs);
}

HidIoResult SimHidNode::WriteReport(const uint8_t* data, size_t length, int) {
    return HandOver(data, length);
}

HidIoResult SimHidNode::SendOutputReport(const uint8_t* data, size_t length) {
    return HandOver(data, length);
}

HidIoResult SimHidNode::HandOver(const uint8_t* data, size_t length) {
    if (queue_->IsAborted()) return HidIoResult::Aborted;
    if (!canWrite_ || data == nullptr || length == 0) return HidIoResult::Failed;
    if (!attachment_->IsPresent()) return HidIoResult::Failed;
    // The report's time on the wire, when the backend has a latency set.
    if (!queue_->PassWriteLatency()) return HidIoResult::Aborted;
    if (!attachment_->IsPresent()) return HidIoResult::Failed;
    // The device may unplug itself while handling the report; the write was
    // accepted all the same.
    attachment_->Device()->OnOutputReport(interfaceNumber_, data, length);
    return HidIoResult::Ok;
}

void SimHidNode::DiscardQueuedInput() {
    queue_->Discard();
}

void SimHidNode::Abort() {
    queue_->Abort();
}

HidAttributes SimHidNode::Attributes() const {
    return attachment_->Device()->Attributes();
}

size_t SimHidNode::QueuedReports() const {
    return queue_->Size();
}

}  // namespace ivra::sim
