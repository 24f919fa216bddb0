// The music light record ("AudioLightInfo", 9 bytes) with named fields;
// FromRecord and ToRecord are exact inverses.
#pragma once

#include <cstdint>

#include "models/lighting/LightRecords.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {

struct AudioLightSettings {
    uint8_t mode = 0;
    Rgb background;
    Rgb foreground;
    uint8_t sevenColourFlags = 0;  // "7ColorFlags"
    uint8_t colourTypeFlags = 0;   // "ColorTypeFlags"

    static AudioLightSettings FromRecord(const AudioLightInfo& record);
    AudioLightInfo ToRecord() const;

    bool operator==(const AudioLightSettings&) const = default;
};

}  // namespace ivra::light
