// The data a companion program sends: kind 1 is a sound frame of 500 signed
// 32-bit values (2000 bytes), kind 2 a screen colour of 24 bytes. Values are
// little-endian. Data shorter than its kind's size is refused; longer data
// is cut to the size, as the recorder has always been read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ivra::dbus {

inline constexpr uint32_t kSoundFrameKind = 1;
inline constexpr uint32_t kScreenColourKind = 2;
inline constexpr size_t kSoundFrameValues = 500;
inline constexpr size_t kSoundFrameBytes = kSoundFrameValues * 4;
inline constexpr size_t kScreenColourBytes = 24;

using SoundFrame = std::array<int32_t, kSoundFrameValues>;
using ScreenColour = std::array<uint8_t, kScreenColourBytes>;

// Size the kind needs, or 0 for a kind nobody reads.
size_t CompanionDataSize(uint32_t kind);

std::optional<SoundFrame> DecodeSoundFrame(std::span<const uint8_t> data);
std::optional<ScreenColour> DecodeScreenColour(std::span<const uint8_t> data);

}  // namespace ivra::dbus
