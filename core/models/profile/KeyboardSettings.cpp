#include "models/profile/KeyboardSettings.h"

#include <algorithm>
#include <utility>

#include "base/JsonHelpers.h"
#include "models/lighting/LightJsonValues.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightSections.h"
#include "models/profile/BasicProfileData.h"

namespace ivra {

namespace {

constexpr const char* kKeyListKey = "KeyList";
constexpr const char* kDefaultAssignmentKey = "DefaultAssignment";
constexpr const char* kLightListKey = "LightList";
constexpr const char* kCustomModeKey = "CustomLightMode";
constexpr const char* kGroupsKey = "LightColorInfo";

// The members of a per-key record, as ReadLightList reads them.
struct PerKeyField {
    const char* key;
    size_t byte;
    bool flag;  // written as a boolean
};
constexpr PerKeyField kPerKeyFields[] = {
    {"LEDREGMode", light::perkey::kMode, false},
    {"LEDBrightness", light::perkey::kBrightness, false},
    {"LEDSpeed", light::perkey::kSpeed, false},
    {"LEDDirection", light::perkey::kDirection, true},
    {"LEDMultiColor", light::perkey::kMultiColor, true},
    {"red", light::perkey::kRed, false},
    {"green", light::perkey::kGreen, false},
    {"blue", light::perkey::kBlue, false},
};

std::vector<KeyRecord> ReadKeys(const Json::Value& section) {
    BasicProfileData data;
    data.MutableDeviceSection() = section;
    return data.GetKeyList();
}

void WriteKeys(Json::Value& section, const std::vector<KeyRecord>& keys) {
    if (keys.empty()) return;
    BasicProfileData data;
    data.MutableDeviceSection() = std::move(section);
    data.SetKeyList(keys);
    section = std::move(data.MutableDeviceSection());
    // SetKeyList has made the list and its first keys.size() elements objects.
    Json::Value& list = section[kKeyListKey];
    for (size_t i = 0; i < keys.size(); ++i)
        list[static_cast<Json::ArrayIndex>(i)][kDefaultAssignmentKey] = keys[i].defaults.Encoded();
}

std::vector<LightInfo> ReadPerKeyLights(const Json::Value& section) {
    const Json::Value& list = MemberOf(section, kLightListKey);
    return light::ReadLightList(section, list.isArray() ? list.size() : 0);
}

void WritePerKeyLights(Json::Value& section, const std::vector<LightInfo>& records) {
    if (records.empty()) return;
    Json::Value list(Json::arrayValue);
    for (const LightInfo& record : records) {
        if (record[light::perkey::kPresent] == 0) {
            list.append(Json::Value());
            continue;
        }
        Json::Value element(Json::objectValue);
        for (const PerKeyField& field : kPerKeyFields) {
            if (field.flag) {
                element[field.key] = record[field.byte] != 0;
            } else {
                element[field.key] = record[field.byte];
            }
        }
        list.append(std::move(element));
    }
    section[kLightListKey] = std::move(list);
}

}  // namespace

std::vector<uint32_t> ReadKeyboardCustomGroup(const Json::Value& section, size_t group) {
    const Json::Value& entries =
        ElementOf(MemberOf(MemberOf(section, kCustomModeKey), kGroupsKey), static_cast<long long>(group));
    const size_t positions = entries.isArray() ? entries.size() : 0;
    // ReadCustomGroup completes the group it reads; it reads a copy of this
    // group alone, so the caller's section stays as it is.
    Json::Value scratch(Json::objectValue);
    Json::Value& groups = scratch[kCustomModeKey][kGroupsKey];
    groups = Json::Value(Json::arrayValue);
    groups.resize(static_cast<Json::ArrayIndex>(group + 1));
    groups[static_cast<Json::ArrayIndex>(group)] = entries;
    std::vector<uint32_t> colours;
    light::ReadCustomGroup(scratch, group, positions, colours);
    return colours;
}

std::vector<std::vector<uint32_t>> ReadKeyboardCustomGroups(const Json::Value& section) {
    std::vector<std::vector<uint32_t>> groups;
    const size_t count = std::min(light::CustomGroupCount(section), light::kMaxCustomGroups);
    for (size_t group = 0; group < count; ++group) groups.push_back(ReadKeyboardCustomGroup(section, group));
    return groups;
}

KeyboardSettings ReadKeyboardSettings(const Json::Value& deviceSection) {
    KeyboardSettings settings;
    settings.light = light::LightSettings::FromRecord(light::ReadLightInfo(deviceSection));
    settings.audioLight = light::AudioLightSettings::FromRecord(light::ReadAudioLightInfo(deviceSection));
    settings.system = ReadSystemStages(deviceSection);
    settings.keys = ReadKeys(deviceSection);
    settings.perKeyLights = ReadPerKeyLights(deviceSection);
    settings.customGroups = ReadKeyboardCustomGroups(deviceSection);
    settings.customGroupIndex = light::ReadCustomGroupIndex(deviceSection);
    return settings;
}

void WriteKeyboardSettings(const KeyboardSettings& settings, Json::Value& deviceSection) {
    if (!deviceSection.isObject()) deviceSection = Json::Value(Json::objectValue);
    light::WriteLightInfo(deviceSection, settings.light.ToRecord());
    light::WriteAudioLightInfo(deviceSection, settings.audioLight.ToRecord());
    WriteSystemStages(deviceSection, settings.system);
    WriteKeys(deviceSection, settings.keys);
    WritePerKeyLights(deviceSection, settings.perKeyLights);
    for (size_t group = 0; group < settings.customGroups.size(); ++group)
        light::WriteCustomGroup(deviceSection, group, settings.customGroups[group]);
    if (settings.customGroupIndex) light::WriteCustomGroupIndex(deviceSection, *settings.customGroupIndex);
}

}  // namespace ivra
