// The answer to a companion tool's request for the device list: 1024 bytes
// of little-endian 32-bit values 2, 3, 0, 2, 5, then vendor id, product id
// and kind of each of the catalogue's first five option rows, the rest zero.
// The five rows are always there, also for kinds whose pages are not built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "discovery/DeviceCatalogue.h"

namespace ivra::dbus {

inline constexpr size_t kDeviceListAnswerBytes = 1024;
inline constexpr size_t kDeviceListRows = 5;

std::vector<uint8_t> BuildDeviceListAnswer(const DeviceCatalogue& catalogue);

}  // namespace ivra::dbus
