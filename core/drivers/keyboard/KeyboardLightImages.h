// The two per-LED images the keyboard takes: the streamed frame (colours
// scaled by their brightness) and a custom colour group (colours as they
// are). Both are 3 x key count bytes, red, green, blue at 3 x LED number;
// LEDs no position maps to stay dark.
#pragma once

#include <cstdint>
#include <vector>

#include "drivers/keyboard/KeyPositionMaps.h"

namespace ivra {

// `frame` is resized to 3 x keyCount and overwritten; no allocation once it
// has that size.
void PackStreamFrame(const std::vector<uint32_t>& colours, const KeyPositionMaps& maps, int keyCount,
                     std::vector<uint8_t>& frame);
void PackGroupImage(const std::vector<uint32_t>& colours, const KeyPositionMaps& maps, int keyCount,
                    std::vector<uint8_t>& image);

}  // namespace ivra
