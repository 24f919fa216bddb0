#include "models/profile/BasicProfileData.h"

#include <string>

#include "base/DebugOutput.h"
#include "models/profile/FolderLock.h"
#include "base/JsonHelpers.h"
#include "base/MoveAside.h"

namespace ivra {
namespace {

// The root of a profile file to write into: the file's own object when it
// parsed; otherwise an empty object, after keeping a file that exists but
// could not be used.
bool TakeFileRoot(const JsonFileRead& read, const std::filesystem::path& path, Json::Value& root) {
    if (read.state == JsonFileState::kParsed && read.value.isObject()) {
        root = read.value;
        return true;
    }
    root = Json::Value(Json::objectValue);
    if (read.state == JsonFileState::kMissing) return true;
    std::string error;
    if (MoveFileAside(path, error).empty()) {
        DebugLine(error);
        return false;
    }
    return true;
}

void PutSection(Json::Value& root, int index, const Json::Value& section) {
    Json::Value& devices = root["Device"];
    if (!devices.isArray()) devices = Json::Value(Json::arrayValue);
    devices[static_cast<Json::ArrayIndex>(index)] = section;
}

// A save runs on the thread that owns the device (in the program, the
// window's): it waits only briefly for another process's hold of the lock.
constexpr std::chrono::milliseconds kSaveLockWait{500};

int64_t IntegerOrZero(const Json::Value& value) {
    return value.isInt64() ? value.asInt64() : 0;
}

}  // namespace

bool BasicProfileData::SaveDeviceSection() {
    // Writing a null section would wipe the profile's settings.
    if (deviceSection_.isNull()) return false;
    const Json::Value copy = deviceSection_;
    return WriteDeviceSection(copy, profilePath_);
}

bool BasicProfileData::WriteDeviceSection(const Json::Value& value, const std::filesystem::path& path) {
    if (path.empty() || value.isNull()) return false;
    // Read, change, write: under the folder's lock, so a rename or a macro
    // fix-up by another process in between is kept.
    FolderLock lock(path.parent_path(), FolderLock::Purpose::kChange, kSaveLockWait);
    if (!lock) {
        DebugLine("the profile was not saved: " + lock.Error());
        return false;
    }
    Json::Value root;
    if (!TakeFileRoot(ReadJsonFile(path), path, root)) return false;
    PutSection(root, deviceIndex_, value);
    return WriteJsonValue(root, path);
}

bool BasicProfileData::WriteJsonValue(const Json::Value& value, const std::filesystem::path& path) {
    const FileWriteResult written = WriteJson(path, value);
    if (!written) DebugLine(written.error);
    return written.ok;
}

Json::Value BasicProfileData::LoadDeviceSection(const std::filesystem::path& path) {
    const JsonFileRead read = ReadJsonFile(path);
    const Json::Value& section = ElementOf(MemberOf(read.value, "Device"), deviceIndex_);
    if (section.isObject()) {
        deviceSection_ = section;
        return deviceSection_;
    }
    // No usable section: repair the profile from the default data, but only
    // when the default data can be read, so a broken install never turns a
    // profile into a stub.
    const Json::Value defaults = ReadJson(defaultDataPath_);
    const Json::Value& defaultSection = ElementOf(MemberOf(defaults, "Device"), deviceIndex_);
    if (!defaultSection.isObject()) {
        DebugLine("no device section in " + path.string() + " nor in " + defaultDataPath_.string());
        deviceSection_ = Json::Value();
        return deviceSection_;
    }
    deviceSection_ = defaultSection;
    Json::Value root;
    if (!path.empty()) {
        FolderLock lock(path.parent_path(), FolderLock::Purpose::kChange, kSaveLockWait);
        if (lock && TakeFileRoot(ReadJsonFile(path), path, root)) {
            PutSection(root, deviceIndex_, deviceSection_);
            WriteJsonValue(root, path);
        }
    }
    return deviceSection_;
}

Json::Value BasicProfileData::LoadLightConfig(const std::filesystem::path& path) {
    lightConfig_ = ReadJson(path);
    return lightConfig_;
}

std::vector<KeyRecord> BasicProfileData::GetKeyList() {
    std::vector<KeyRecord> keys;
    const Json::Value& list = MemberOf(deviceSection_, "KeyList");
    if (list.isArray()) {
        keys.reserve(list.size());
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            const Json::Value& element = list[i];
            const auto keyIndex = static_cast<uint8_t>(i & 0xFF);
            KeyRecord record;
            record.current = AssignmentSlot::FromEncoded(keyIndex, IntegerOrZero(MemberOf(element, "Assignment")));
            record.defaults =
                AssignmentSlot::FromEncoded(keyIndex, IntegerOrZero(MemberOf(element, "DefaultAssignment")));
            keys.push_back(record);
        }
    }
    keyList_ = keys;
    return keys;
}

void BasicProfileData::SetKeyList(const std::vector<KeyRecord>& keys) {
    keyList_ = keys;
    if (keys.empty()) return;
    if (!deviceSection_.isObject()) deviceSection_ = Json::Value(Json::objectValue);
    Json::Value& list = deviceSection_["KeyList"];
    if (!list.isArray()) list = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < keys.size(); ++i) {
        Json::Value& element = list[static_cast<Json::ArrayIndex>(i)];
        if (!element.isObject()) element = Json::Value(Json::objectValue);
        element["Assignment"] = keys[i].current.Encoded();
    }
}

}  // namespace ivra
