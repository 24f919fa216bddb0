// Byte positions inside the light records a device keeps (LightInfo,
// AudioLightInfo, the per-key records of "LightList") and the recorded
// effect step of a ".light" file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "models/lighting/LightRecords.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

// LightInfo (14 bytes).
namespace info {
constexpr size_t kSelectItem = 0;  // effect index
constexpr size_t kLight = 1;       // brightness level 0..4
constexpr size_t kSpeed = 2;       // speed level 0..4, 4 fastest
constexpr size_t kFx = 3;          // direction, 1 = first direction button
constexpr size_t kMultiColor = 4;  // hue wheel instead of the fixed colour
constexpr size_t kRed = 5;
constexpr size_t kGreen = 6;
constexpr size_t kBlue = 7;
constexpr size_t kZZCCLedMode = 11;  // keyboard colour preset 0..3
constexpr size_t kCustomGroup = 12;  // keyboard custom colour group in use
constexpr size_t kOldLedmode = 13;   // effect to return to after a game event
}  // namespace info

// AudioLightInfo (9 bytes).
namespace audio {
constexpr size_t kAudioMode = 0;
constexpr size_t kBkColorR = 1;
constexpr size_t kBkColorG = 2;
constexpr size_t kBkColorB = 3;
constexpr size_t kFgColorR = 4;
constexpr size_t kFgColorG = 5;
constexpr size_t kFgColorB = 6;
constexpr size_t k7ColorFlags = 7;
constexpr size_t kColorTypeFlags = 8;
}  // namespace audio

// A per-key record of "LightList" (held in the same 14-byte shape).
namespace perkey {
constexpr size_t kMode = 0;  // 0 breathe, 1 steady, 2 blink, 3 colour cycle, 4 dark
constexpr size_t kBrightness = 1;
constexpr size_t kSpeed = 2;
constexpr size_t kDirection = 3;
constexpr size_t kMultiColor = 4;
constexpr size_t kRed = 5;
constexpr size_t kGreen = 6;
constexpr size_t kBlue = 7;
constexpr size_t kPresent = 10;  // 1 when the key has a per-key effect
}  // namespace perkey

// The effect indices with a meaning of their own on the keyboard.
constexpr uint8_t kCustomEffect = 21;
constexpr uint8_t kMusicEffect = 29;
constexpr uint8_t kScreenEffect = 30;

inline Rgb FixedColour(const LightInfo& record) {
    return {record[info::kRed], record[info::kGreen], record[info::kBlue]};
}

// One step of a recorded effect (an element of "LEDEffectList").
struct RecordedStep {
    uint8_t mode = 0;  // 0 breathe, 1 steady, 2 blink, 4 flowing rainbow, 5 colour cycle
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    Rgb colour;
    uint32_t timeMs = 0;  // how long the step lasts
    uint32_t cycle = 0;   // kept, not used for playback
    bool operator==(const RecordedStep&) const = default;
};

}  // namespace ivra::light
