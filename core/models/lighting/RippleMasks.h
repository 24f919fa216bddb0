// The rings that the ripple effects draw over the key matrix.
//
// Two masks of 23 bytes, one byte per matrix column with bit r for matrix
// row r: the ring to light in this step and the ring lit in the step before.
// A ring moves by one cell per step: the next ring is every cell next to the
// current ring (in the eight directions) that is in neither the current nor
// the previous ring. Started from a single key with an empty previous ring,
// that makes square rings expanding outward until they leave the board;
// started from a large ring with the next larger one as "previous", the
// same rule closes the ring inward onto its centre, where it ends. Several
// ripples share the masks; where rings cross they merge as waves do.
#pragma once

#include <array>
#include <cstdint>

#include "models/lighting/KeyboardLayout.h"

namespace ivra::light {

class RippleMasks {
public:
    using Mask = std::array<uint8_t, kMatrixColumns>;

    void Clear();

    // A ripple from cell (column, row), expanding from the next step on.
    void StartExpanding(unsigned column, unsigned row);
    // A ring of `radius` cells around (column, row) that closes inward.
    void StartClosing(unsigned column, unsigned row, unsigned radius);

    // Moves every ring one cell on.
    void Advance();

    bool Empty() const;
    bool IsLit(unsigned column, unsigned row) const;

    // Calls visit(position) for every key position in the current ring.
    template <typename Visit>
    void ForEachLitKey(Visit&& visit) const {
        for (unsigned column = 0; column < kMatrixColumns; ++column) {
            const uint8_t bits = current_[column];
            if (bits == 0) continue;
            for (unsigned row = 0; row < kMatrixRows; ++row) {
                if ((bits >> row & 1u) == 0) continue;
                const uint8_t position = MatrixCell(column, row);
                if (position != kNoPosition) visit(position);
            }
        }
    }

    const Mask& Current() const { return current_; }
    const Mask& Previous() const { return previous_; }

private:
    Mask current_{};
    Mask previous_{};
};

}  // namespace ivra::light
