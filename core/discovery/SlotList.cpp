#include "discovery/SlotList.h"

namespace ivra {

SlotList::SlotList(std::vector<DeviceSlot> rows) : slots_(std::move(rows)) {
    for (DeviceSlot& slot : slots_) {
        slot.connected = 0;
        slot.path.clear();
    }
}

size_t SlotList::Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_.size();
}

DeviceSlot SlotList::At(size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return index < slots_.size() ? slots_[index] : DeviceSlot{};
}

std::vector<DeviceSlot> SlotList::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_;
}

bool SlotList::AnyFree() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const DeviceSlot& slot : slots_) {
        if (slot.IsFree()) return true;
    }
    return false;
}

bool SlotList::HasFreeSlotFor(uint16_t vendorId, uint16_t productId, uint16_t collectionNumber,
                              uint16_t interfaceNumber) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const DeviceSlot& slot : slots_) {
        if (slot.IsFree() && slot.vendorId == vendorId && slot.productId == productId &&
            slot.collectionNumber == collectionNumber && slot.interfaceNumber == interfaceNumber) {
            return true;
        }
    }
    return false;
}

int SlotList::Claim(const DeviceSlot& candidate, const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < slots_.size(); ++i) {
        DeviceSlot& slot = slots_[i];
        if (slot.IsFree() && slot.vendorId == candidate.vendorId && slot.productId == candidate.productId &&
            slot.collectionNumber == candidate.collectionNumber && slot.interfaceNumber == candidate.interfaceNumber &&
            slot.usagePage == candidate.usagePage && slot.usage == candidate.usage) {
            slot.connected = 1;
            slot.path = path;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void SlotList::Release(size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= slots_.size()) return;
    slots_[index].connected = 0;
    slots_[index].path.clear();
}

bool SlotList::BoundPartner(size_t index, DeviceSlot& partner, size_t& partnerIndex) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index >= slots_.size()) return false;
    const DeviceSlot& slot = slots_[index];
    if (slot.hasPartner != 1 || slot.partnerIndex >= slots_.size()) return false;
    const DeviceSlot& other = slots_[slot.partnerIndex];
    if (other.partnerIndex != index || other.connected == 0 || other.path.empty()) return false;
    partner = other;
    partnerIndex = slot.partnerIndex;
    return true;
}

}  // namespace ivra
