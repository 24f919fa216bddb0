// Whole-file writes that never leave a torn file behind: the bytes go to a
// temporary file in the same folder, which is flushed to disk and then
// renamed over the target, and the folder itself is synced so the rename
// survives a power loss. A reader sees either the old file or the new one.
//
// A write whose bytes equal the file's present content is skipped, so a
// program that only reads never changes a file (and works on a read-only or
// full disk). The files this process wrote last are remembered, so a folder
// watcher can tell its own writes from other programs'.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace ivra {

struct FileWriteResult {
    bool ok = false;
    bool exists = false;  // CreateFileExclusively: the target was there already
    std::string error;    // empty when ok; otherwise what failed and why

    explicit operator bool() const { return ok; }
};

// Replaces `path` with `bytes`. The folder must exist. An existing file keeps
// its permission bits; a new one gets 0644 (less the umask). When anything
// fails the old file is left as it was and the temporary file is removed.
// When the file already holds exactly `bytes`, nothing is written.
FileWriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Creates `path` with `bytes` only when nothing has that name yet: the
// complete temporary file is linked to the name, which fails when the name
// is taken (`exists` is then set). Never replaces anything.
FileWriteResult CreateFileExclusively(const std::filesystem::path& path, std::string_view bytes);

// Writes a file the user named (an export): a missing target is created; a
// regular file is replaced atomically; a symbolic link to a regular file is
// written through to that file, keeping the link. Anything else (a FIFO, a
// device, a folder, a socket, a dangling link) is refused untouched.
FileWriteResult WriteExportFile(const std::filesystem::path& path, std::string_view bytes);

// True when `path` is, as it stands, the file this process last wrote there
// (same inode, size and change time): a change seen on it is our own.
bool IsOwnWrite(const std::filesystem::path& path);

// Removes the temporary files our atomic writes leave behind when a process
// dies between creating and renaming them (".NAME.tmp.XXXXXX") that are
// older than `age`; other files are never touched. How many were removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder, std::chrono::seconds age);

// Whether `name` has the form of one of those temporary files.
bool IsTemporaryFileName(std::string_view name);

}  // namespace ivra
