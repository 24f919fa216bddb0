// Reading and writing JSON files, and reading values of the types a caller
// expects. Files are read whole and written whole (atomically); every reader
// here turns a wrong type, a missing key or a broken file into a null value
// or a default instead of letting the JSON library throw.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <json/value.h>

#include "base/AtomicFile.h"

namespace ivra {

// Files larger than this are not read: no configuration file comes near it,
// and it keeps a hostile file from exhausting memory.
constexpr std::size_t kMaxJsonFileBytes = 16u * 1024u * 1024u;

// Objects and arrays nested deeper than this are rejected when parsing.
constexpr unsigned kMaxJsonDepth = 128;

// The whole content of a regular file, or "" when it cannot be opened, is not
// a regular file (a FIFO or a device would block or never end), is larger
// than `maxBytes`, or cannot be read completely. Writes the system's trace
// line with the last error code.
std::string readjsonFile(const std::filesystem::path& path, std::size_t maxBytes = kMaxJsonFileBytes);

// The same checked read for files that are not JSON (settings, device
// files): true with the whole content, or false with the reason ("not a
// regular file", "larger than the size limit", the system's error text) in
// `error`; `missing` says whether there was no file at all.
bool ReadRegularFileText(const std::filesystem::path& path, std::size_t maxBytes, std::string& content,
                         std::string& error, bool* missing = nullptr);

enum class JsonFileState {
    kParsed,      // the file exists and holds valid JSON
    kMissing,     // there is no file
    kUnreadable,  // there is something, but it cannot be read or parsed
};

struct JsonFileRead {
    JsonFileState state = JsonFileState::kMissing;
    Json::Value value;  // null unless kParsed
    std::string error;  // why the file is unreadable
};

// Reads and parses a file and says which of the three cases it met.
JsonFileRead ReadJsonFile(const std::filesystem::path& path, std::size_t maxBytes = kMaxJsonFileBytes);

// The file's root value, or null when the file is missing or unreadable.
Json::Value ReadJson(const std::filesystem::path& path);

// Parses JSON text (comments allowed, nesting bounded); null and false in
// `ok` when the text is not valid JSON.
Json::Value ParseJson(std::string_view text, bool* ok = nullptr, std::string* error = nullptr);

// The indented layout every file of the system is written in, ending in a
// line end. Text is kept as UTF-8.
std::string StyledJson(const Json::Value& value);

// Writes the styled text of `value` to `path` atomically.
FileWriteResult WriteJson(const std::filesystem::path& path, const Json::Value& value);

// `object[key]` when `object` is an object holding `key`; a null value
// otherwise (never throws, never adds the key).
const Json::Value& MemberOf(const Json::Value& object, const char* key);

// `array[index]` when `array` is an array that long; a null value otherwise.
const Json::Value& ElementOf(const Json::Value& array, long long index);

// The member's text when it is a string; "" otherwise.
std::string StringMember(const Json::Value& object, const char* key);

// The member's value when it is an integer that fits into an int.
std::optional<int> IntMember(const Json::Value& object, const char* key);

}  // namespace ivra
