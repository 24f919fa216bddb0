// Identity markers in interface path texts ("vid_", "pid_", "&mi_", "&col").
#pragma once

#include <cstdint>
#include <string_view>

namespace ivra {

// The hexadecimal number that follows `marker` in `path`, found without
// regard to case; 0 when the marker is absent or no digit follows. Digits
// beyond what fits 32 bits are ignored rather than wrapped.
uint32_t HexAfterMarker(std::string_view path, std::string_view marker);

struct PathIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
};

PathIdentity ParsePathIdentity(std::string_view path);

}  // namespace ivra
