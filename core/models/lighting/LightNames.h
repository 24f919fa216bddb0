// The effect names of one device model: the built-in effects with their
// visible flags and device effect codes and the area names, from
// "default_light.json" beside the program, and the names of the effects the
// user recorded, from "norvo_light.config" in the device's data folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

namespace ivra::light {

// Names past this many are dropped from each list: the effect index is a
// byte, so no setting could select them.
constexpr size_t kMaxLightNames = 256;

struct LightNameLists {
    // Built-in effects, indexed by effect index; three parallel lists.
    std::vector<std::string> names;  // UTF-8
    std::vector<bool> visible;       // hidden entries stay selectable by index
    std::vector<int> codes;          // the firmware's number for each effect
    std::vector<std::string> areaNames;
    // Recorded effects; in the effect combo they follow the built-in ones.
    std::vector<std::string> recordedNames;

    // What the effect combo lists: the built-in names, then the recorded
    // ones, with the visible flag of each (recorded effects are visible).
    std::vector<std::string> ComboNames() const;
    std::vector<bool> ComboVisible() const;
};

// Builds the lists for model `modelIndex` (the catalogue row) from the two
// files. A file that is missing or does not parse, or a model without an
// element in it, adds nothing; entries that are not objects keep their place
// (empty name, hidden, code 0) so later indices stay right.
LightNameLists LoadLightNames(const std::filesystem::path& defaultLightFile,
                              const std::filesystem::path& recordedConfigFile, int modelIndex);
// The same from the parsed files (null values for files that are absent).
LightNameLists LightNamesFromJson(const Json::Value& defaultLight, const Json::Value& recordedConfig, int modelIndex);

// The keyboard's device code for an effect index (byte 1 of its settings
// record): the code list's entry for the index. The streamed effects (music
// 29, screen colour 30) and indices 32 and above send entry 0, as does an
// index past the end of the list, so a short file can never make the
// program read outside it. An empty list sends 0; codes clamp to 0..255.
uint8_t DeviceEffectCode(const LightNameLists& lists, unsigned effectIndex);

// The effect index for a code the device reports: the first index whose
// code equals it, or the code itself when none does.
unsigned EffectIndexForCode(const LightNameLists& lists, uint8_t code);

}  // namespace ivra::light
