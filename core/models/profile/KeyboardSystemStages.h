// The keyboard's system record ("SystemStages" in the profile): repeat rate
// and delay, which stay in the profile, and the switches and report rate,
// which the keyboard keeps in its settings record.
#pragma once

#include <cstdint>
#include <string>

#include <json/value.h>

namespace ivra {

struct KeyboardSystemStages {
    uint16_t repeat = 0;       // repeat rate slider value
    uint16_t repeatDelay = 0;  // 0..3: 250, 500, 750, 1000 ms
    uint16_t key6Flag = 0;     // 6-key switch
    uint16_t pollingRate = 0;  // report rate choice 0..3
    uint16_t wFlag = 0;        // W switch
    uint16_t winFlag = 0;      // Windows-key lock
    bool operator==(const KeyboardSystemStages&) const = default;
};

// A missing section (or member) reads as zero; values outside 0..65535
// are clamped, since each field is 16 bits.
KeyboardSystemStages ReadSystemStages(const Json::Value& section);
// Rewrites all six keys of "SystemStages" (a section that is no object
// becomes one).
void WriteSystemStages(Json::Value& section, const KeyboardSystemStages& stages);

// The settings a page control changes.
enum class KeyboardSetting { kRepeat, kRepeatDelay, kPollingRate, kWinLock, kWFlag, kKey6Flag };

// Whether a change goes to the keyboard (a settings write) or only into the
// profile: repeat rate and delay are the computer's business.
constexpr bool SettingWritesDevice(KeyboardSetting setting) {
    return setting != KeyboardSetting::kRepeat && setting != KeyboardSetting::kRepeatDelay;
}

// Stores `value` into the field of `setting`. Options give 0..3 and
// switches 0/1; other values are kept as given (the field is 16 bits).
void ApplySetting(KeyboardSystemStages& stages, KeyboardSetting setting, uint16_t value);

// The option a stored value selects on the page: 0..3 as stored, 0 for 4 or
// more. The stored value itself is left alone (and sent as it is).
int OptionIndexFor(uint16_t storedChoice);

// The delay label: the translated prefix, then 250 x (choice + 1), then "ms".
std::string RepeatDelayLabel(const std::string& translatedPrefix, uint16_t storedDelay);

}  // namespace ivra
