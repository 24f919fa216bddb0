#include "drivers/ProfileBinding.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace ivra {

void ProfileBinding::SetDataRoots(std::string userDataRoot, std::string programFolder) {
    userDataRoot_ = std::move(userDataRoot);
    programFolder_ = std::move(programFolder);
}

std::string ProfileBinding::UserDataFolder() const {
    if (userDataRoot_.empty() || kindName_.empty()) return {};
    const std::filesystem::path folder = std::filesystem::path(userDataRoot_) / kindName_;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) return {};
    return folder.string() + "/";
}

std::string ProfileBinding::DefaultDataFile() const {
    if (programFolder_.empty() || kindName_.empty()) return {};
    return (std::filesystem::path(programFolder_) / "DefaultData" / (kindName_ + ".Json")).string();
}

std::string ProfileBinding::DefaultDataFolderFile(const std::string& name) const {
    if (programFolder_.empty()) return {};
    return (std::filesystem::path(programFolder_) / "DefaultData" / name).string();
}

void ProfileBinding::SetCurrentProfileId(const std::string& id) {
    std::lock_guard<std::mutex> lock(idMutex_);
    currentProfileId_ = id;
}

std::string ProfileBinding::CurrentProfileId() const {
    std::lock_guard<std::mutex> lock(idMutex_);
    return currentProfileId_;
}

}  // namespace ivra
