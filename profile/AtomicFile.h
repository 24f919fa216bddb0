// Whole-file writes that never leave a torn file behind: the bytes go to a
// temporary file in the same folder, which is flushed to disk and then
// renamed over the target, and the folder itself is synced so the rename
// survives a power loss. A reader sees either the old file or the new one.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ivra {

struct FileWriteResult {
    bool ok = false;
    std::string error;  // empty when ok; otherwise what failed and why

    explicit operator bool() const { return ok; }
};

// Replaces `path` with `bytes`. The folder must exist. An existing file keeps
// its permission bits; a new one gets 0644 (less the umask). When anything
// fails the old file is left as it was and the temporary file is removed.
FileWriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace ivra
