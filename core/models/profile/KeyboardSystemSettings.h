// The keyboard's system record ("SystemStages") as the settings model holds
// it. It reads and writes the section exactly as the keyboard driver's
// KeyboardSystemStages does; the model keeps its own type because the
// models sit below the drivers.
#pragma once

#include <cstdint>

#include <json/value.h>

namespace ivra {

struct KeyboardSystemSettings {
    uint16_t repeat = 0;       // repeat rate slider value
    uint16_t repeatDelay = 0;  // 0..3: 250, 500, 750, 1000 ms
    uint16_t key6Flag = 0;     // 6-key switch
    uint16_t pollingRate = 0;  // report rate choice 0..3
    uint16_t wFlag = 0;        // W switch
    uint16_t winFlag = 0;      // Windows-key lock
    bool operator==(const KeyboardSystemSettings&) const = default;
};

// A missing section (or member, or one of the wrong type) reads as zero; a
// boolean reads 0/1 and values outside 0..65535 are clamped.
KeyboardSystemSettings ReadKeyboardSystemSettings(const Json::Value& section);
// Rewrites all six keys of "SystemStages".
void WriteKeyboardSystemSettings(Json::Value& section, const KeyboardSystemSettings& settings);

}  // namespace ivra
