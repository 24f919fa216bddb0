// The slot list: one DeviceSlot per slot table row, in the same order, whose
// `connected` and `path` say which present interface is bound to it. Only
// the scan thread binds and releases slots; any thread reads them.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/DeviceSlot.h"

namespace ivra {

class SlotList {
public:
    explicit SlotList(std::vector<DeviceSlot> rows);

    size_t Size() const;
    // A copy of slot `index` (a default record when out of range).
    DeviceSlot At(size_t index) const;
    std::vector<DeviceSlot> Snapshot() const;

    bool AnyFree() const;
    // Whether a free slot has these vendor, product, collection and interface.
    bool HasFreeSlotFor(uint16_t vendorId, uint16_t productId, uint16_t collectionNumber,
                        uint16_t interfaceNumber) const;
    // Binds the first free slot whose vendor, product, collection, interface,
    // usage page and usage equal the candidate's; its index, or -1.
    int Claim(const DeviceSlot& candidate, const std::string& path);
    void Release(size_t index);
    // The slot's partner when it is bound and points back.
    bool BoundPartner(size_t index, DeviceSlot& partner, size_t& partnerIndex) const;

private:
    mutable std::mutex mutex_;
    std::vector<DeviceSlot> slots_;
};

}  // namespace ivra
