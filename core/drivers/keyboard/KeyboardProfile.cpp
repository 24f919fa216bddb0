#include "drivers/keyboard/KeyboardProfile.h"

#include <algorithm>
#include <utility>

#include "models/lighting/LightSections.h"

namespace ivra {

void KeyboardProfile::SetPaths(std::filesystem::path profile, std::filesystem::path lightConfig,
                               std::filesystem::path defaultData) {
    data_.SetProfilePath(std::move(profile));
    data_.SetLightConfigPath(std::move(lightConfig));
    data_.SetDefaultDataPath(std::move(defaultData));
}

bool KeyboardProfile::Load() {
    loaded_ = false;
    if (data_.ProfilePath().empty()) return false;
    loaded_ = data_.LoadDeviceSection(data_.ProfilePath()).isObject();
    data_.LoadLightConfig(data_.LightConfigPath());
    settings_ = ReadKeyboardSettings(data_.DeviceSection());
    return loaded_;
}

void KeyboardProfile::LoadDefaults(const Json::Value& section) {
    data_.MutableDeviceSection() = section;
    settings_ = ReadKeyboardSettings(section);
    loaded_ = true;
}

Json::Value* KeyboardProfile::Section() {
    if (!loaded_) return nullptr;
    Json::Value& section = data_.MutableDeviceSection();
    if (!section.isObject()) section = Json::Value(Json::objectValue);
    return &section;
}

bool KeyboardProfile::SetLight(const LightInfo& record) {
    Json::Value* section = Section();
    if (section == nullptr) return false;
    light::WriteLightInfo(*section, record);
    // The model holds what the file holds: the bytes the file does not keep
    // are 0, the multicolour flag 0 or 1.
    settings_.light = light::LightSettings::FromRecord(record);
    settings_.light.unstored = {};
    settings_.light.multiColor = settings_.light.multiColor != 0 ? 1 : 0;
    return true;
}

bool KeyboardProfile::SetAudioLight(const AudioLightInfo& record) {
    Json::Value* section = Section();
    if (section == nullptr) return false;
    settings_.audioLight = light::AudioLightSettings::FromRecord(record);
    light::WriteAudioLightInfo(*section, record);
    return true;
}

bool KeyboardProfile::SetSystem(const KeyboardSystemStages& stages) {
    Json::Value* section = Section();
    if (section == nullptr) return false;
    settings_.system = stages;
    WriteSystemStages(*section, stages);
    return true;
}

bool KeyboardProfile::SetKeyAssignment(size_t position, Assignment assignment) {
    // The key list changes also without a loaded profile (it is then sent
    // to the keyboard but not saved).
    if (position >= settings_.keys.size()) return false;
    settings_.keys[position].current.SetBytes(assignment);
    data_.SetKeyList(settings_.keys);
    return true;
}

void KeyboardProfile::KeepCustomGroup(size_t group) {
    // The group writers and the group reader pad, complete and keep entries
    // of the section's group (and add empty groups before it); the model
    // takes those groups as they now are.
    const Json::Value& section = data_.DeviceSection();
    const size_t count = std::min(light::CustomGroupCount(section), light::kMaxCustomGroups);
    for (size_t added = settings_.customGroups.size(); added < count; ++added) {
        settings_.customGroups.push_back(ReadKeyboardCustomGroup(section, added));
    }
    if (group < settings_.customGroups.size()) settings_.customGroups[group] = ReadKeyboardCustomGroup(section, group);
    settings_.customGroupIndex = light::ReadCustomGroupIndex(section);
}

bool KeyboardProfile::SetCustomGroup(size_t group, const std::vector<uint32_t>& colours) {
    Json::Value* section = Section();
    if (section == nullptr || !light::WriteCustomGroup(*section, group, colours)) return false;
    KeepCustomGroup(group);
    return true;
}

bool KeyboardProfile::ReadCustomGroup(size_t group, size_t positions, std::vector<uint32_t>& colours) {
    Json::Value* section = Section();
    if (section == nullptr || !light::ReadCustomGroup(*section, group, positions, colours)) return false;
    KeepCustomGroup(group);
    return true;
}

bool KeyboardProfile::SetCustomGroupIndex(int group) {
    Json::Value* section = Section();
    if (section == nullptr) return false;
    light::WriteCustomGroupIndex(*section, group);
    settings_.customGroupIndex = light::ReadCustomGroupIndex(*section);
    return true;
}

bool KeyboardProfile::Save() {
    if (!loaded_ || data_.ProfilePath().empty()) return false;
    return data_.SaveDeviceSection();
}

}  // namespace ivra
