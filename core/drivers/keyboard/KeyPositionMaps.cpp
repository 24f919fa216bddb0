#include "drivers/keyboard/KeyPositionMaps.h"

#include <algorithm>

namespace ivra {

int KeyPositionMaps::PositionOfDeviceKey(int index) const {
    if (index < 0 || index >= kNoDeviceKey) return -1;
    for (size_t p = 0; p < deviceKey.size(); ++p) {
        if (deviceKey[p] == index) return static_cast<int>(p);
    }
    return -1;
}

KeyPositionMaps BuildKeyPositionMaps(const std::vector<uint8_t>& keyTable, const std::vector<uint8_t>& ledMap,
                                     int keyCount) {
    KeyPositionMaps maps;
    const size_t keys = keyCount < 0 ? 0 : static_cast<size_t>(keyCount);
    const size_t searchable = std::min(keys, std::min(keyTable.size() / 3, size_t{kNoDeviceKey}));
    for (size_t p = 0; p < kKeyboardPositions; ++p) {
        const auto& wanted = kDefaultKeyTable[p];
        for (size_t j = 0; j < searchable; ++j) {
            if (keyTable[3 * j] == wanted[0] && keyTable[3 * j + 1] == wanted[1] && keyTable[3 * j + 2] == wanted[2]) {
                maps.deviceKey[p] = static_cast<uint8_t>(j);
                break;
            }
        }
        const uint8_t key = maps.deviceKey[p];
        if (key != kNoDeviceKey && key < ledMap.size() && ledMap[key] < keys) {
            maps.led[p] = ledMap[key];
        }
    }
    return maps;
}

}  // namespace ivra
