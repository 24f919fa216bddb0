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
#include <vector>

#include <json/value.h>

#include "keys/KeyRecord.h"

namespace ivra {

// Fixes the key records a device keeps in memory; true when any changed.
bool FixUpKeysAfterMacroDeletion(std::vector<KeyRecord>& keys, std::size_t deletedIndex);

// Fixes a profile's "KeyList" array; true when any "Assignment" changed.
// Elements whose "Assignment" is not an integer are left as they are; a
// "DefaultAssignment" that is not an integer counts as 0, as it reads when
// the profile is loaded.
bool FixUpKeyListAfterMacroDeletion(Json::Value& keyList, std::size_t deletedIndex);

struct ProfileFixUpReport {
    std::vector<std::filesystem::path> changed;  // profile files rewritten
    std::vector<std::string> problems;           // files left untouched, and why
};

// Fixes the "KeyList" of every profile file (id + ".Json") in the kind's data
// folder. Each changed file is rewritten atomically; a file that cannot be
// read or parsed is left as it is and named in the report.
ProfileFixUpReport FixUpProfilesAfterMacroDeletion(const std::filesystem::path& dataFolder,
                                                   std::size_t deletedIndex);

}  // namespace ivra
