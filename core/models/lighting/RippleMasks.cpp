#include "models/lighting/RippleMasks.h"

#include <cstdlib>

namespace ivra::light {

namespace {

constexpr uint8_t kRowBits = (1u << kMatrixRows) - 1;

// The cells of one column next to `bits` vertically, including `bits`.
constexpr uint8_t SpreadVertically(uint8_t bits) {
    return static_cast<uint8_t>((bits | bits << 1 | bits >> 1) & kRowBits);
}

// Bits of the cells of `column` at ring distance `radius` from (cx, cy).
uint8_t RingBits(int column, int cx, int cy, int radius) {
    const int dx = std::abs(column - cx);
    if (dx > radius) return 0;
    uint8_t bits = 0;
    for (int row = 0; row < static_cast<int>(kMatrixRows); ++row) {
        const int dy = std::abs(row - cy);
        const int distance = dx > dy ? dx : dy;
        if (distance == radius) bits = static_cast<uint8_t>(bits | 1u << row);
    }
    return bits;
}

}  // namespace

void RippleMasks::Clear() {
    current_.fill(0);
    previous_.fill(0);
}

void RippleMasks::StartExpanding(unsigned column, unsigned row) {
    if (column >= kMatrixColumns || row >= kMatrixRows) return;
    current_[column] = static_cast<uint8_t>(current_[column] | 1u << row);
}

void RippleMasks::StartClosing(unsigned column, unsigned row, unsigned radius) {
    if (column >= kMatrixColumns || row >= kMatrixRows) return;
    const int cx = static_cast<int>(column);
    const int cy = static_cast<int>(row);
    const int r = static_cast<int>(radius);
    for (int x = 0; x < static_cast<int>(kMatrixColumns); ++x) {
        const auto at = static_cast<size_t>(x);
        current_[at] = static_cast<uint8_t>(current_[at] | RingBits(x, cx, cy, r));
        previous_[at] = static_cast<uint8_t>(previous_[at] | RingBits(x, cx, cy, r + 1));
    }
}

void RippleMasks::Advance() {
    Mask next{};
    for (size_t column = 0; column < kMatrixColumns; ++column) {
        uint8_t around = SpreadVertically(current_[column]);
        if (column > 0) around = static_cast<uint8_t>(around | SpreadVertically(current_[column - 1]));
        if (column + 1 < kMatrixColumns) around = static_cast<uint8_t>(around | SpreadVertically(current_[column + 1]));
        next[column] = static_cast<uint8_t>(around & ~current_[column] & ~previous_[column]);
    }
    previous_ = current_;
    current_ = next;
}

bool RippleMasks::Empty() const {
    for (uint8_t bits : current_) {
        if (bits != 0) return false;
    }
    return true;
}

bool RippleMasks::IsLit(unsigned column, unsigned row) const {
    return column < kMatrixColumns && row < kMatrixRows && (current_[column] >> row & 1u) != 0;
}

}  // namespace ivra::light
