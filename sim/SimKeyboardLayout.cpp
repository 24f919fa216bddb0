#include "SimKeyboardLayout.h"

#include <algorithm>
#include <numeric>

#include "models/lighting/KeyboardLayout.h"

namespace ivra::sim {

namespace {

// Positions the default keyboard does without: calculator, non-US #,
// the international keys, non-US \, keypad comma, the key without usage,
// Application and the five macro keys.
constexpr std::array<uint8_t, kKeyboardPositions - kSimKeyboardKeys> kMissingPositions = {
    17, 62, 79, 80, 81, 82, 83, 100, 101, 102, 103, 104, 111, 120, 121, 122, 123, 124,
};

constexpr uint64_t kKeyOrderSeed = 0x5EED0001u;
constexpr uint64_t kLedOrderSeed = 0x5EED0002u;

// SplitMix64: the same numbers on every platform and library, which the
// standard engines' distributions do not promise.
class FixedSequence {
public:
    explicit FixedSequence(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    uint64_t state_;
};

template <typename T>
void Shuffle(std::vector<T>& items, uint64_t seed) {
    FixedSequence sequence(seed);
    for (size_t i = items.size(); i > 1; --i) {
        const size_t j = static_cast<size_t>(sequence.Next() % i);
        std::swap(items[i - 1], items[j]);
    }
}

// Device key order over all 126 positions: the default keyboard's 108 keys
// shuffled, then the missing ones in position order.
std::vector<uint8_t> FullKeyOrder() {
    std::vector<uint8_t> present;
    for (size_t p = 0; p < kKeyboardPositions; ++p) {
        if (std::find(kMissingPositions.begin(), kMissingPositions.end(), p) == kMissingPositions.end()) {
            present.push_back(static_cast<uint8_t>(p));
        }
    }
    Shuffle(present, kKeyOrderSeed);
    present.insert(present.end(), kMissingPositions.begin(), kMissingPositions.end());
    return present;
}

bool IsDefaultEntry(const std::array<uint8_t, 3>& entry) {
    return std::find(kDefaultKeyTable.begin(), kDefaultKeyTable.end(), entry) != kDefaultKeyTable.end();
}

// Plain keys with usages from 0x68 up that no position has; enough for the
// 129 keys past the 126 positions.
std::vector<std::array<uint8_t, 3>> UnmatchedEntries(size_t count) {
    std::vector<std::array<uint8_t, 3>> entries;
    for (unsigned usage = 0x68; usage <= 0xFF && entries.size() < count; ++usage) {
        const std::array<uint8_t, 3> entry = {0x20, 0x00, static_cast<uint8_t>(usage)};
        if (!IsDefaultEntry(entry)) entries.push_back(entry);
    }
    return entries;
}

}  // namespace

std::vector<uint8_t> SimKeyboardPositions(size_t keyCount) {
    keyCount = std::min(keyCount, SimFirmwareMemory::kMaxKeys);
    static const std::vector<uint8_t> fullOrder = FullKeyOrder();
    std::vector<uint8_t> positions(
        fullOrder.begin(), fullOrder.begin() + static_cast<std::ptrdiff_t>(std::min(keyCount, fullOrder.size())));
    positions.resize(keyCount, kNoPosition);
    return positions;
}

std::vector<std::array<uint8_t, 3>> SimKeyboardKeyEntries(size_t keyCount) {
    const std::vector<uint8_t> positions = SimKeyboardPositions(keyCount);
    const size_t unmatched = static_cast<size_t>(std::count(positions.begin(), positions.end(), kNoPosition));
    const std::vector<std::array<uint8_t, 3>> extra = UnmatchedEntries(unmatched);
    std::vector<std::array<uint8_t, 3>> entries;
    size_t nextExtra = 0;
    for (uint8_t position : positions) {
        entries.push_back(position == kNoPosition ? extra.at(nextExtra++) : kDefaultKeyTable[position]);
    }
    return entries;
}

std::vector<uint8_t> SimKeyboardLedMap(size_t keyCount) {
    std::vector<uint8_t> leds(std::min(keyCount, SimFirmwareMemory::kMaxKeys));
    std::iota(leds.begin(), leds.end(), uint8_t{0});
    Shuffle(leds, kLedOrderSeed);
    return leds;
}

std::vector<uint8_t> SimKeyboardFactorySettings() {
    std::vector<uint8_t> record(SimFirmwareMemory::kSettingsRecordSize, 0);
    record[1] = 0x01;  // effect code
    record[2] = 3;     // brightness
    record[3] = 2;     // 4 minus speed
    record[4] = 1;     // direction
    record[5] = 0;     // one colour, not the hue wheel
    record[6] = 0xFF;  // red, green, blue
    record[7] = 0x40;
    record[8] = 0x00;
    record[22] = 3;  // polling rate index
    return record;
}

void LayOutSimKeyboard(SimFirmwareMemory& memory, size_t keyCount) {
    keyCount = std::min(keyCount, SimFirmwareMemory::kMaxKeys);
    memory.infoBlock[SimFirmwareMemory::kKeyCountByte] = static_cast<uint8_t>(keyCount);
    memory.keyTable.fill(0);
    memory.ledMap.fill(0);
    const std::vector<std::array<uint8_t, 3>> entries = SimKeyboardKeyEntries(keyCount);
    for (size_t j = 0; j < entries.size(); ++j) {
        std::copy(entries[j].begin(), entries[j].end(), memory.keyTable.begin() + static_cast<std::ptrdiff_t>(3 * j));
    }
    const std::vector<uint8_t> leds = SimKeyboardLedMap(keyCount);
    std::copy(leds.begin(), leds.end(), memory.ledMap.begin());
}

SimFirmwareMemory SimKeyboardFactoryMemory() {
    SimFirmwareMemory memory;
    LayOutSimKeyboard(memory, kSimKeyboardKeys);
    memory.infoBlock[SimFirmwareMemory::kMacroUnitsByte] = kSimKeyboardMacroUnits;
    memory.SetLightGroups(SimFirmwareMemory::kDefaultLightGroups);
    const std::vector<uint8_t> settings = SimKeyboardFactorySettings();
    std::copy(settings.begin(), settings.end(), memory.data.begin());  // slot 0, active
    return memory;
}

}  // namespace ivra::sim
