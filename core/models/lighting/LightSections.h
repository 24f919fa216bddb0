// The light sections of a profile's device section: the light record
// ("LightInfo"), the music light record ("AudioLightInfo"), the per-key
// effect list ("LightList") and the keyboard's custom colour groups
// ("CustomLightMode").
//
// Readers never throw and never trust the file: a missing section reads as
// all zero, a member of the wrong type reads as 0, and a number is kept as
// written unless the byte it goes into cannot hold it (then it is clamped to
// 0..255). Writers replace what they own; jsoncpp writes object keys in
// sorted order, which is harmless because every reader looks keys up by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <json/value.h>

#include "models/lighting/LightRecords.h"

namespace ivra::light {

// Custom colour groups the device can address; higher groups are refused.
constexpr size_t kMaxCustomGroups = 128;

// "LightInfo": the light record; all zero when the section has none.
LightInfo ReadLightInfo(const Json::Value& section);
// Rewrites the whole "LightInfo" object from the record (MultiColor as a
// boolean; bytes 8..10 are not stored).
void WriteLightInfo(Json::Value& section, const LightInfo& record);

// "AudioLightInfo": the music light record; all zero when missing.
AudioLightInfo ReadAudioLightInfo(const Json::Value& section);
void WriteAudioLightInfo(Json::Value& section, const AudioLightInfo& record);

// "LightList": one per-key record for each of `positions` key positions.
// An element that is an object fills bytes 0..7 and marks byte 10; a null,
// missing or non-object element gives an all-zero record (no per-key effect).
std::vector<LightInfo> ReadLightList(const Json::Value& section, size_t positions);

// Reads custom group `group` ("CustomLightMode" / "LightColorInfo"[group])
// into `colours`, one colour buffer entry (red, green, blue, brightness =
// Alpha) per position, `positions` entries. A position the group lacks is
// created in the JSON as black with Alpha 0 and reads 0, as are missing
// groups before it, so the section afterwards holds the whole group. A group
// of `kMaxCustomGroups` or more is refused: false, and neither the section
// nor `colours` changes.
bool ReadCustomGroup(Json::Value& section, size_t group, size_t positions, std::vector<uint32_t>& colours);

// Stores `colours` as custom group `group` (positions beyond the buffer keep
// what they hold). False, with nothing changed, for a group the device
// cannot address.
bool WriteCustomGroup(Json::Value& section, size_t group, const std::vector<uint32_t>& colours);

// "CustomLightModeGroupIndex": the group last chosen in the panel; the
// group in use is the light record's CustomGroup byte. Empty when the
// section has no such member.
void WriteCustomGroupIndex(Json::Value& section, int group);
std::optional<int> ReadCustomGroupIndex(const Json::Value& section);

// How many custom groups the section holds.
size_t CustomGroupCount(const Json::Value& section);

}  // namespace ivra::light
