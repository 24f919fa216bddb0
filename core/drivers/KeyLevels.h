// The per-key brightness levels of the level editor and its ring of marks:
// one level per key position, stepped up and down by the level table, and
// a ring of 23 marks that rotates and fills the first positions' levels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ivra {

constexpr size_t kKeyLevelCount = 126;
constexpr size_t kLevelRingSize = 23;

class KeyLevels {
public:
    // One step of key `key`'s level; the new level, 0 for a key outside the
    // table (which changes nothing).
    uint8_t StepDown(int key, int mode);
    uint8_t StepUp(int key, int fine);
    // Every one of the first nine positions whose mark is set goes to 255.
    void FillMarked();
    // The marks move one place on (forward) or back, round the ring.
    void RotateRing(bool forward);
    // Every level and mark 0.
    void Reset();

    uint8_t Level(size_t key) const { return key < levels_.size() ? levels_[key] : 0; }
    void SetLevel(size_t key, uint8_t level) {
        if (key < levels_.size()) levels_[key] = level;
    }
    uint8_t Mark(size_t index) const { return index < ring_.size() ? ring_[index] : 0; }
    void SetMark(size_t index, uint8_t mark) {
        if (index < ring_.size()) ring_[index] = mark;
    }

private:
    std::array<uint8_t, kKeyLevelCount> levels_{};
    std::array<uint8_t, kLevelRingSize> ring_{};
};

}  // namespace ivra
