#include "base/JsonHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>

#include <json/reader.h>
#include <json/writer.h>

#include "base/DebugLines.h"
#include "base/DebugOutput.h"

namespace ivra {
namespace {

const Json::Value& NullValue() {
    static const Json::Value null;
    return null;
}

// Reads a whole regular file; errno-style code in `error` on failure.
bool ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& out, int& error,
                     bool& missing) {
    missing = false;
    // Non-blocking so that opening a FIFO without a writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = errno;
        missing = error == ENOENT || error == ENOTDIR;
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) error = errno;
    if (ok && !S_ISREG(info.st_mode)) {
        error = EINVAL;
        ok = false;
    }
    if (ok && static_cast<unsigned long long>(info.st_size) > maxBytes) {
        error = EFBIG;
        ok = false;
    }
    if (ok) {
        const auto size = static_cast<std::size_t>(info.st_size);
        out.assign(size, '\0');
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, out.data() + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        // Exactly the length found, or the file changed under us.
        if (done != size) {
            error = EIO;
            ok = false;
        } else {
            error = 0;
        }
    }
    ::close(fd);
    if (!ok) out.clear();
    return ok;
}

std::string ErrorText(int error) {
    if (error == EINVAL) return "not a regular file";
    if (error == EFBIG) return "larger than the size limit";
    return std::strerror(error);
}

}  // namespace

std::string readjsonFile(const std::filesystem::path& path, std::size_t maxBytes) {
    std::string bytes;
    int error = 0;
    bool missing = false;
    ReadRegularFile(path, maxBytes, bytes, error, missing);
    DebugLine(debug::kJsonReadResult + std::to_string(error));
    return bytes;
}

bool ReadRegularFileText(const std::filesystem::path& path, std::size_t maxBytes, std::string& content,
                         std::string& error, bool* missing) {
    int code = 0;
    bool absent = false;
    const bool read = ReadRegularFile(path, maxBytes, content, code, absent);
    if (missing != nullptr) *missing = absent;
    error = read ? std::string() : ErrorText(code);
    return read;
}

Json::Value ParseJson(std::string_view text, bool* ok, std::string* error) {
    if (ok) *ok = false;
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["stackLimit"] = kMaxJsonDepth;
    Json::Value root;
    std::string errors;
    try {
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            if (error) *error = errors.empty() ? "not valid JSON" : errors;
            return Json::Value();
        }
    } catch (const std::exception& e) {
        // Nesting beyond the limit is reported by throwing.
        if (error) *error = e.what();
        return Json::Value();
    }
    if (ok) *ok = true;
    return root;
}

JsonFileRead ReadJsonFile(const std::filesystem::path& path, std::size_t maxBytes) {
    JsonFileRead result;
    std::string bytes;
    int error = 0;
    bool missing = false;
    const bool read = ReadRegularFile(path, maxBytes, bytes, error, missing);
    DebugLine(debug::kJsonReadResult + std::to_string(error));
    if (!read) {
        result.state = missing ? JsonFileState::kMissing : JsonFileState::kUnreadable;
        if (!missing) result.error = path.string() + ": " + ErrorText(error);
        return result;
    }
    bool parsed = false;
    std::string parseError;
    result.value = ParseJson(bytes, &parsed, &parseError);
    if (!parsed) {
        result.state = JsonFileState::kUnreadable;
        result.error = path.string() + ": " + (bytes.empty() ? "empty file" : parseError);
        return result;
    }
    result.state = JsonFileState::kParsed;
    return result;
}

Json::Value ReadJson(const std::filesystem::path& path) {
    JsonFileRead read = ReadJsonFile(path);
    if (read.state != JsonFileState::kParsed) {
        DebugLine(path.string());
        return Json::Value();
    }
    return std::move(read.value);
}

std::string StyledJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value) + "\n";
}

FileWriteResult WriteJson(const std::filesystem::path& path, const Json::Value& value) {
    return WriteFileAtomically(path, StyledJson(value));
}

const Json::Value& MemberOf(const Json::Value& object, const char* key) {
    if (!object.isObject()) return NullValue();
    const Json::Value* found = object.find(key, key + std::strlen(key));
    return found ? *found : NullValue();
}

const Json::Value& ElementOf(const Json::Value& array, long long index) {
    if (!array.isArray() || index < 0 || index >= static_cast<long long>(array.size())) {
        return NullValue();
    }
    return array[static_cast<Json::ArrayIndex>(index)];
}

std::string StringMember(const Json::Value& object, const char* key) {
    const Json::Value& value = MemberOf(object, key);
    return value.isString() ? value.asString() : std::string();
}

std::optional<int> IntMember(const Json::Value& object, const char* key) {
    const Json::Value& value = MemberOf(object, key);
    if (!value.isInt()) return std::nullopt;
    return value.asInt();
}

}  // namespace ivra
