// The keyboard's macro image: a 16-byte header (magic 0x55AA, total size,
// macro count, 10 reserved bytes), one 16-bit block offset per macro, then
// per macro a block of its event count, 2 reserved bytes and its 4-byte
// events. All 16-bit values low byte first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "models/keys/MacroEvent.h"

namespace ivra {

constexpr uint16_t kMacroImageMagic = 0x55AA;
constexpr size_t kMacroImageHeaderSize = 16;

// 16 + 6 x macros + 4 x events.
size_t MacroImageSize(const std::vector<std::vector<MacroEvent>>& macros);

// By how many 4-byte events an image of `imageSize` bytes exceeds
// `capacity` bytes, rounded up; 0 when it fits.
int MacroImageOverflow(size_t imageSize, size_t capacity);

std::vector<uint8_t> BuildMacroImage(const std::vector<std::vector<MacroEvent>>& macros);

}  // namespace ivra
