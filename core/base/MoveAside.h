// Keeping a file that cannot be used instead of overwriting it: the file is
// renamed within its folder to "<name>.unreadable-<local time>" (with a
// counter when that name is taken), so the user can still recover it.
#pragma once

#include <filesystem>
#include <string>

namespace ivra {

// The new path, or an empty path (and the reason in `error`) when the file
// could not be renamed.
std::filesystem::path MoveFileAside(const std::filesystem::path& path, std::string& error);

}  // namespace ivra
