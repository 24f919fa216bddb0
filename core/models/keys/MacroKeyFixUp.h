// Keeping key assignments right when a macro is deleted. A macro assignment
// (types 0x70 and 0x71) refers to its macro by position in the kind's macro
// list, so deleting macro i gives every key that runs macro i its default
// assignment back, and every key that runs a later macro refers to it one
// position lower.
//
// Macros belong to the device kind, not to a profile, so every profile of
// the kind is fixed, not only the one that is loaded.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "models/keys/KeyRecord.h"

namespace ivra {

// Fixes the key records a device keeps in memory; true when any changed.
bool FixUpKeysAfterMacroDeletion(std::vector<KeyRecord>& keys, std::size_t deletedIndex);

// Fixes a profile's "KeyList" array; true when any "Assignment" changed.
// Elements whose "Assignment" is not an integer are left as they are; a
// "DefaultAssignment" that is not an integer counts as 0, as it reads when
// the profile is loaded.
bool FixUpKeyListAfterMacroDeletion(Json::Value& keyList, std::size_t deletedIndex);

// One profile file whose keys a macro deletion changes: its bytes before and after.
struct ProfileFixUp {
    std::filesystem::path file;
    std::string before;
    std::string after;
};

struct ProfileFixUpPlan {
    std::vector<ProfileFixUp> changes;  // files whose keys change, in name order
    std::vector<std::string> problems;  // files left untouched, and why
};

// Works out the fixed "KeyList" of every profile file (id + ".Json") in the
// kind's data folder without writing anything. A file that cannot be read
// or parsed is left as it is and named in `problems`; symbolic links are
// never followed.
ProfileFixUpPlan PlanProfileFixUps(const std::filesystem::path& dataFolder, std::size_t deletedIndex);

// The fixed bytes of one profile file's content; false when nothing changes
// or the content is not a profile.
bool FixUpProfileText(std::string_view before, std::size_t deletedIndex, std::string& after);

}  // namespace ivra
