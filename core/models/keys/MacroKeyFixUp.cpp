#include "models/keys/MacroKeyFixUp.h"

#include <algorithm>
#include <system_error>

#include "base/JsonHelpers.h"
#include "models/profile/ProfileId.h"

namespace ivra {
namespace {

constexpr const char* kProfileExtension = ".Json";

enum class FixUp { kKeep, kRestoreDefault, kLowerIndex };

FixUp FixUpFor(Assignment current, std::size_t deletedIndex) {
    if (!IsMacroAssignment(current)) return FixUp::kKeep;
    if (current.byte1 == deletedIndex) return FixUp::kRestoreDefault;
    if (current.byte1 > deletedIndex) return FixUp::kLowerIndex;
    return FixUp::kKeep;
}

}  // namespace

bool FixUpKeysAfterMacroDeletion(std::vector<KeyRecord>& keys, std::size_t deletedIndex) {
    bool changed = false;
    for (KeyRecord& key : keys) {
        switch (FixUpFor(key.current.Bytes(), deletedIndex)) {
            case FixUp::kKeep: break;
            case FixUp::kRestoreDefault:
                key.RestoreDefault();
                changed = true;
                break;
            case FixUp::kLowerIndex:
                --key.current.byte1;
                changed = true;
                break;
        }
    }
    return changed;
}

bool FixUpKeyListAfterMacroDeletion(Json::Value& keyList, std::size_t deletedIndex) {
    if (!keyList.isArray()) return false;
    bool changed = false;
    for (Json::Value& element : keyList) {
        const std::optional<int> encoded = IntMember(element, "Assignment");
        if (!encoded) continue;
        Assignment current = IntToAssignment(*encoded);
        switch (FixUpFor(current, deletedIndex)) {
            case FixUp::kKeep: continue;
            case FixUp::kRestoreDefault:
                current = IntToAssignment(IntMember(element, "DefaultAssignment").value_or(0));
                break;
            case FixUp::kLowerIndex: --current.byte1; break;
        }
        element["Assignment"] = AssignmentToInt(current);
        changed = true;
    }
    return changed;
}

bool FixUpProfileText(std::string_view before, std::size_t deletedIndex, std::string& after) {
    bool parsed = false;
    Json::Value root = ParseJson(before, &parsed);
    if (!parsed || !root.isObject()) return false;
    Json::Value& devices = root["Device"];
    if (!devices.isArray() || devices.empty() || !devices[0].isObject()) return false;
    Json::Value& section = devices[0];
    if (!section.isMember("KeyList")) return false;
    if (!FixUpKeyListAfterMacroDeletion(section["KeyList"], deletedIndex)) return false;
    after = StyledJson(root);
    return true;
}

ProfileFixUpPlan PlanProfileFixUps(const std::filesystem::path& dataFolder, std::size_t deletedIndex) {
    ProfileFixUpPlan plan;
    std::error_code ec;
    std::filesystem::directory_iterator entries(dataFolder, ec);
    if (ec) {
        plan.problems.push_back(dataFolder.string() + ": " + ec.message() + "; no profile was fixed");
        return plan;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : entries) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() != kProfileExtension || !IsSafeProfileId(path.stem().string())) continue;
        // Only plain files: rewriting a symbolic link would replace it.
        if (!std::filesystem::is_regular_file(entry.symlink_status(ec))) continue;
        files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& path : files) {
        const JsonFileRead profile = ReadJsonFile(path);
        if (profile.state != JsonFileState::kParsed || !profile.value.isObject()) {
            plan.problems.push_back((profile.error.empty() ? path.string() + ": not a profile" : profile.error) +
                                    "; its keys were left as they are");
            continue;
        }
        ProfileFixUp change;
        change.file = path;
        change.before = readjsonFile(path);
        if (FixUpProfileText(change.before, deletedIndex, change.after)) plan.changes.push_back(std::move(change));
    }
    return plan;
}

}  // namespace ivra
