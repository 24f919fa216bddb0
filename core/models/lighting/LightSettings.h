// The light record ("LightInfo", 14 bytes) with a name for every byte.
// FromRecord and ToRecord are exact inverses: every byte, including the
// three the profile does not store, comes back as it went in.
#pragma once

#include <array>
#include <cstdint>

#include "models/lighting/KeyboardEffect.h"
#include "models/lighting/LightRecords.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

struct LightSettings {
    uint8_t effect = 0;                 // effect index; see KeyboardEffect
    uint8_t brightness = 0;             // 0..4
    uint8_t speed = 0;                  // 0..4, 4 fastest
    uint8_t direction = 0;              // 1 = first direction button
    uint8_t multiColor = 0;             // nonzero: hue wheel instead of `colour`
    Rgb colour;                         // the fixed colour
    std::array<uint8_t, 3> unstored{};  // bytes 8..10: kept in memory, not in the profile
    uint8_t colourPreset = 0;           // keyboard colour preset 0..3 ("ZZCCLedMode")
    uint8_t customGroup = 0;            // custom colour group in use
    uint8_t returnEffect = 0;           // effect to return to after a game event ("OldLedmode")

    bool Is(KeyboardEffect named) const { return effect == static_cast<uint8_t>(named); }

    static LightSettings FromRecord(const LightInfo& record);
    LightInfo ToRecord() const;

    bool operator==(const LightSettings&) const = default;
};

}  // namespace ivra::light
