// Where a device finds its data: the per-user data root and the program
// folder, the kind's folder name, and the profile its profile panel (or
// ivractl) has selected. The kinds join these to find the profile file,
// the macro list and the default data.
//
// Threads: the profile id may be set and read on any thread; the roots are
// set by the owner before the data locations are used.
#pragma once

#include <mutex>
#include <string>
#include <utility>

namespace ivra {

class ProfileBinding {
public:
    // The per-user data root ("…/Ivra Wireless Manager 1.0") and the program
    // folder.
    void SetDataRoots(std::string userDataRoot, std::string programFolder);
    void SetKindName(std::string kindName) { kindName_ = std::move(kindName); }

    // userDataRoot/kindName/, created with every missing level; empty when
    // it cannot be created.
    std::string UserDataFolder() const;
    // programFolder/DefaultData/kindName.Json
    std::string DefaultDataFile() const;
    // programFolder/DefaultData/name; empty without a program folder.
    std::string DefaultDataFolderFile(const std::string& name) const;

    void SetCurrentProfileId(const std::string& id);
    std::string CurrentProfileId() const;

private:
    std::string userDataRoot_;
    std::string programFolder_;
    std::string kindName_;
    mutable std::mutex idMutex_;
    std::string currentProfileId_;  // under idMutex_
};

}  // namespace ivra
