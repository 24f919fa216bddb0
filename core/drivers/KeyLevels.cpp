#include "drivers/KeyLevels.h"

#include <algorithm>

#include "models/lighting/KeyLevelStep.h"

namespace ivra {

namespace {

constexpr size_t kLevelPositionsMarked = 9;

}  // namespace

uint8_t KeyLevels::StepDown(int key, int mode) {
    if (key < 0 || static_cast<size_t>(key) >= levels_.size()) return 0;
    uint8_t& level = levels_[static_cast<size_t>(key)];
    level = StepLevelDown(level, mode);
    return level;
}

uint8_t KeyLevels::StepUp(int key, int fine) {
    if (key < 0 || static_cast<size_t>(key) >= levels_.size()) return 0;
    uint8_t& level = levels_[static_cast<size_t>(key)];
    level = StepLevelUp(level, fine);
    return level;
}

void KeyLevels::FillMarked() {
    for (size_t i = 0; i < kLevelPositionsMarked; ++i) {
        if (ring_[i] != 0) levels_[i] = 255;
    }
}

void KeyLevels::RotateRing(bool forward) {
    if (forward) {
        std::rotate(ring_.rbegin(), ring_.rbegin() + 1, ring_.rend());
    } else {
        std::rotate(ring_.begin(), ring_.begin() + 1, ring_.end());
    }
}

void KeyLevels::Reset() {
    levels_.fill(0);
    ring_.fill(0);
}

}  // namespace ivra
