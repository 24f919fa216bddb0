// The simulated keyboard's own key and LED numbering, and the memory it
// leaves the factory with.
//
// The default keyboard has 108 keys. Its key order is a fixed shuffle of 108
// of the 126 key positions; the 18 it lacks are the keys a 108-key board
// does without (calculator, non-US and international keys, the five macro
// keys). Its LED order is another fixed shuffle, of 0..107. So the key table
// holds kDefaultKeyTable[position] entries in an order of its own, and the
// program has to learn both mappings the way it does from a real keyboard.
//
// A keyboard with another key count takes the same order truncated, or
// extended by the 18 missing positions and then by keys whose factory
// assignment matches no position.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "SimFirmwareMemory.h"

namespace ivra::sim {

constexpr size_t kSimKeyboardKeys = 108;
constexpr uint8_t kSimKeyboardMacroUnits = 16;  // 2048 bytes of macro memory

// Position (0..125) of each key of a keyboard with `keyCount` keys, in the
// keyboard's key order; kNoPosition (126) for a key that matches none.
std::vector<uint8_t> SimKeyboardPositions(size_t keyCount = kSimKeyboardKeys);

// Factory assignment (type, byte 1, byte 2) of each key: the position's
// default entry, or for a key without position a plain key (type 0x20) with
// a usage no position has.
std::vector<std::array<uint8_t, 3>> SimKeyboardKeyEntries(size_t keyCount = kSimKeyboardKeys);

// LED number of each key: a fixed shuffle of 0..keyCount-1.
std::vector<uint8_t> SimKeyboardLedMap(size_t keyCount = kSimKeyboardKeys);

// The settings record of slot 0 as shipped: effect code 1 in orange,
// brightness 3, medium speed, polling rate index 3.
std::vector<uint8_t> SimKeyboardFactorySettings();

// Sets the key count (information block byte 5), the key table and the LED
// map for `keyCount` keys (at most 255); the rest of both areas is zeroed.
void LayOutSimKeyboard(SimFirmwareMemory& memory, size_t keyCount);

// The default keyboard's memory: 108 keys laid out as above, 16 units of
// macro memory, 8 light groups and the factory settings in slot 0 (active).
SimFirmwareMemory SimKeyboardFactoryMemory();

}  // namespace ivra::sim
