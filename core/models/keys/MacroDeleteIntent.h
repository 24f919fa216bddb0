// Deleting a macro changes several files: the key assignments of every
// profile that refers to a macro at or after it, and the macro list. So
// that the list and the keys never disagree, even when the program dies or
// the disk fills up between those writes, the deletion is recorded first in
// an intent file in the kind's data folder:
//
//   { "MacroIndex": 2, "Guid": "2021_08_21_09_05_07_042", "MacroName": "macro_3",
//     "Profiles": [ { "File": "2021_08_20_10_00_00_000.Json", "Before": "<hash>" }, ... ] }
//
// then the profiles and the list are written, and the intent file is
// removed. An intent file found later, under the folder's lock and before
// any other change, is completed: every listed profile that still holds its
// old content (same hash) gets the fix-up, the macro leaves the list, and
// the record goes. Completing it again changes nothing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "models/keys/MacroKeyFixUp.h"
#include "base/AtomicFile.h"

namespace ivra {

constexpr const char* kMacroDeleteIntentFileName = ".macro-delete.intent";

// A short fingerprint of a file's content (64-bit FNV-1a, in hex).
std::string ContentFingerprint(std::string_view bytes);

// Records the deletion of macro `index` (id `guid`) with the profiles it changes.
FileWriteResult WriteMacroDeleteIntent(const std::filesystem::path& dataFolder, std::size_t index,
                                       const std::string& guid, const std::string& name,
                                       const std::vector<ProfileFixUp>& changes);

// Removes the record once the deletion is complete (or undone).
void RemoveMacroDeleteIntent(const std::filesystem::path& dataFolder);

struct MacroDeleteReplay {
    bool ok = true;  // false: a file could not be written; the record stays
    std::string error;
    std::vector<std::string> notices;
};

// Completes a deletion recorded in the folder, if any. The caller holds the
// folder's lock.
MacroDeleteReplay ReplayMacroDeleteIntent(const std::filesystem::path& dataFolder);

}  // namespace ivra
