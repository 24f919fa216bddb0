// The named profiles of one device kind: the profile list file and one JSON
// file per profile in the kind's data folder, and the operations on them
// (load, select, add, delete, copy, import, export, reset, rename).
//
// The store keeps the list of names that a profile panel shows (in list
// order) and the panel's current selection, so the core and the command-line
// tool run the same operations without a user interface.
//
// Every operation reads the list file again before it changes anything, so
// edits made by other code in between survive, and holds the folder's lock
// (FolderLock.h) from that read to its last write, so other processes working
// on the same folder never lose an entry. New profile files are created
// exclusively. Files are written atomically, and only when their content
// changes: loading, listing and exporting never write. A list file that
// exists but cannot be read is never written through: when loading, it is
// moved aside and the list is rebuilt from the profile files in the folder;
// every other operation refuses until the list is loaded again.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "models/profile/FolderLock.h"
#include "models/profile/ProfileList.h"

namespace ivra {

struct ProfileStoreSetup {
    std::filesystem::path dataFolder;       // the kind's data folder; must exist
    std::filesystem::path defaultDataFile;  // the kind's default data file
    int deviceKind = 0;                     // device kind code; 7 is the headset
    // How long an operation waits for another process's hold of the folder's
    // lock; a user interface keeps this short.
    std::chrono::milliseconds lockWait = FolderLock::kDefaultWait;
};

// The outcome of one operation: done, or refused with a reason for the user.
struct ProfileStoreResult {
    bool done = false;
    std::string reason;

    explicit operator bool() const { return done; }
    static ProfileStoreResult Done() { return {true, {}}; }
    static ProfileStoreResult Refused(std::string why) { return {false, std::move(why)}; }
};

enum class RenameResult {
    kNameTaken = 0,  // another profile has the name (compared without case)
    kDone = 1,
    kNameBlank = 2,    // the name is empty or white space only
    kFailed = 3,       // the list or the profile file could not be read or written
    kNameInvalid = 4,  // the name holds control characters
};

class ProfileStore {
public:
    static constexpr size_t kMaxProfilesByAdd = 50;  // copy and import are not limited
    static constexpr const char* kListFileName = "ProfileList.ini";
    static constexpr const char* kProfileExtension = ".Json";

    explicit ProfileStore(ProfileStoreSetup setup);

    // Reads the list and selects its selected profile. A missing, empty or
    // unreadable list is rebuilt from the profile files in the folder; with
    // none, a first profile "profile1" is made from the default data.
    ProfileStoreResult LoadProfileList();
    // Takes in what another program changed in the list: reads it without
    // writing and follows the current profile by its id (or falls back to
    // the list's selection when it is gone).
    ProfileStoreResult ReloadList();

    ProfileStoreResult SelectProfile(int index);
    ProfileStoreResult AddProfile();
    ProfileStoreResult DeleteProfile();
    ProfileStoreResult CopyProfile();
    ProfileStoreResult ImportProfile(const std::filesystem::path& file);
    ProfileStoreResult ExportProfile(const std::filesystem::path& file);
    ProfileStoreResult ResetProfile();
    RenameResult RenameProfile(const std::string& name, std::string* reason = nullptr);

    // Id of the current profile; "" when there is none.
    const std::string& CurrentProfileId() const { return currentProfileId_; }
    // The current profile's file; empty when there is no current profile or
    // its id is not safe to use as a file name.
    std::filesystem::path CurrentProfileFile() const;
    std::filesystem::path ProfileFile(const std::string& id) const;
    std::filesystem::path ListFile() const;

    // The profile names in list order (what the panel's combo box shows).
    const std::vector<std::string>& Names() const { return names_; }
    // The panel's selection; -1 before loading.
    int CurrentIndex() const { return currentIndex_; }
    // The list file's "profileselect" as last read or written: the profile
    // that the next load selects ("add" sets it without moving CurrentIndex).
    int ListSelection() const { return listRoot_.Selected(); }
    const ProfileList& ListRoot() const { return listRoot_; }

    // What the last operations noticed and repaired (a list moved aside, a
    // list rebuilt from the profile files, an unreadable selected profile
    // replaced by the factory settings); cleared by TakeNotices.
    std::vector<std::string> TakeNotices();

    static constexpr int kHeadsetKind = 7;

private:
    enum class ListRead { kOk, kMissing, kUnreadable };
    ListRead ReadList(ProfileList& list, std::string& error) const;
    ProfileStoreResult ReadListForChange(ProfileList& list) const;
    ProfileStoreResult WriteList(const ProfileList& list);
    ProfileStoreResult WriteProfileFile(const std::string& id, const Json::Value& value);
    ProfileStoreResult RebuildList(ProfileList& list);
    // Reads the list and, when it needs no repair, takes it without writing.
    bool LoadWithoutChange();
    // The unreadable file of the selected profile is kept aside and replaced
    // by the factory settings.
    void RepairSelectedProfile(const ProfileList& list);
    // Creates a profile file for `value` under a new id, exclusively: an id
    // taken meanwhile moves on by a millisecond. "" (reason in `result`) on failure.
    std::string CreateProfileFile(Json::Value value, const std::string& name, const ProfileList& list,
                                  ProfileStoreResult& result);
    ProfileStoreResult Lock(FolderLock& lock);
    ProfileStoreResult CheckName(std::string& name) const;
    // Takes the fresh list as the panel's view and finds the current profile in it.
    void Adopt(const ProfileList& list);
    ProfileStoreResult CheckCurrent(const ProfileList& list, std::string& id) const;
    bool NameTaken(const std::string& name, int exceptIndex = -1) const;

    ProfileStoreSetup setup_;
    ProfileList listRoot_;
    std::vector<std::string> names_;
    int currentIndex_ = -1;
    std::string currentProfileId_;
    std::vector<std::string> notices_;
};

}  // namespace ivra
