// How the page's 126 key positions meet the keyboard's own numbering: each
// position's device key index (found by its factory assignment in the key
// table the keyboard reported) and LED number (the LED map's entry for that
// key).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "models/lighting/KeyboardLayout.h"

namespace ivra {

struct KeyPositionMaps {
    // kNoDeviceKey: the position has no key (or no LED) on this keyboard.
    std::array<uint8_t, kKeyboardPositions> deviceKey{};
    std::array<uint8_t, kKeyboardPositions> led{};

    KeyPositionMaps() {
        deviceKey.fill(kNoDeviceKey);
        led.fill(kNoDeviceKey);
    }

    // The first position mapped to device key `index`; -1 when none is.
    int PositionOfDeviceKey(int index) const;
    bool operator==(const KeyPositionMaps&) const = default;
};

// Builds the maps from a key table of `keyCount` 3-byte entries and an LED
// map of `keyCount` bytes. A position maps to the first key whose entry
// equals the position's factory assignment. An LED map entry of keyCount or
// more names no LED of this keyboard and maps to none: an LED number is
// only ever used as an index into a frame of 3 x keyCount bytes.
KeyPositionMaps BuildKeyPositionMaps(const std::vector<uint8_t>& keyTable, const std::vector<uint8_t>& ledMap,
                                     int keyCount);

}  // namespace ivra
