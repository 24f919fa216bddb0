#include "models/profile/DataLocations.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace ivra {
namespace {

std::filesystem::path Environment(const char* name) {
    const char* value = std::getenv(name);
    return (value && *value) ? std::filesystem::path(value) : std::filesystem::path();
}

bool HoldsDefaultData(const std::filesystem::path& folder) {
    std::error_code ec;
    return !folder.empty() && std::filesystem::is_directory(folder / "DefaultData", ec);
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

}  // namespace

bool IsKnownKindName(std::string_view kindName) {
    static constexpr std::array<std::string_view, 5> kNames = {"mouse", "keyboard", "keyboard_7210", "MousePad", "HD"};
    for (std::string_view name : kNames) {
        if (name == kindName) return true;
    }
    return false;
}

std::filesystem::path UserDataRoot(const std::filesystem::path& overrideRoot) {
    if (!overrideRoot.empty()) return overrideRoot;
    std::filesystem::path base = Environment("XDG_DATA_HOME");
    // The XDG rules ignore a relative value.
    if (!base.is_absolute()) base.clear();
    if (base.empty()) {
        std::filesystem::path home = Environment("HOME");
        if (home.empty()) home = "/tmp";
        base = home / ".local" / "share";
    }
    return base / kProductFolderName;
}

std::filesystem::path EnsureKindDataFolder(const std::filesystem::path& dataRoot, std::string_view kindName,
                                           std::string& error) {
    if (kindName.empty() || kindName == "." || kindName == ".." || kindName.find('/') != std::string_view::npos) {
        error = "\"" + std::string(kindName) + "\" is not a device kind name";
        return {};
    }
    const std::filesystem::path folder = dataRoot / std::string(kindName);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) {
        error = "cannot create the data folder " + folder.string() + (ec ? ": " + ec.message() : std::string());
        return {};
    }
    return folder;
}

std::filesystem::path ProgramFolder() {
    const std::filesystem::path home = Environment("IVRA_HOME");
    if (!home.empty()) return home;
    std::vector<std::filesystem::path> candidates;
    const std::filesystem::path exeFolder = ExecutableFolder();
    // In the build tree the executable sits in build/<preset>/bin; its
    // parents lead back to the source tree.
    for (std::filesystem::path folder = exeFolder; !folder.empty(); folder = folder.parent_path()) {
        candidates.push_back(folder);
        if (folder == folder.parent_path()) break;
    }
    if (!exeFolder.empty()) {
        candidates.push_back(exeFolder.parent_path() / "share" / "ivra-wireless-manager");
    }
#ifdef IVRA_SOURCE_DIR
    // Programs run from anywhere else in the build tree (tests, benchmarks).
    candidates.emplace_back(IVRA_SOURCE_DIR);
#endif
    for (const std::filesystem::path& folder : candidates) {
        if (HoldsDefaultData(folder)) return folder;
    }
    return {};
}

std::filesystem::path DefaultDataFile(const std::filesystem::path& programFolder, std::string_view kindName) {
    return programFolder / "DefaultData" / (std::string(kindName) + ".Json");
}

}  // namespace ivra
