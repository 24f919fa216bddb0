// The selected profile's settings of one device in memory: the profile
// file's device section ("Device"[0]) as a JSON value, the key records made
// from its "KeyList", and the recorded light effects file. Each device kind
// derives its own class, which adds the readers and writers of its sections.
//
// Profile file layout:
//   { "profilename": "...", "profileUUID": "...", "Device": [ { sections } ] }
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "models/keys/KeyRecord.h"

namespace ivra {

class BasicProfileData {
public:
    BasicProfileData() = default;
    virtual ~BasicProfileData() = default;
    BasicProfileData(const BasicProfileData&) = default;
    BasicProfileData& operator=(const BasicProfileData&) = default;

    // Writes the device section to the profile file. False when there is
    // nothing loaded to save or the file cannot be written.
    virtual bool SaveDeviceSection();
    // Puts `value` into the file's "Device"[deviceIndex] and writes the whole
    // file back, keeping its other keys. A file that exists but cannot be
    // parsed is moved aside first instead of being overwritten.
    virtual bool WriteDeviceSection(const Json::Value& value, const std::filesystem::path& path);
    // Writes `value` to `path` as a whole.
    virtual bool WriteJsonValue(const Json::Value& value, const std::filesystem::path& path);

    const std::filesystem::path& ProfilePath() const { return profilePath_; }
    const std::filesystem::path& LightConfigPath() const { return lightConfigPath_; }
    const std::filesystem::path& DefaultDataPath() const { return defaultDataPath_; }
    void SetProfilePath(std::filesystem::path path) { profilePath_ = std::move(path); }
    void SetLightConfigPath(std::filesystem::path path) { lightConfigPath_ = std::move(path); }
    void SetDefaultDataPath(std::filesystem::path path) { defaultDataPath_ = std::move(path); }

    int DeviceIndex() const { return deviceIndex_; }
    void SetDeviceIndex(int index) { deviceIndex_ = index < 0 ? 0 : index; }

    // Loads "Device"[deviceIndex] of the file at `path`. When the file has no
    // usable section (missing file, no "Device", a value of the wrong type,
    // a file that does not parse) the section is taken from the default data
    // file and written into the profile file, keeping the file's other keys;
    // a file that did not parse is moved aside first. When the default data
    // cannot be read either, nothing is written and the section is null.
    // Returns a copy of the section.
    Json::Value LoadDeviceSection(const std::filesystem::path& path);

    // Reads the recorded light effects file into memory; null when unreadable.
    Json::Value LoadLightConfig(const std::filesystem::path& path);

    // Key records from the section's "KeyList": element i gives key index i,
    // its "Assignment" the current slot and its "DefaultAssignment" the
    // default slot. Values that are not integers read as 0.
    std::vector<KeyRecord> GetKeyList();
    // Stores the current slots into "KeyList"[i]["Assignment"]; elements
    // beyond the list and every "DefaultAssignment" are left as they are.
    // Nothing is written to disk until the section is saved.
    void SetKeyList(const std::vector<KeyRecord>& keys);

    const Json::Value& DeviceSection() const { return deviceSection_; }
    Json::Value& MutableDeviceSection() { return deviceSection_; }
    const Json::Value& LightConfig() const { return lightConfig_; }
    const std::vector<KeyRecord>& KeyList() const { return keyList_; }

protected:
    std::filesystem::path profilePath_;
    std::filesystem::path defaultDataPath_;
    std::filesystem::path lightConfigPath_;
    Json::Value deviceSection_;
    Json::Value lightConfig_;
    std::vector<KeyRecord> keyList_;
    int deviceIndex_ = 0;
};

}  // namespace ivra
