#include "base/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <unordered_map>
#include <vector>

namespace ivra {
namespace {

// No file of ours comes near this; larger files are never compared.
constexpr size_t kMaxComparedBytes = 16u * 1024u * 1024u;

std::string Describe(const std::string& what, const std::filesystem::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes, int& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable. Failure here is not fatal: the data is
// already in place, only its survival across a power cut is less certain.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// True when `path` is a regular file holding exactly `bytes`.
bool HoldsExactly(const std::filesystem::path& path, std::string_view bytes) {
    if (bytes.size() > kMaxComparedBytes) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
    if (fd < 0) return false;
    struct stat info {};
    bool same = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                static_cast<unsigned long long>(info.st_size) == bytes.size();
    if (same) {
        std::string content(bytes.size(), '\0');
        size_t done = 0;
        while (done < content.size()) {
            const ssize_t n = ::read(fd, content.data() + done, content.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        same = done == content.size() && content == bytes;
    }
    ::close(fd);
    return same;
}

// ---- What this process wrote last ----------------------------------------

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long changed = 0;  // st_ctim in ns
};

bool StampOf(const std::filesystem::path& path, FileStamp& stamp) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.changed = static_cast<long long>(info.st_ctim.tv_sec) * 1000000000LL + info.st_ctim.tv_nsec;
    return true;
}

std::mutex& OwnWritesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<std::string, FileStamp>& OwnWrites() {
    static std::unordered_map<std::string, FileStamp> writes;
    return writes;
}

std::string Key(const std::filesystem::path& path) {
    return path.lexically_normal().string();
}

void RememberOwnWrite(const std::filesystem::path& path) {
    FileStamp stamp;
    if (!StampOf(path, stamp)) return;
    std::lock_guard<std::mutex> lock(OwnWritesMutex());
    OwnWrites()[Key(path)] = stamp;
}

// ---- Writing ----------------------------------------------------------------

// A complete, synced temporary file beside `path`; its name in `tempPath`.
bool WriteTemporary(const std::filesystem::path& path, std::string_view bytes, mode_t mode, std::string& tempPath,
                    FileWriteResult& result) {
    const std::filesystem::path folder = path.parent_path();
    // A hidden name that no reader of the folder takes for one of its files.
    const std::string pattern = (folder / ("." + path.filename().string() + ".tmp.XXXXXX")).string();
    std::vector<char> tempName(pattern.begin(), pattern.end());
    tempName.push_back('\0');
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0) {
        result.error = Describe("cannot create a temporary file beside", path, errno);
        return false;
    }
    tempPath = tempName.data();
    int error = 0;
    bool ok = WriteAll(fd, bytes, error);
    if (ok && ::fchmod(fd, mode) != 0) {
        // Not fatal: the content is what matters.
    }
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        result.error = Describe("cannot write", path, error);
    }
    return ok;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool HasFileName(const std::filesystem::path& path, FileWriteResult& result) {
    if (path.empty() || !path.has_filename()) {
        result.error = "no file name in \"" + path.string() + "\"";
        return false;
    }
    return true;
}

const char* TypeName(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

}  // namespace

FileWriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    FileWriteResult result;
    if (!HasFileName(path, result)) return result;
    if (HoldsExactly(path, bytes)) {
        result.ok = true;
        return result;
    }
    mode_t mode = 0644;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        mode = NewFileMode();
    }
    std::string tempPath;
    if (!WriteTemporary(path, bytes, mode, tempPath, result)) return result;
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        result.error = Describe("cannot replace", path, error);
        return result;
    }
    SyncFolder(path.parent_path());
    RememberOwnWrite(path);
    result.ok = true;
    return result;
}

FileWriteResult CreateFileExclusively(const std::filesystem::path& path, std::string_view bytes) {
    FileWriteResult result;
    if (!HasFileName(path, result)) return result;
    std::string tempPath;
    if (!WriteTemporary(path, bytes, NewFileMode(), tempPath, result)) return result;
    // link() never replaces: a name taken meanwhile, by anyone, fails here.
    const int linked = ::link(tempPath.c_str(), path.c_str());
    const int error = errno;
    ::unlink(tempPath.c_str());
    if (linked != 0) {
        result.exists = error == EEXIST;
        result.error = Describe(result.exists ? "already exists:" : "cannot create", path, error);
        return result;
    }
    SyncFolder(path.parent_path());
    RememberOwnWrite(path);
    result.ok = true;
    return result;
}

FileWriteResult WriteExportFile(const std::filesystem::path& path, std::string_view bytes) {
    FileWriteResult result;
    if (!HasFileName(path, result)) return result;
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        if (errno != ENOENT) {
            result.error = Describe("cannot examine", path, errno);
            return result;
        }
        result = CreateFileExclusively(path, bytes);
        if (result.exists) result.error = path.string() + " appeared while it was written; nothing was written";
        result.exists = false;
        return result;
    }
    if (S_ISREG(link.st_mode)) return WriteFileAtomically(path, bytes);
    if (S_ISLNK(link.st_mode)) {
        struct stat target {};
        if (::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
            std::error_code ec;
            const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
            if (ec) {
                result.error = "cannot follow the link " + path.string() + ": " + ec.message();
                return result;
            }
            return WriteFileAtomically(resolved, bytes);
        }
        result.error = path.string() + " is a symbolic link to something that is not a regular file; "
                                       "nothing was written";
        return result;
    }
    result.error = path.string() + " is " + TypeName(link.st_mode) +
                   ", not a regular file; nothing was written (choose a file name)";
    return result;
}

bool IsOwnWrite(const std::filesystem::path& path) {
    FileStamp now;
    if (!StampOf(path, now)) return false;
    std::lock_guard<std::mutex> lock(OwnWritesMutex());
    const auto it = OwnWrites().find(Key(path));
    if (it == OwnWrites().end()) return false;
    const FileStamp& mine = it->second;
    return mine.device == now.device && mine.inode == now.inode && mine.size == now.size && mine.changed == now.changed;
}

bool IsTemporaryFileName(std::string_view name) {
    // "." + target name + ".tmp." + the six characters mkstemp chose.
    constexpr std::string_view kMarker = ".tmp.";
    if (name.size() < 1 + 1 + kMarker.size() + 6 || name.front() != '.') return false;
    const size_t marker = name.size() - 6 - kMarker.size();
    if (name.substr(marker, kMarker.size()) != kMarker) return false;
    for (char c : name.substr(name.size() - 6)) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

int RemoveStaleTemporaryFiles(const std::filesystem::path& folder, std::chrono::seconds age) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    const auto now = std::chrono::system_clock::now();
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!IsTemporaryFileName(name)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        const auto modified = std::chrono::system_clock::time_point(
            std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                                            std::chrono::nanoseconds(info.st_mtim.tv_nsec)));
        // A younger one may belong to a write in progress in another process.
        if (now - modified < age) continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace ivra
