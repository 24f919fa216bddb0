// The effects the user recorded: "norvo_light.config" in the device's data
// folder names them, and each one's steps live in a ".light" file beside it,
// named by the effect's "Guid".
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "models/lighting/LightRecordLayout.h"

namespace ivra::light {

constexpr std::string_view kRecordedConfigFileName = "norvo_light.config";
constexpr std::string_view kLightStepFileExtension = ".light";

// Bounds on what a ".light" file may hold: no recording comes near them, and
// they keep a hostile file from taking the memory or the playback loop.
constexpr size_t kMaxLightStepFileBytes = 4u * 1024u * 1024u;
constexpr size_t kMaxRecordedSteps = 10000;

// The steps of a ".light" file (its "LEDEffectList" array). A missing,
// oversized or unparsable file, or one without the array, gives no steps;
// steps past `kMaxRecordedSteps` are dropped. Every key is read as an
// integer (booleans as 0/1): the bytes clamp to 0..255, Time and Cyle to
// 32 bits; an element that is not an object is an all-zero step, so the
// steps after it keep their places.
std::vector<RecordedStep> ReadLightStepFile(const std::filesystem::path& file);

// The steps of the same file, already parsed.
std::vector<RecordedStep> LightStepsFromJson(const Json::Value& stepFile);

// Whether a "Guid" may name a file in the data folder: not empty, no path
// separator, no "..", no control character, and short enough for a file
// name. Anything else is never used as a path.
bool IsSafeRecordedGuid(std::string_view guid);

// The steps played for effect index `effectIndex`: entry `effectIndex` of
// element 0 of the config's "LightInfo" array names the file ("Guid" +
// ".light" in `dataFolder`). A missing entry, an unsafe Guid or a missing
// file gives no steps.
std::vector<RecordedStep> LoadRecordedSteps(const std::filesystem::path& dataFolder, const Json::Value& recordedConfig,
                                            unsigned effectIndex);

}  // namespace ivra::light
