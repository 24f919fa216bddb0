// The macros of one device kind: the list file "macro.config" and one file
// per macro (id + ".mac") in the kind's data folder, and the operations on
// them (load, add, delete, rename, load and save events, import, export).
//
//   { "MacroInfo": [ { "MacroName": "macro_1", "Guid": "2021_08_21_09_05_07_042" }, ... ] }
//
// The position of a macro in "MacroInfo" is its macro index, the byte 1 of a
// macro key assignment. Entries are therefore never dropped or reordered
// except by a delete, which fixes the key assignments of every profile.
//
// Every operation reads the list file again before it changes anything, so
// edits made by other code in between survive, and holds the folder's lock
// (FolderLock.h) from that read to its last write. Files are written
// atomically; a delete records its intent first (MacroDeleteIntent.h), so the
// list and the keys of the profiles never disagree. A list file that exists
// but cannot be read is never written through. An id that could not safely name a file (a path separator, "..")
// keeps its entry and position but is never used as a path.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "models/keys/MacroEvent.h"
#include "models/keys/MacroFile.h"
#include "models/keys/MacroKeyFixUp.h"
#include "models/profile/FolderLock.h"

namespace ivra {

enum class MacroListStatus {
    kDone,
    kFull,            // the list already holds 50 macros
    kNoSuchMacro,     // the index is not in the list
    kNameBlank,       // empty or white space only
    kNameTaken,       // a macro has the name already (compared without case)
    kListUnreadable,  // "macro.config" exists but cannot be read; it is left alone
    kBadFile,         // a file offered for import was refused
    kNoFile,          // the macro has no usable file (no events saved, or an unsafe id)
    kTooManyEvents,   // more than 4000 events
    kWriteFailed,
    kNameInvalid,  // the name holds control characters
    kBusy,         // another process holds the folder's lock
};

struct MacroListResult {
    MacroListStatus status = MacroListStatus::kDone;
    std::string reason;  // for the user, when refused
    std::string name;    // the macro's name after the operation
    int index = -1;      // the affected macro index

    explicit operator bool() const { return status == MacroListStatus::kDone; }
};

struct MacroEntry {
    std::string name;
    std::string id;
};

class MacroList {
public:
    static constexpr std::size_t kMaxMacros = 50;
    static constexpr const char* kListFileName = "macro.config";

    // `dataFolder` is the kind's data folder; it must exist.
    explicit MacroList(std::filesystem::path dataFolder);

    // How long an operation waits for another process's hold of the folder's lock.
    void SetLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // Reads "macro.config". A missing file is an empty list; the first add
    // creates it.
    MacroListResult Load();

    // The entries as last read, in list order.
    const std::vector<MacroEntry>& Entries() const { return entries_; }
    std::vector<std::string> Names() const;
    std::size_t Count() const { return entries_.size(); }

    std::filesystem::path ListFile() const;
    // The macro's file; empty when the index is out of range or its id is
    // not safe to use as a file name.
    std::filesystem::path MacroFile(std::size_t index) const;

    // Adds "macro_N" with the smallest N whose name no macro has (compared
    // without case) and a new unique id. No macro file is written until
    // events are saved.
    MacroListResult Add();

    // Removes the macro, fixes the key assignments of every profile of the
    // kind (see MacroKeyFixUp.h) and deletes its file, unless another entry
    // still names the same file. When a profile or the list cannot be
    // written, the files already written get their old content back and the
    // result names what failed; should even that fail, the recorded intent
    // completes the deletion at the next change of the folder.
    MacroListResult Delete(std::size_t index);

    // The new name must differ, without regard to case, from every name in
    // the list, the macro's own included.
    MacroListResult Rename(std::size_t index, const std::string& name);

    // The macro's events; a missing file is a macro without events.
    MacroFileRead LoadEvents(std::size_t index) const;

    // Writes the macro's file with its current name and id.
    MacroListResult SaveEvents(std::size_t index, const std::vector<MacroEvent>& events);

    // Adds a macro as Add does, with a copy of `file` as its macro file. The
    // file is checked first (see ReadImportableMacroFile); with 50 macros, or
    // a file that is refused, nothing changes.
    MacroListResult Import(const std::filesystem::path& file);

    // Copies the macro's file to `file` (its folder must exist); a target
    // that is not a regular file (or a link to one) is refused.
    MacroListResult Export(std::size_t index, const std::filesystem::path& file) const;

    // The events of every macro, in list order, as a device is sent them: a
    // missing list is no macros and a missing macro file a macro without
    // events, but a list or a macro file that exists and cannot be read (a
    // FIFO, too big, empty, not JSON, nested too deep, not a macro) refuses,
    // naming the file, so that nothing partial is ever sent.
    MacroListResult ReadAllEvents(std::vector<std::vector<MacroEvent>>& macros);

    // What the last operations noticed (profiles fixed or left alone after a
    // delete, a macro file that could not be removed); cleared by TakeNotices.
    std::vector<std::string> TakeNotices();

private:
    MacroListResult ReadList(Json::Value& root) const;
    // Reads the list into entries_ (the lock held by the caller).
    MacroListResult LoadLocked();
    MacroListResult ReadListForChange(Json::Value& root);
    MacroListResult WriteList(const Json::Value& root);
    void Adopt(const Json::Value& root);
    MacroListResult CheckIndex(std::size_t index) const;
    MacroListResult Lock(FolderLock& lock);
    // Writes the fixed profiles and the list; on failure puts back what was written.
    MacroListResult ApplyDeletion(const Json::Value& root, const MacroEntry& removed,
                                  const std::vector<ProfileFixUp>& changes);
    std::string NewName() const;
    std::string NewId() const;
    std::filesystem::path FileOfId(const std::string& id) const;

    std::filesystem::path dataFolder_;
    std::vector<MacroEntry> entries_;
    std::vector<std::string> notices_;
    std::chrono::milliseconds lockWait_ = FolderLock::kDefaultWait;
};

}  // namespace ivra
