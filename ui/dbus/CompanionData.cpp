#include "dbus/CompanionData.h"

#include <algorithm>

namespace ivra::dbus {

size_t CompanionDataSize(uint32_t kind) {
    switch (kind) {
        case kSoundFrameKind: return kSoundFrameBytes;
        case kScreenColourKind: return kScreenColourBytes;
        default: return 0;
    }
}

std::optional<SoundFrame> DecodeSoundFrame(std::span<const uint8_t> data) {
    if (data.size() < kSoundFrameBytes) return std::nullopt;
    SoundFrame frame{};
    for (size_t i = 0; i < kSoundFrameValues; ++i) {
        const uint8_t* p = data.data() + i * 4;
        const uint32_t value = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
        frame[i] = static_cast<int32_t>(value);
    }
    return frame;
}

std::optional<ScreenColour> DecodeScreenColour(std::span<const uint8_t> data) {
    if (data.size() < kScreenColourBytes) return std::nullopt;
    ScreenColour colour{};
    std::copy_n(data.begin(), kScreenColourBytes, colour.begin());
    return colour;
}

}  // namespace ivra::dbus
