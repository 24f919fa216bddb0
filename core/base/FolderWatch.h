// Watching a kind's data folder for changes made by other programs, so that
// an open window can show what an ivractl process (or a second window)
// changed. The Linux implementation is platform/InotifyFolderWatch.h; a user
// interface waits on Descriptor() with its own event loop and calls
// TakeChanges() when it is readable, so nothing wakes while nothing changes.
#pragma once

#include <string>
#include <vector>

namespace ivra {

class IFolderWatch {
public:
    virtual ~IFolderWatch() = default;
    // Readable while changes are waiting.
    virtual int Descriptor() const = 0;
    // The names (within the folder) of the files created, replaced or removed
    // since the last call, each once; hidden names (temporary files, the
    // lock) are left out. "*" stands for "anything may have changed" (the
    // kernel dropped events). Never blocks.
    virtual std::vector<std::string> TakeChanges() = 0;
};

}  // namespace ivra
