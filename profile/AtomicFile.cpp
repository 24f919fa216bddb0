#include "profile/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace ivra {
namespace {

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

}  // namespace

FileWriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    FileWriteResult result;
    if (path.empty() || !path.has_filename()) {
        result.error = "no file name in \"" + path.string() + "\"";
        return result;
    }
    const std::filesystem::path folder = path.parent_path();
    // A hidden name that no reader of the folder takes for one of its files.
    const std::string pattern =
        (folder / ("." + path.filename().string() + ".tmp.XXXXXX")).string();
    std::vector<char> tempName(pattern.begin(), pattern.end());
    tempName.push_back('\0');
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0) {
        result.error = Describe("cannot create a temporary file beside", path, errno);
        return result;
    }
    const std::string tempPath(tempName.data());
    int error = 0;
    mode_t mode = 0644;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
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
        return result;
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        error = errno;
        ::unlink(tempPath.c_str());
        result.error = Describe("cannot replace", path, error);
        return result;
    }
    SyncFolder(folder);
    result.ok = true;
    return result;
}

}  // namespace ivra
