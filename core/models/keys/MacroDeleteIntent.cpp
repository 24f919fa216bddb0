#include "models/keys/MacroDeleteIntent.h"

#include <cstdint>
#include <cstdio>
#include <system_error>

#include <json/value.h>

#include "models/keys/MacroFile.h"
#include "models/keys/MacroList.h"
#include "base/JsonHelpers.h"
#include "base/MoveAside.h"
#include "models/profile/ProfileId.h"

namespace ivra {
namespace {

constexpr const char* kIndexKey = "MacroIndex";
constexpr const char* kGuidKey = "Guid";
constexpr const char* kNameKey = "MacroName";
constexpr const char* kProfilesKey = "Profiles";
constexpr const char* kFileKey = "File";
constexpr const char* kBeforeKey = "Before";

std::filesystem::path IntentFile(const std::filesystem::path& dataFolder) {
    return dataFolder / kMacroDeleteIntentFileName;
}

// A profile file named by the record: a plain name in the folder, never a path.
std::filesystem::path ProfileFileOf(const std::filesystem::path& dataFolder, const std::string& name) {
    const std::filesystem::path file(name);
    if (file.has_parent_path() || file.extension() != ".Json" || !IsSafeProfileId(file.stem().string())) return {};
    return dataFolder / file;
}

}  // namespace

std::string ContentFingerprint(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

FileWriteResult WriteMacroDeleteIntent(const std::filesystem::path& dataFolder, std::size_t index,
                                       const std::string& guid, const std::string& name,
                                       const std::vector<ProfileFixUp>& changes) {
    Json::Value root(Json::objectValue);
    root[kIndexKey] = static_cast<Json::UInt64>(index);
    root[kGuidKey] = guid;
    root[kNameKey] = name;
    Json::Value& profiles = root[kProfilesKey] = Json::Value(Json::arrayValue);
    for (const ProfileFixUp& change : changes) {
        Json::Value entry(Json::objectValue);
        entry[kFileKey] = change.file.filename().string();
        entry[kBeforeKey] = ContentFingerprint(change.before);
        profiles.append(entry);
    }
    return WriteJson(IntentFile(dataFolder), root);
}

void RemoveMacroDeleteIntent(const std::filesystem::path& dataFolder) {
    std::error_code ec;
    std::filesystem::remove(IntentFile(dataFolder), ec);
}

MacroDeleteReplay ReplayMacroDeleteIntent(const std::filesystem::path& dataFolder) {
    MacroDeleteReplay replay;
    const std::filesystem::path intentFile = IntentFile(dataFolder);
    const JsonFileRead intent = ReadJsonFile(intentFile);
    if (intent.state == JsonFileState::kMissing) return replay;
    const Json::Value& root = intent.value;
    const Json::Value& indexValue = MemberOf(root, kIndexKey);
    if (intent.state != JsonFileState::kParsed || !indexValue.isUInt64() || !MemberOf(root, kGuidKey).isString()) {
        // Not ours to complete: keep it for the user and go on.
        std::string error;
        const std::filesystem::path kept = MoveFileAside(intentFile, error);
        replay.notices.push_back("an unreadable macro deletion record was " +
                                 (kept.empty() ? "found (" + error + ")" : "kept as " + kept.string()));
        return replay;
    }
    const auto index = static_cast<std::size_t>(indexValue.asUInt64());
    const std::string guid = StringMember(root, kGuidKey);
    const std::string name = StringMember(root, kNameKey);
    const auto fail = [&](const std::string& what) {
        replay.ok = false;
        replay.error = "an interrupted deletion of the macro \"" + name + "\" cannot be completed: " + what +
                       "; nothing else was changed";
        return replay;
    };

    for (const Json::Value& entry : MemberOf(root, kProfilesKey)) {
        const std::filesystem::path file = ProfileFileOf(dataFolder, StringMember(entry, kFileKey));
        if (file.empty()) continue;
        const std::string before = readjsonFile(file);
        // Fixed already, deleted, or changed since: nothing to do.
        if (before.empty() || ContentFingerprint(before) != StringMember(entry, kBeforeKey)) continue;
        std::string after;
        if (!FixUpProfileText(before, index, after)) continue;
        if (const FileWriteResult written = WriteFileAtomically(file, after); !written) return fail(written.error);
    }

    const std::filesystem::path listFile = dataFolder / MacroList::kListFileName;
    JsonFileRead list = ReadJsonFile(listFile);
    if (list.state == JsonFileState::kUnreadable) return fail(list.error);
    if (list.state == JsonFileState::kParsed && !list.value.isObject())
        return fail(listFile.string() + " is not a macro list");
    if (!list.value.isObject()) list.value = Json::Value(Json::objectValue);
    Json::Value& macros = list.value["MacroInfo"];
    bool stillUsed = false;
    if (macros.isArray() && index < macros.size() &&
        StringMember(macros[static_cast<Json::ArrayIndex>(index)], kGuidKey) == guid) {
        Json::Value gone;
        macros.removeIndex(static_cast<Json::ArrayIndex>(index), &gone);
        if (const FileWriteResult written = WriteJson(listFile, list.value); !written) return fail(written.error);
    }
    if (macros.isArray()) {
        for (const Json::Value& element : macros) stillUsed = stillUsed || StringMember(element, kGuidKey) == guid;
    }
    if (!stillUsed && IsSafeProfileId(guid)) {
        std::error_code ec;
        std::filesystem::remove(dataFolder / (guid + kMacroFileExtension), ec);
    }
    RemoveMacroDeleteIntent(dataFolder);
    replay.notices.push_back("an interrupted deletion of the macro \"" + name + "\" was completed");
    return replay;
}

}  // namespace ivra
