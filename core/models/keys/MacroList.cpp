#include "models/keys/MacroList.h"

#include <system_error>
#include <utility>

#include "models/keys/MacroDeleteIntent.h"
#include "models/keys/MacroKeyFixUp.h"
#include "base/JsonHelpers.h"
#include "models/profile/ProfileId.h"
#include "base/TextHelpers.h"

namespace ivra {
namespace {

constexpr const char* kListKey = "MacroInfo";
constexpr const char* kNameKey = "MacroName";
constexpr const char* kIdKey = "Guid";

MacroListResult Refused(MacroListStatus status, std::string reason) {
    MacroListResult result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

MacroListResult Done(std::string name, std::size_t index) {
    MacroListResult result;
    result.name = std::move(name);
    result.index = static_cast<int>(index);
    return result;
}

Json::Value NewEntry(const std::string& name, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry[kNameKey] = name;
    entry[kIdKey] = id;
    return entry;
}

}  // namespace

MacroList::MacroList(std::filesystem::path dataFolder) : dataFolder_(std::move(dataFolder)) {}

std::filesystem::path MacroList::ListFile() const {
    return dataFolder_ / kListFileName;
}

std::filesystem::path MacroList::FileOfId(const std::string& id) const {
    if (!IsSafeProfileId(id)) return {};
    return dataFolder_ / (id + kMacroFileExtension);
}

std::filesystem::path MacroList::MacroFile(std::size_t index) const {
    return index < entries_.size() ? FileOfId(entries_[index].id) : std::filesystem::path();
}

std::vector<std::string> MacroList::Names() const {
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const MacroEntry& entry : entries_) names.push_back(entry.name);
    return names;
}

std::vector<std::string> MacroList::TakeNotices() {
    return std::exchange(notices_, {});
}

MacroListResult MacroList::ReadList(Json::Value& root) const {
    JsonFileRead read = ReadJsonFile(ListFile());
    if (read.state == JsonFileState::kMissing) {
        root = Json::Value(Json::objectValue);
        root[kListKey] = Json::Value(Json::arrayValue);
        return {};
    }
    const std::string unreadable = " (it is left as it is; repair or remove it)";
    if (read.state == JsonFileState::kUnreadable) {
        return Refused(MacroListStatus::kListUnreadable, read.error + unreadable);
    }
    if (!read.value.isObject()) {
        return Refused(MacroListStatus::kListUnreadable,
                       ListFile().string() + ": the root is not an object" + unreadable);
    }
    const Json::Value& list = MemberOf(read.value, kListKey);
    if (!list.isNull() && !list.isArray()) {
        return Refused(MacroListStatus::kListUnreadable,
                       ListFile().string() + ": \"MacroInfo\" is not an array" + unreadable);
    }
    root = std::move(read.value);
    if (list.isNull()) root[kListKey] = Json::Value(Json::arrayValue);
    return {};
}

void MacroList::Adopt(const Json::Value& root) {
    entries_.clear();
    for (const Json::Value& element : MemberOf(root, kListKey)) {
        entries_.push_back({StringMember(element, kNameKey), StringMember(element, kIdKey)});
    }
}

MacroListResult MacroList::Lock(FolderLock& lock) {
    for (std::string& notice : lock.TakeNotices()) notices_.push_back(std::move(notice));
    if (!lock) return Refused(MacroListStatus::kBusy, lock.Error());
    return {};
}

MacroListResult MacroList::Load() {
    FolderLock lock(dataFolder_, FolderLock::Purpose::kRead, lockWait_);
    if (MacroListResult locked = Lock(lock); !locked) return locked;
    return LoadLocked();
}

MacroListResult MacroList::LoadLocked() {
    Json::Value root;
    MacroListResult read = ReadList(root);
    if (!read) {
        entries_.clear();
        return read;
    }
    Adopt(root);
    return read;
}

MacroListResult MacroList::ReadListForChange(Json::Value& root) {
    MacroListResult read = ReadList(root);
    if (read) Adopt(root);
    return read;
}

MacroListResult MacroList::WriteList(const Json::Value& root) {
    const FileWriteResult written = WriteJson(ListFile(), root);
    if (!written) return Refused(MacroListStatus::kWriteFailed, written.error);
    Adopt(root);
    return {};
}

MacroListResult MacroList::CheckIndex(std::size_t index) const {
    if (index >= entries_.size()) {
        return Refused(MacroListStatus::kNoSuchMacro, "there is no macro " + std::to_string(index) + " (the list has " +
                                                          std::to_string(entries_.size()) + ")");
    }
    return {};
}

std::string MacroList::NewName() const {
    for (std::size_t n = 1;; ++n) {
        const std::string name = "macro_" + std::to_string(n);
        bool taken = false;
        for (const MacroEntry& entry : entries_) taken = taken || EqualsIgnoringCase(entry.name, name);
        if (!taken) return name;
    }
}

std::string MacroList::NewId() const {
    return MakeUniqueProfileId(dataFolder_, [this](const std::string& id) {
        for (const MacroEntry& entry : entries_) {
            if (entry.id == id) return true;
        }
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(FileOfId(id), ec));
    });
}

MacroListResult MacroList::Add() {
    FolderLock lock(dataFolder_, FolderLock::Purpose::kChange, lockWait_);
    if (MacroListResult locked = Lock(lock); !locked) return locked;
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (entries_.size() >= kMaxMacros) {
        return Refused(MacroListStatus::kFull, "there are already " + std::to_string(entries_.size()) +
                                                   " macros; at most " + std::to_string(kMaxMacros) + " are allowed");
    }
    const std::string name = NewName();
    root[kListKey].append(NewEntry(name, NewId()));
    if (MacroListResult written = WriteList(root); !written) return written;
    return Done(name, entries_.size() - 1);
}

MacroListResult MacroList::Delete(std::size_t index) {
    FolderLock lock(dataFolder_, FolderLock::Purpose::kChange, lockWait_);
    if (MacroListResult locked = Lock(lock); !locked) return locked;
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (MacroListResult checked = CheckIndex(index); !checked) return checked;
    const MacroEntry removed = entries_[index];

    const ProfileFixUpPlan plan = PlanProfileFixUps(dataFolder_, index);
    // The intent first: from here on a crash is completed by the next change.
    if (const FileWriteResult recorded =
            WriteMacroDeleteIntent(dataFolder_, index, removed.id, removed.name, plan.changes);
        !recorded) {
        return Refused(MacroListStatus::kWriteFailed, recorded.error + "; the macro was not deleted");
    }
    Json::Value gone;
    root[kListKey].removeIndex(static_cast<Json::ArrayIndex>(index), &gone);
    if (MacroListResult applied = ApplyDeletion(root, removed, plan.changes); !applied) return applied;
    for (const std::string& problem : plan.problems) notices_.push_back(problem);

    // Earlier versions could give two macros the same id, and so one file.
    bool fileStillUsed = false;
    for (const MacroEntry& entry : entries_) fileStillUsed = fileStillUsed || entry.id == removed.id;
    const std::filesystem::path file = FileOfId(removed.id);
    if (!file.empty() && !fileStillUsed) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        if (ec) notices_.push_back(file.string() + " could not be removed: " + ec.message());
    }
    RemoveMacroDeleteIntent(dataFolder_);
    return Done(removed.name, index);
}

MacroListResult MacroList::ApplyDeletion(const Json::Value& root, const MacroEntry& removed,
                                         const std::vector<ProfileFixUp>& changes) {
    std::size_t written = 0;
    std::string failure;
    for (; written < changes.size(); ++written) {
        const FileWriteResult result = WriteFileAtomically(changes[written].file, changes[written].after);
        if (!result) {
            failure = result.error;
            break;
        }
    }
    if (failure.empty()) {
        if (MacroListResult listed = WriteList(root); !listed) {
            failure = listed.reason;
        } else {
            for (const ProfileFixUp& change : changes) {
                notices_.push_back("the macro keys of " + change.file.filename().string() + " were fixed");
            }
            return {};
        }
    }
    // Undo: the profiles written so far get their old content back.
    bool undone = true;
    for (std::size_t i = 0; i < written; ++i) {
        if (!WriteFileAtomically(changes[i].file, changes[i].before)) undone = false;
    }
    if (undone) {
        RemoveMacroDeleteIntent(dataFolder_);
        return Refused(MacroListStatus::kWriteFailed,
                       failure + "; the macro \"" + removed.name + "\" was not deleted and no key was changed");
    }
    return Refused(MacroListStatus::kWriteFailed,
                   failure + "; the deletion of the macro \"" + removed.name +
                       "\" is recorded and will be completed by the next change to the macros or profiles");
}

MacroListResult MacroList::Rename(std::size_t index, const std::string& name) {
    FolderLock lock(dataFolder_, FolderLock::Purpose::kChange, lockWait_);
    if (MacroListResult locked = Lock(lock); !locked) return locked;
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (MacroListResult checked = CheckIndex(index); !checked) return checked;
    if (IsBlank(name)) return Refused(MacroListStatus::kNameBlank, "the name is blank");
    const std::string validName = ToValidUtf8(name);
    if (HasControlCharacters(validName)) {
        return Refused(MacroListStatus::kNameInvalid, "the name \"" + PrintableText(validName) +
                                                          "\" holds control characters (line ends, tabs or escapes)");
    }
    for (const MacroEntry& entry : entries_) {
        if (EqualsIgnoringCase(entry.name, validName)) {
            MacroListResult taken = Refused(MacroListStatus::kNameTaken, "a macro is named \"" + entry.name + "\"");
            taken.index = static_cast<int>(index);
            return taken;
        }
    }
    Json::Value& element = root[kListKey][static_cast<Json::ArrayIndex>(index)];
    if (!element.isObject()) element = Json::Value(Json::objectValue);
    element[kNameKey] = validName;
    if (MacroListResult written = WriteList(root); !written) return written;
    return Done(validName, index);
}

MacroFileRead MacroList::LoadEvents(std::size_t index) const {
    MacroFileRead read;
    const std::filesystem::path file = MacroFile(index);
    if (file.empty()) {
        read.state = JsonFileState::kUnreadable;
        read.error = index < entries_.size() ? "the macro id \"" + entries_[index].id + "\" cannot name a file"
                                             : "there is no macro " + std::to_string(index);
        return read;
    }
    return ReadMacroFile(file);
}

MacroListResult MacroList::SaveEvents(std::size_t index, const std::vector<MacroEvent>& events) {
    FolderLock lock(dataFolder_, FolderLock::Purpose::kChange, lockWait_);
    if (MacroListResult locked = Lock(lock); !locked) return locked;
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (MacroListResult checked = CheckIndex(index); !checked) return checked;
    const std::filesystem::path file = MacroFile(index);
    if (file.empty()) {
        return Refused(MacroListStatus::kNoFile, "the macro id \"" + entries_[index].id + "\" cannot name a file");
    }
    if (events.size() > kMaxMacroEvents) {
        return Refused(MacroListStatus::kTooManyEvents, std::to_string(events.size()) + " events; at most " +
                                                            std::to_string(kMaxMacroEvents) + " are allowed");
    }
    const MacroEntry& entry = entries_[index];
    if (const FileWriteResult written = WriteMacroFile(file, entry.name, entry.id, events); !written) {
        return Refused(MacroListStatus::kWriteFailed, written.error);
    }
    return Done(entry.name, index);
}

MacroListResult MacroList::Import(const std::filesystem::path& file) {
    std::string bytes;
    std::string error;
    if (!ReadImportableMacroFile(file, bytes, error)) return Refused(MacroListStatus::kBadFile, error);
    FolderLock lock(dataFolder_, FolderLock::Purpose::kChange, lockWait_);
    if (MacroListResult locked = Lock(lock); !locked) return locked;
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (entries_.size() >= kMaxMacros) {
        return Refused(MacroListStatus::kFull,
                       "there are already " + std::to_string(entries_.size()) + " macros; nothing was imported");
    }
    const std::string name = NewName();
    std::string id;
    std::filesystem::path target;
    // The file is created exclusively; an id taken meanwhile is skipped.
    for (int attempt = 0;; ++attempt) {
        id = NewId();
        target = FileOfId(id);
        const FileWriteResult created = CreateFileExclusively(target, bytes);
        if (created) break;
        if (!created.exists || attempt >= 1000) return Refused(MacroListStatus::kWriteFailed, created.error);
    }
    root[kListKey].append(NewEntry(name, id));
    if (MacroListResult written = WriteList(root); !written) {
        std::error_code ec;
        std::filesystem::remove(target, ec);
        return written;
    }
    return Done(name, entries_.size() - 1);
}

MacroListResult MacroList::Export(std::size_t index, const std::filesystem::path& file) const {
    if (MacroListResult checked = CheckIndex(index); !checked) return checked;
    const std::filesystem::path source = MacroFile(index);
    if (source.empty()) {
        return Refused(MacroListStatus::kNoFile, "the macro id \"" + entries_[index].id + "\" cannot name a file");
    }
    const std::string bytes = readjsonFile(source, kMaxMacroFileBytes);
    if (bytes.empty()) {
        const JsonFileRead read = ReadJsonFile(source, kMaxMacroFileBytes);
        return Refused(MacroListStatus::kNoFile, read.state == JsonFileState::kMissing
                                                     ? "the macro \"" + entries_[index].name + "\" has no saved events"
                                                     : read.error);
    }
    if (const FileWriteResult written = WriteExportFile(file, bytes); !written) {
        return Refused(MacroListStatus::kWriteFailed, written.error);
    }
    return Done(entries_[index].name, index);
}

MacroListResult MacroList::ReadAllEvents(std::vector<std::vector<MacroEvent>>& macros) {
    macros.clear();
    FolderLock lock(dataFolder_, FolderLock::Purpose::kRead, lockWait_);
    if (MacroListResult locked = Lock(lock); !locked) return locked;
    if (MacroListResult read = LoadLocked(); !read) return read;
    std::vector<std::vector<MacroEvent>> all;
    all.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::filesystem::path file = MacroFile(i);
        if (file.empty()) {
            return Refused(MacroListStatus::kNoFile, "the macro \"" + entries_[i].name + "\" has the id \"" +
                                                         entries_[i].id + "\", which cannot name a file");
        }
        const JsonFileRead events = ReadJsonFile(file, kMaxMacroFileBytes);
        if (events.state == JsonFileState::kMissing) {
            all.emplace_back();  // a macro whose events were never saved
            continue;
        }
        std::string error = events.error;
        if (events.state == JsonFileState::kParsed && !CheckMacroFileShape(events.value, error)) {
            error = file.string() + ": " + error;
        } else if (events.state == JsonFileState::kParsed) {
            all.push_back(MacroFileFromJson(events.value).events);
            continue;
        }
        return Refused(MacroListStatus::kNoFile,
                       "the macro \"" + entries_[i].name + "\" cannot be read (" + error + ")");
    }
    macros = std::move(all);
    return {};
}

}  // namespace ivra
