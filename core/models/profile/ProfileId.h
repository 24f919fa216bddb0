// Profile ids: the local time of creation, "2021_08_21_09_05_07_042"
// (year, month, day, hour, minute, second, millisecond). An id names the
// profile's file (id + ".Json") and is stored in the profile list and in the
// profile file itself.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace ivra {

// The id for a moment, in local time.
std::string FormatProfileId(std::chrono::system_clock::time_point moment);

// The id for now.
std::string MakeProfileId();

// An id for now that no other profile of `folder` uses: when the id is
// already taken (by `isTaken`, or by a file id + ".Json" in the folder), the
// moment is moved on by one millisecond until it is free. Ids keep their
// format, so files made by earlier versions stay valid.
std::string MakeUniqueProfileId(const std::filesystem::path& folder,
                                const std::function<bool(const std::string&)>& isTaken,
                                std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// True when `id` can safely name a file in the data folder: not empty, not
// overlong, without path separators, "..", control characters or NUL.
bool IsSafeProfileId(std::string_view id);

}  // namespace ivra
