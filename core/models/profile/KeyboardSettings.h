// Everything a keyboard's profile section holds, as one typed value: the
// light record, the music light record, the system record, the key list,
// the per-key effects and the custom colour groups.
//
// ReadKeyboardSettings never throws: a missing section or member, or one of
// the wrong type, reads as its default. Reading a section and writing the
// result into an empty object gives the section back unchanged (as long as
// its values had the types the readers expect).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <json/value.h>

#include "models/keys/KeyRecord.h"
#include "models/lighting/AudioLightSettings.h"
#include "models/lighting/LightRecords.h"
#include "models/lighting/LightSettings.h"
#include "models/profile/KeyboardSystemStages.h"

namespace ivra {

struct KeyboardSettings {
    light::LightSettings light;            // "LightInfo"
    light::AudioLightSettings audioLight;  // "AudioLightInfo"
    KeyboardSystemStages system;           // "SystemStages"
    std::vector<KeyRecord> keys;           // "KeyList", one record per element
    // "LightList": one per-key record per element; a record whose present
    // byte is 0 is a key without a per-key effect (null in the file).
    std::vector<LightInfo> perKeyLights;
    // "CustomLightMode": the colour groups, each one colour buffer entry
    // (red, green, blue, brightness) per position, and the group last
    // chosen in the panel.
    std::vector<std::vector<uint32_t>> customGroups;
    std::optional<int> customGroupIndex;

    bool operator==(const KeyboardSettings&) const = default;
};

KeyboardSettings ReadKeyboardSettings(const Json::Value& deviceSection);

// The custom colour groups alone, as ReadKeyboardSettings reads them (each
// group as long as the section's, completed as the group reader completes
// it), for a model that keeps them after the section's group writers ran.
std::vector<std::vector<uint32_t>> ReadKeyboardCustomGroups(const Json::Value& deviceSection);
// One of them (empty for a group the section does not have).
std::vector<uint32_t> ReadKeyboardCustomGroup(const Json::Value& deviceSection, size_t group);

// Stores every part of `settings` into `deviceSection`, keeping its other
// members. A key list, per-key list or custom group set that is empty is
// not written, so a section without one does not gain an empty one.
void WriteKeyboardSettings(const KeyboardSettings& settings, Json::Value& deviceSection);

}  // namespace ivra
