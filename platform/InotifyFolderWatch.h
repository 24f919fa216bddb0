// IFolderWatch over inotify: one non-blocking inotify descriptor watching
// one folder for files written, renamed into it, created and removed.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/FolderWatch.h"

namespace ivra {

class InotifyFolderWatch final : public IFolderWatch {
public:
    // Null, with the reason in `error`, when the folder cannot be watched.
    static std::unique_ptr<InotifyFolderWatch> Open(const std::filesystem::path& folder, std::string& error);
    ~InotifyFolderWatch() override;
    InotifyFolderWatch(const InotifyFolderWatch&) = delete;
    InotifyFolderWatch& operator=(const InotifyFolderWatch&) = delete;

    int Descriptor() const override { return fd_; }
    std::vector<std::string> TakeChanges() override;

private:
    explicit InotifyFolderWatch(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace ivra
