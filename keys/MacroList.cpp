#include "keys/MacroList.h"

#include <system_error>
#include <utility>

#include "keys/MacroKeyFixUp.h"
#include "profile/JsonHelpers.h"
#include "profile/ProfileId.h"
#include "profile/TextHelpers.h"

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

MacroListResult MacroList::Load() {
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
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (MacroListResult checked = CheckIndex(index); !checked) return checked;
    const MacroEntry removed = entries_[index];
    Json::Value gone;
    root[kListKey].removeIndex(static_cast<Json::ArrayIndex>(index), &gone);
    if (MacroListResult written = WriteList(root); !written) return written;

    const ProfileFixUpReport report = FixUpProfilesAfterMacroDeletion(dataFolder_, index);
    for (const auto& changed : report.changed) {
        notices_.push_back("the macro keys of " + changed.filename().string() + " were fixed");
    }
    for (const std::string& problem : report.problems) notices_.push_back(problem);

    // Earlier versions could give two macros the same id, and so one file.
    bool fileStillUsed = false;
    for (const MacroEntry& entry : entries_) fileStillUsed = fileStillUsed || entry.id == removed.id;
    const std::filesystem::path file = FileOfId(removed.id);
    if (!file.empty() && !fileStillUsed) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        if (ec) notices_.push_back(file.string() + " could not be removed: " + ec.message());
    }
    return Done(removed.name, index);
}

MacroListResult MacroList::Rename(std::size_t index, const std::string& name) {
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (MacroListResult checked = CheckIndex(index); !checked) return checked;
    if (IsBlank(name)) return Refused(MacroListStatus::kNameBlank, "the name is blank");
    for (const MacroEntry& entry : entries_) {
        if (EqualsIgnoringCase(entry.name, name)) {
            MacroListResult taken = Refused(MacroListStatus::kNameTaken, "a macro is named \"" + entry.name + "\"");
            taken.index = static_cast<int>(index);
            return taken;
        }
    }
    Json::Value& element = root[kListKey][static_cast<Json::ArrayIndex>(index)];
    if (!element.isObject()) element = Json::Value(Json::objectValue);
    element[kNameKey] = name;
    if (MacroListResult written = WriteList(root); !written) return written;
    return Done(name, index);
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
    Json::Value root;
    if (MacroListResult read = ReadListForChange(root); !read) return read;
    if (entries_.size() >= kMaxMacros) {
        return Refused(MacroListStatus::kFull, "there are already " + std::to_string(entries_.size()) +
                                                   " macros; nothing was imported");
    }
    const std::string name = NewName();
    const std::string id = NewId();
    const std::filesystem::path target = FileOfId(id);
    if (const FileWriteResult written = WriteFileAtomically(target, bytes); !written) {
        return Refused(MacroListStatus::kWriteFailed, written.error);
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
    if (const FileWriteResult written = WriteFileAtomically(file, bytes); !written) {
        return Refused(MacroListStatus::kWriteFailed, written.error);
    }
    return Done(entries_[index].name, index);
}

}  // namespace ivra
