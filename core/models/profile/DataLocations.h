// Where the program's files live on Linux.
//
// Per-user data: $XDG_DATA_HOME (or ~/.local/share) + "/Ivra Wireless
// Manager 1.0/" + kind name + "/". The program folder (with "DefaultData/",
// "skin/", ...): $IVRA_HOME when set; else the folder of the executable or
// one of its parents, or the source tree the program was built from; else
// <prefix>/share/ivra-wireless-manager/ beside the installed "bin".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/ProductFolder.h"

namespace ivra {

// The kind names that have data folders and default data files.
bool IsKnownKindName(std::string_view kindName);

// The user's data root, "…/Ivra Wireless Manager 1.0", which holds one
// folder per device kind. `overrideRoot`, when not empty, is used instead.
std::filesystem::path UserDataRoot(const std::filesystem::path& overrideRoot = {});

// The data folder of one device kind below `dataRoot`, created (with every
// missing level) when it does not exist. Empty, with the reason in `error`,
// when it cannot be created or the kind name is not a plain folder name.
std::filesystem::path EnsureKindDataFolder(const std::filesystem::path& dataRoot, std::string_view kindName,
                                           std::string& error);

// The program folder: the first candidate that holds a "DefaultData" folder.
// Empty when none does.
std::filesystem::path ProgramFolder();

// programFolder/DefaultData/<kindName>.Json
std::filesystem::path DefaultDataFile(const std::filesystem::path& programFolder, std::string_view kindName);

}  // namespace ivra
