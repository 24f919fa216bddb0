#include "SimFirmwareMemory.h"

#include <algorithm>

namespace ivra::sim {

size_t SimFirmwareMemory::KeyTableSize() const {
    return std::max(kKeyTableMinimumSize, kKeyEntrySize * KeyCount());
}

void SimFirmwareMemory::SetLightGroups(size_t count) {
    lightBlocks.resize(std::min(count, kMaxLightGroups) * kLightBlockSize, 0);
}

std::vector<uint8_t> SimFirmwareMemory::SettingsRecord(size_t slot) const {
    if (slot >= kSettingsSlots) return {};
    const auto begin = data.begin() + static_cast<std::ptrdiff_t>(SettingsOffset(slot));
    return {begin, begin + static_cast<std::ptrdiff_t>(kSettingsRecordSize)};
}

bool SimFirmwareMemory::StoreSettingsRecord(size_t slot, const std::vector<uint8_t>& record) {
    if (slot >= kSettingsSlots || record.size() > kSettingsRecordSize) return false;
    const size_t offset = SettingsOffset(slot);
    for (size_t i = 1; i < record.size(); ++i) data[offset + i] = record[i];
    return true;
}

}  // namespace ivra::sim
