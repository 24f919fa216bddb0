// Hex byte strings of the simulated device files: two digits per byte, upper
// or lower case, spaces allowed between bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ivra::sim {

// Parses `text` into bytes. On failure `why` says what is wrong (without
// naming a key, which the caller adds) and `out` is left alone.
bool ParseHexBytes(const std::string& text, size_t maxBytes, std::vector<uint8_t>& out, std::string& why);

}  // namespace ivra::sim
