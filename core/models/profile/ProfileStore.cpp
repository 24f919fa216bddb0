#include "models/profile/ProfileStore.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <utility>

#include "base/AtomicFile.h"
#include "base/JsonHelpers.h"
#include "base/MoveAside.h"
#include "models/profile/ProfileId.h"
#include "base/TextHelpers.h"

namespace ivra {
namespace {

constexpr const char* kNameKey = "profilename";
constexpr const char* kIdKey = "profileUUID";

// An imported file must be an object carrying both keys as text.
bool HasProfileKeys(const Json::Value& value) {
    return value.isObject() && MemberOf(value, kNameKey).isString() && MemberOf(value, kIdKey).isString();
}

void SetProfileKeys(Json::Value& value, const std::string& name, const std::string& id) {
    value[kNameKey] = name;
    value[kIdKey] = id;
}

// The headset's named equaliser presets, which a reset keeps.
void KeepEqualiserPresets(const Json::Value& from, Json::Value& to) {
    const Json::Value& oldSection = ElementOf(MemberOf(from, "Device"), 0);
    Json::Value& devices = to["Device"];
    if (!devices.isArray() || devices.empty() || !devices[0].isObject()) return;
    for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
        const Json::Value& kept = MemberOf(oldSection, key);
        if (!kept.isNull()) devices[0][key] = kept;
    }
}

}  // namespace

ProfileStore::ProfileStore(ProfileStoreSetup setup) : setup_(std::move(setup)) {}

std::filesystem::path ProfileStore::ListFile() const {
    return setup_.dataFolder / kListFileName;
}

std::filesystem::path ProfileStore::ProfileFile(const std::string& id) const {
    if (!IsSafeProfileId(id)) return {};
    return setup_.dataFolder / (id + kProfileExtension);
}

std::filesystem::path ProfileStore::CurrentProfileFile() const {
    return currentProfileId_.empty() ? std::filesystem::path() : ProfileFile(currentProfileId_);
}

std::vector<std::string> ProfileStore::TakeNotices() {
    return std::exchange(notices_, {});
}

ProfileStore::ListRead ProfileStore::ReadList(ProfileList& list, std::string& error) const {
    JsonFileRead read = ReadJsonFile(ListFile());
    if (read.state == JsonFileState::kMissing) return ListRead::kMissing;
    if (read.state == JsonFileState::kUnreadable) {
        error = read.error;
        return ListRead::kUnreadable;
    }
    if (!ProfileList::FromJson(read.value, list, error)) return ListRead::kUnreadable;
    return ListRead::kOk;
}

ProfileStoreResult ProfileStore::ReadListForChange(ProfileList& list) const {
    std::string error;
    switch (ReadList(list, error)) {
        case ListRead::kOk:
            if (list.Count() == 0) {
                return ProfileStoreResult::Refused("the profile list is empty; load it again");
            }
            return ProfileStoreResult::Done();
        case ListRead::kMissing:
            return ProfileStoreResult::Refused("the profile list " + ListFile().string() + " is gone; load it again");
        case ListRead::kUnreadable: break;
    }
    return ProfileStoreResult::Refused("the profile list cannot be read (" + error + "); nothing was changed");
}

ProfileStoreResult ProfileStore::WriteList(const ProfileList& list) {
    const FileWriteResult written = WriteJson(ListFile(), list.Root());
    if (!written) return ProfileStoreResult::Refused(written.error);
    Adopt(list);
    return ProfileStoreResult::Done();
}

ProfileStoreResult ProfileStore::WriteProfileFile(const std::string& id, const Json::Value& value) {
    const std::filesystem::path path = ProfileFile(id);
    if (path.empty()) return ProfileStoreResult::Refused("\"" + id + "\" cannot name a profile file");
    const FileWriteResult written = WriteJson(path, value);
    if (!written) return ProfileStoreResult::Refused(written.error);
    return ProfileStoreResult::Done();
}

void ProfileStore::Adopt(const ProfileList& list) {
    listRoot_ = list;
    names_ = list.Names();
    const auto count = static_cast<int>(names_.size());
    if (currentIndex_ >= 0 && currentIndex_ < count &&
        list.IdAt(static_cast<size_t>(currentIndex_)) == currentProfileId_) {
        return;
    }
    // The list changed under the panel: follow the current profile by its id.
    for (int i = 0; i < count; ++i) {
        if (!currentProfileId_.empty() && list.IdAt(static_cast<size_t>(i)) == currentProfileId_) {
            currentIndex_ = i;
            return;
        }
    }
    if (currentIndex_ < 0) return;
    currentIndex_ = count == 0 ? -1 : std::min(currentIndex_, count - 1);
    const std::string id = currentIndex_ < 0 ? std::string() : list.IdAt(static_cast<size_t>(currentIndex_));
    currentProfileId_ = IsSafeProfileId(id) ? id : std::string();
}

ProfileStoreResult ProfileStore::CheckCurrent(const ProfileList& list, std::string& id) const {
    if (currentIndex_ < 0 || static_cast<size_t>(currentIndex_) >= list.Count()) {
        return ProfileStoreResult::Refused("no profile is selected");
    }
    id = list.IdAt(static_cast<size_t>(currentIndex_));
    if (!IsSafeProfileId(id)) {
        return ProfileStoreResult::Refused("the profile \"" + list.NameAt(static_cast<size_t>(currentIndex_)) +
                                           "\" has no usable file id");
    }
    return ProfileStoreResult::Done();
}

ProfileStoreResult ProfileStore::Lock(FolderLock& lock) {
    for (std::string& notice : lock.TakeNotices()) notices_.push_back(std::move(notice));
    if (!lock) return ProfileStoreResult::Refused(lock.Error());
    return ProfileStoreResult::Done();
}

ProfileStoreResult ProfileStore::CheckName(std::string& name) const {
    name = ToValidUtf8(name);
    if (HasControlCharacters(name)) {
        return ProfileStoreResult::Refused("the name \"" + PrintableText(name) +
                                           "\" holds control characters (line ends, tabs or escapes)");
    }
    return ProfileStoreResult::Done();
}

std::string ProfileStore::CreateProfileFile(Json::Value value, const std::string& name, const ProfileList& list,
                                            ProfileStoreResult& result) {
    auto moment = std::chrono::system_clock::now();
    // Ids are times; one that another process took (file or list entry)
    // moves on by a millisecond, a bounded number of times.
    for (int attempt = 0; attempt < 100000; ++attempt, moment += std::chrono::milliseconds(1)) {
        const std::string id = MakeUniqueProfileId(
            setup_.dataFolder, [&list](const std::string& taken) { return list.ContainsId(taken); }, moment);
        SetProfileKeys(value, name, id);
        const FileWriteResult created = CreateFileExclusively(ProfileFile(id), StyledJson(value));
        if (created) {
            result = ProfileStoreResult::Done();
            return id;
        }
        if (!created.exists) {
            result = ProfileStoreResult::Refused(created.error);
            return {};
        }
        // Jump past the id that was taken.
        while (FormatProfileId(moment) != id) moment += std::chrono::milliseconds(1);
    }
    result = ProfileStoreResult::Refused("no free profile id was found in " + setup_.dataFolder.string());
    return {};
}

bool ProfileStore::NameTaken(const std::string& name, int exceptIndex) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (static_cast<int>(i) != exceptIndex && EqualsIgnoringCase(names_[i], name)) return true;
    }
    return false;
}

ProfileStoreResult ProfileStore::RebuildList(ProfileList& list) {
    list = ProfileList();
    // Profile files whose own id matches their file name are taken back in
    // order of creation, so no profile is lost with its list.
    std::vector<std::pair<std::string, std::string>> found;  // id, name
    std::error_code ec;
    for (std::filesystem::directory_iterator it(setup_.dataFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        if (path.extension() != kProfileExtension) continue;
        const std::string id = path.stem().string();
        if (!IsSafeProfileId(id)) continue;
        const JsonFileRead read = ReadJsonFile(path);
        if (read.state != JsonFileState::kParsed || StringMember(read.value, kIdKey) != id) continue;
        std::string name = ToValidUtf8(StringMember(read.value, kNameKey));
        if (HasControlCharacters(name)) name = PrintableText(name);
        found.emplace_back(id, IsBlank(name) ? id : name);
    }
    std::sort(found.begin(), found.end());
    for (const auto& [id, name] : found) list.Append(name, id);
    if (!found.empty()) {
        notices_.push_back("the profile list was rebuilt from " + std::to_string(found.size()) + " profile file(s)");
        return ProfileStoreResult::Done();
    }

    Json::Value value = ReadJson(setup_.defaultDataFile);
    if (!value.isObject()) {
        notices_.push_back("the default data file " + setup_.defaultDataFile.string() +
                           " cannot be read; the first profile starts without settings");
        value = Json::Value(Json::objectValue);
    }
    ProfileStoreResult created;
    const std::string id = CreateProfileFile(value, "profile1", list, created);
    if (!created) return created;
    list.Append("profile1", id);
    return ProfileStoreResult::Done();
}

bool ProfileStore::LoadWithoutChange() {
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kRead, setup_.lockWait);
    if (!lock) return false;
    ProfileList list;
    std::string error;
    if (ReadList(list, error) != ListRead::kOk || list.Count() == 0) return false;
    const int selected = list.Selected();
    const std::string id = list.IdAt(static_cast<size_t>(selected));
    if (IsSafeProfileId(id)) {
        // An unreadable selected profile needs the repair below.
        const JsonFileRead profile = ReadJsonFile(ProfileFile(id));
        if (profile.state == JsonFileState::kUnreadable ||
            (profile.state == JsonFileState::kParsed && !profile.value.isObject())) {
            return false;
        }
    } else {
        notices_.push_back("the profile \"" + list.NameAt(static_cast<size_t>(selected)) + "\" has no usable file id");
    }
    currentIndex_ = selected;
    currentProfileId_ = IsSafeProfileId(id) ? id : std::string();
    Adopt(list);
    return true;
}

void ProfileStore::RepairSelectedProfile(const ProfileList& list) {
    const int selected = list.Selected();
    if (selected < 0) return;
    const std::string id = list.IdAt(static_cast<size_t>(selected));
    const std::filesystem::path file = ProfileFile(id);
    if (file.empty()) return;
    const JsonFileRead profile = ReadJsonFile(file);
    const bool unreadable = profile.state == JsonFileState::kUnreadable ||
                            (profile.state == JsonFileState::kParsed && !profile.value.isObject());
    if (!unreadable) return;
    const std::string name = list.NameAt(static_cast<size_t>(selected));
    const std::string why = profile.error.empty() ? file.string() + ": not a profile object" : profile.error;
    Json::Value value = ReadJson(setup_.defaultDataFile);
    if (!value.isObject()) {
        notices_.push_back("the profile \"" + name + "\" cannot be read (" + why +
                           ") and the default data cannot be read either; it was left as it is");
        return;
    }
    std::string error;
    const std::filesystem::path kept = MoveFileAside(file, error);
    if (kept.empty()) {
        notices_.push_back("the profile \"" + name + "\" cannot be read (" + why + ") and could not be kept aside (" +
                           error + "); it was left as it is");
        return;
    }
    SetProfileKeys(value, name, id);
    const FileWriteResult written = WriteJson(file, value);
    notices_.push_back("the profile \"" + name + "\" could not be read (" + why + "); it was kept as " + kept.string() +
                       (written ? " and replaced by the factory settings"
                                : " but the factory settings could not be written (" + written.error + ")"));
}

ProfileStoreResult ProfileStore::LoadProfileList() {
    currentIndex_ = -1;
    currentProfileId_.clear();
    // The common case: a good list and a readable selected profile are
    // taken as they are, without writing anything.
    if (LoadWithoutChange()) return ProfileStoreResult::Done();

    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return locked;
    ProfileList list;
    std::string error;
    const ListRead state = ReadList(list, error);
    if (state == ListRead::kUnreadable) {
        std::string moveError;
        const std::filesystem::path kept = MoveFileAside(ListFile(), moveError);
        if (kept.empty()) {
            return ProfileStoreResult::Refused("the profile list cannot be read (" + error +
                                               ") and could not be kept aside (" + moveError +
                                               "); nothing was changed");
        }
        notices_.push_back("the profile list could not be read (" + error + "); it was kept as " + kept.string());
    }
    if (state != ListRead::kOk || list.Count() == 0) {
        if (ProfileStoreResult rebuilt = RebuildList(list); !rebuilt) return rebuilt;
        list.SetSelected(0);
        if (ProfileStoreResult written = WriteList(list); !written) return written;
    }
    RepairSelectedProfile(list);
    const int selected = list.Selected();
    const std::string id = list.IdAt(static_cast<size_t>(selected));
    if (!IsSafeProfileId(id)) {
        notices_.push_back("the profile \"" + list.NameAt(static_cast<size_t>(selected)) + "\" has no usable file id");
    }
    currentIndex_ = selected;
    currentProfileId_ = IsSafeProfileId(id) ? id : std::string();
    Adopt(list);
    return ProfileStoreResult::Done();
}

ProfileStoreResult ProfileStore::ReloadList() {
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kRead, setup_.lockWait);
    if (!lock) return ProfileStoreResult::Refused(lock.Error());
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    const std::string before = currentProfileId_;
    Adopt(list);
    if (currentProfileId_ != before || currentIndex_ < 0) {
        // The current profile is gone: take the one the list has selected.
        const int selected = list.Selected();
        const std::string id = list.IdAt(static_cast<size_t>(selected));
        currentIndex_ = selected;
        currentProfileId_ = IsSafeProfileId(id) ? id : std::string();
    }
    return ProfileStoreResult::Done();
}

ProfileStoreResult ProfileStore::SelectProfile(int index) {
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return locked;
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    if (index < 0 || static_cast<size_t>(index) >= list.Count()) {
        return ProfileStoreResult::Refused("there is no profile number " + std::to_string(index + 1));
    }
    list.SetSelected(index);
    const std::string id = list.IdAt(static_cast<size_t>(index));
    if (!IsSafeProfileId(id)) {
        notices_.push_back("the profile \"" + list.NameAt(static_cast<size_t>(index)) + "\" has no usable file id");
    }
    currentIndex_ = index;
    currentProfileId_ = IsSafeProfileId(id) ? id : std::string();
    return WriteList(list);
}

ProfileStoreResult ProfileStore::AddProfile() {
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return locked;
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    Adopt(list);
    if (names_.size() >= kMaxProfilesByAdd) {
        return ProfileStoreResult::Refused("there are already " + std::to_string(names_.size()) +
                                           " profiles; \"add\" makes at most " + std::to_string(kMaxProfilesByAdd));
    }
    std::string name;
    for (int n = 1;; ++n) {
        name = "profile" + std::to_string(n);
        if (!NameTaken(name)) break;
    }
    Json::Value value = ReadJson(setup_.defaultDataFile);
    if (!value.isObject()) {
        return ProfileStoreResult::Refused("the default data file " + setup_.defaultDataFile.string() +
                                           " cannot be read; nothing was changed");
    }
    // The file first: a crash in between leaves an unlisted file, never a
    // listed profile without its file.
    ProfileStoreResult created;
    const std::string id = CreateProfileFile(value, name, list, created);
    if (!created) return created;
    list.Append(name, id);
    list.SetSelected(static_cast<int>(list.Count()) - 1);
    return WriteList(list);
}

ProfileStoreResult ProfileStore::DeleteProfile() {
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return locked;
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    Adopt(list);
    if (currentIndex_ < 0 || static_cast<size_t>(currentIndex_) >= list.Count()) {
        return ProfileStoreResult::Refused("no profile is selected");
    }
    if (list.Count() <= 1) return ProfileStoreResult::Refused("the last profile cannot be deleted");
    const auto removed = static_cast<size_t>(currentIndex_);
    const int newSelection = currentIndex_ == 0 ? 0 : currentIndex_ - 1;
    const std::string id = list.IdAt(removed);
    list.RemoveAt(removed);
    list.SetSelected(newSelection);
    currentIndex_ = newSelection;
    currentProfileId_ = list.IdAt(static_cast<size_t>(newSelection));
    if (!IsSafeProfileId(currentProfileId_)) currentProfileId_.clear();
    if (ProfileStoreResult written = WriteList(list); !written) return written;
    // The file goes only after the list no longer names it, and never while
    // another entry still uses the same id.
    const std::filesystem::path file = ProfileFile(id);
    if (!file.empty() && !list.ContainsId(id)) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    return ProfileStoreResult::Done();
}

ProfileStoreResult ProfileStore::CopyProfile() {
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return locked;
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    Adopt(list);
    std::string sourceId;
    if (ProfileStoreResult current = CheckCurrent(list, sourceId); !current) return current;
    JsonFileRead source = ReadJsonFile(ProfileFile(sourceId));
    if (source.state != JsonFileState::kParsed || !source.value.isObject()) {
        return ProfileStoreResult::Refused("the profile file " + ProfileFile(sourceId).string() +
                                           " cannot be read; nothing was copied");
    }
    std::string name = names_[static_cast<size_t>(currentIndex_)] + " copy";
    while (NameTaken(name)) name += " copy";
    ProfileStoreResult created;
    const std::string id = CreateProfileFile(source.value, name, list, created);
    if (!created) return created;
    list.Append(name, id);
    return WriteList(list);
}

ProfileStoreResult ProfileStore::ImportProfile(const std::filesystem::path& file) {
    JsonFileRead imported = ReadJsonFile(file);
    if (imported.state == JsonFileState::kMissing) {
        return ProfileStoreResult::Refused(file.string() + " does not exist");
    }
    if (imported.state != JsonFileState::kParsed) return ProfileStoreResult::Refused(imported.error);
    if (!HasProfileKeys(imported.value)) {
        return ProfileStoreResult::Refused(file.string() + " is not a profile (it needs \"profilename\" and "
                                                           "\"profileUUID\" as text)");
    }
    std::string name = StringMember(imported.value, kNameKey);
    if (ProfileStoreResult checked = CheckName(name); !checked) {
        return ProfileStoreResult::Refused(file.string() + ": " + checked.reason);
    }
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return locked;
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    Adopt(list);
    for (int n = 1; NameTaken(name); ++n) name += "(" + std::to_string(n) + ")";
    ProfileStoreResult created;
    const std::string id = CreateProfileFile(imported.value, name, list, created);
    if (!created) return created;
    list.Append(name, id);
    return WriteList(list);
}

ProfileStoreResult ProfileStore::ExportProfile(const std::filesystem::path& file) {
    // Reading only: works on a read-only or full data folder.
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kRead, setup_.lockWait);
    if (!lock) return ProfileStoreResult::Refused(lock.Error());
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    Adopt(list);
    std::string id;
    if (ProfileStoreResult current = CheckCurrent(list, id); !current) return current;
    JsonFileRead source = ReadJsonFile(ProfileFile(id));
    if (source.state != JsonFileState::kParsed) {
        return ProfileStoreResult::Refused("the profile file " + ProfileFile(id).string() +
                                           " cannot be read; nothing was exported");
    }
    const FileWriteResult written = WriteExportFile(file, StyledJson(source.value));
    if (!written) return ProfileStoreResult::Refused(written.error);
    return ProfileStoreResult::Done();
}

ProfileStoreResult ProfileStore::ResetProfile() {
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return locked;
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) return read;
    Adopt(list);
    std::string id;
    if (ProfileStoreResult current = CheckCurrent(list, id); !current) return current;
    Json::Value value = ReadJson(setup_.defaultDataFile);
    if (!value.isObject()) {
        return ProfileStoreResult::Refused("the default data file " + setup_.defaultDataFile.string() +
                                           " cannot be read; the profile was not reset");
    }
    SetProfileKeys(value, list.NameAt(static_cast<size_t>(currentIndex_)), id);
    if (setup_.deviceKind == kHeadsetKind) KeepEqualiserPresets(ReadJson(ProfileFile(id)), value);
    return WriteProfileFile(id, value);
}

RenameResult ProfileStore::RenameProfile(const std::string& requested, std::string* reason) {
    const auto fail = [reason](RenameResult result, std::string why) {
        if (reason) *reason = std::move(why);
        return result;
    };
    std::string name = requested;
    if (ProfileStoreResult checked = CheckName(name); !checked) {
        return fail(RenameResult::kNameInvalid, checked.reason);
    }
    FolderLock lock(setup_.dataFolder, FolderLock::Purpose::kChange, setup_.lockWait);
    if (ProfileStoreResult locked = Lock(lock); !locked) return fail(RenameResult::kFailed, locked.reason);
    ProfileList list;
    if (ProfileStoreResult read = ReadListForChange(list); !read) {
        return fail(RenameResult::kFailed, read.reason);
    }
    Adopt(list);
    if (IsBlank(name)) return fail(RenameResult::kNameBlank, "the name is blank");
    if (NameTaken(name, currentIndex_)) {
        return fail(RenameResult::kNameTaken, "another profile is named \"" + name + "\"");
    }
    if (currentIndex_ < 0 || static_cast<size_t>(currentIndex_) >= list.Count()) {
        return fail(RenameResult::kFailed, "no profile is selected");
    }
    // The file keeps a copy of the name and is written first; when the list
    // cannot be written after it, the file gets its old content back, so
    // list and file never disagree. A file that cannot be read is left
    // alone rather than replaced by one holding only the name.
    const std::string id = list.IdAt(static_cast<size_t>(currentIndex_));
    const std::filesystem::path file = ProfileFile(id);
    std::string oldContent;
    if (!file.empty()) {
        JsonFileRead profile = ReadJsonFile(file);
        if (profile.state == JsonFileState::kParsed && profile.value.isObject()) {
            oldContent = readjsonFile(file);
            profile.value[kNameKey] = name;
            if (const FileWriteResult written = WriteJson(file, profile.value); !written) {
                return fail(RenameResult::kFailed, written.error + "; the profile keeps its name");
            }
        } else if (profile.state != JsonFileState::kMissing) {
            notices_.push_back((profile.error.empty() ? file.string() + ": not a profile object" : profile.error) +
                               "; only the list has the new name");
        }
    }
    list.SetNameAt(static_cast<size_t>(currentIndex_), name);
    if (ProfileStoreResult written = WriteList(list); !written) {
        if (!oldContent.empty()) {
            if (const FileWriteResult restored = WriteFileAtomically(file, oldContent); !restored) {
                notices_.push_back(restored.error + "; the profile file keeps the new name");
            }
        }
        return fail(RenameResult::kFailed, written.reason + "; the profile keeps its name");
    }
    return RenameResult::kDone;
}

}  // namespace ivra
