// The light records a device object keeps, as raw bytes; the lighting model
// names their fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ivra {

constexpr size_t kLightInfoSize = 14;
constexpr size_t kAudioLightInfoSize = 9;
constexpr size_t kLightModeInfoSize = 9;

using LightInfo = std::array<uint8_t, kLightInfoSize>;
using AudioLightInfo = std::array<uint8_t, kAudioLightInfoSize>;
using LightModeInfo = std::array<uint8_t, kLightModeInfoSize>;

}  // namespace ivra
