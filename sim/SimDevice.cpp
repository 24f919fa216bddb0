#include "SimDevice.h"

#include "SimAttachment.h"

namespace ivra::sim {

SimDevice::SimDevice(HidAttributes attributes, std::vector<SimInterface> interfaces)
    : attributes_(attributes), interfaces_(std::move(interfaces)) {}

SimDevice::~SimDevice() = default;

HidAttributes SimDevice::Attributes() const {
    std::lock_guard lock(mutex_);
    return attributes_;
}

void SimDevice::SetVersionNumber(uint16_t version) {
    std::lock_guard lock(mutex_);
    attributes_.versionNumber = version;
}

void SimDevice::SetProductId(uint16_t productId) {
    std::lock_guard lock(mutex_);
    attributes_.productId = productId;
}

const SimInterface* SimDevice::FindInterface(uint16_t number) const {
    for (const SimInterface& iface : interfaces_) {
        if (iface.number == number) return &iface;
    }
    return nullptr;
}

bool SimDevice::IsPlugged() const {
    return CurrentAttachment() != nullptr;
}

bool SimDevice::Emit(uint16_t interfaceNumber, const uint8_t* data, size_t length) {
    const std::shared_ptr<SimAttachment> attachment = CurrentAttachment();
    return attachment && attachment->Deliver(interfaceNumber, data, length);
}

void SimDevice::UnplugSelf() {
    if (const std::shared_ptr<SimAttachment> attachment = CurrentAttachment()) {
        attachment->RequestUnplug();
    }
}

void SimDevice::OnOutputReport(uint16_t, const uint8_t*, size_t) {}

bool SimDevice::Attach(const std::shared_ptr<SimAttachment>& attachment) {
    std::lock_guard lock(mutex_);
    if (attachment_) return false;
    attachment_ = attachment;
    return true;
}

void SimDevice::DetachFrom(const SimAttachment* attachment) {
    std::lock_guard lock(mutex_);
    if (attachment_.get() == attachment) attachment_.reset();
}

std::shared_ptr<SimAttachment> SimDevice::CurrentAttachment() const {
    std::lock_guard lock(mutex_);
    return attachment_;
}

void SimDevice::SetScript(std::vector<SimScriptStep> steps) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_ = std::move(steps);
}

std::vector<SimScriptStep> SimDevice::Script() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return script_;
}

}  // namespace ivra::sim
