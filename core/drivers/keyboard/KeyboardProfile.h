// The keyboard's selected profile in memory, as the typed settings model:
// loaded from the profile file's device section once, read from the model,
// and changed part by part. Each change sets its part of the model and the
// same part of the device section (the members the model does not know
// stay as the file had them); Save writes the file. The protocol code
// builds the wire records from the model, never from the file.
//
// Not thread-safe: the keyboard guards it with its profile lock.
#pragma once

#include <filesystem>
#include <vector>

#include <json/value.h>

#include "models/keys/Assignment.h"
#include "models/profile/KeyboardProfileData.h"
#include "models/profile/KeyboardSettings.h"

namespace ivra {

class KeyboardProfile {
public:
    // The profile file, the recorded effects' list beside it and the default
    // data; an empty profile path means no profile (nothing loads or saves).
    void SetPaths(std::filesystem::path profile, std::filesystem::path lightConfig, std::filesystem::path defaultData);
    const std::filesystem::path& ProfilePath() const { return data_.ProfilePath(); }

    // Reads the device section (made from the default data when the file has
    // none) and the recorded effects' list. False when there is no section.
    bool Load();
    // The factory section in place of the profile's, in memory only.
    void LoadDefaults(const Json::Value& section);
    bool Loaded() const { return loaded_; }

    const KeyboardSettings& Settings() const { return settings_; }
    // The recorded effects' list ("norvo_light.config").
    const Json::Value& LightConfig() const { return data_.LightConfig(); }

    // Changes (only while a profile is loaded, except the key assignment;
    // otherwise they do nothing and say false).
    bool SetLight(const LightInfo& record);
    bool SetAudioLight(const AudioLightInfo& record);
    bool SetSystem(const KeyboardSystemStages& stages);
    // False also for a position outside the key list.
    bool SetKeyAssignment(size_t position, Assignment assignment);
    // A custom colour group: written (false for a group that cannot be
    // addressed), read (the missing positions completed in the section, as
    // black at brightness 0), and the group last chosen.
    bool SetCustomGroup(size_t group, const std::vector<uint32_t>& colours);
    bool ReadCustomGroup(size_t group, size_t positions, std::vector<uint32_t>& colours);
    bool SetCustomGroupIndex(int group);

    // Writes the device section to the profile file; false when nothing is
    // loaded, there is no profile file or the write failed.
    bool Save();

private:
    // The section as an object, once a profile is loaded.
    Json::Value* Section();
    void KeepCustomGroup(size_t group);

    KeyboardProfileData data_;
    KeyboardSettings settings_;
    bool loaded_ = false;
};

}  // namespace ivra
