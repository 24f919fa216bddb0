// One opened HID top-level collection.
//
// On Linux a channel is one open handle on the interface's node plus the
// parsed view of one of its collections. Reads return only the reports of
// that collection: reports of the node's other collections are skipped
// within the caller's one deadline. Close may run on another thread than a
// blocked Read or Write: it wakes them, and the handle itself is released
// only once the last of them has returned.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/HidBackend.h"
#include "hid/HidDataItem.h"
#include "hid/HidReportDescriptor.h"

namespace ivra {

constexpr int kInfiniteTimeout = -1;

// The collection's capabilities, as Windows reports them.
struct HidCaps {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    HidKindCaps kindCaps[kHidReportKindCount];
};

class HidChannel {
public:
    explicit HidChannel(IHidBackend& backend);
    ~HidChannel();
    HidChannel(const HidChannel&) = delete;
    HidChannel& operator=(const HidChannel&) = delete;

    // Result of the last enumeration done through this channel.
    std::vector<std::string> pathList;
    int32_t pathCount = 0;

    // Flags Reopen opens with. Linux has no share modes: `openExclusive` and
    // `openOverlapped` are kept for callers but do not change the open.
    bool openForRead = false;
    bool openForWrite = false;
    bool openOverlapped = false;
    bool openExclusive = false;
    std::string path;

    // Valid while open (LoadCaps builds them, FreeCaps clears them).
    HidCaps caps;
    HidAttributes attributes;
    std::vector<uint8_t> reportBuffer[kHidReportKindCount];
    std::vector<HidDataItem> dataItems[kHidReportKindCount];
    uint32_t interfaceNumber = 0;
    uint32_t collectionNumber = 0;

    std::atomic<bool> readPending{false};
    std::atomic<bool> writePending{false};

    bool Open(const std::string& newPath, bool wantWrite);
    bool Reopen();
    void Close();
    bool IsOpen() const;

    bool LoadCaps();
    void FreeCaps();

    // One input report of this collection, first byte its report id (0 when
    // the descriptor has none), into buffer (at most length bytes).
    // timeoutMs < 0 waits without limit. False on time-out, close or failure.
    bool Read(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs);
    // Writes one 64-byte output report.
    bool Write(const uint8_t* buffer, size_t& bytesWritten, int timeoutMs);
    // A short output report over the control pipe.
    bool SendOutputReport(const uint8_t* buffer, size_t length);
    // Drops every report queued on the handle (answers to earlier requests and
    // reports of the node's other collections), so that the queue has room
    // for the answer to the next request.
    void DiscardQueuedInput();

    // Why the last Reopen failed (None after a success).
    HidOpenError LastOpenError() const { return lastOpenError_.load(); }
    // The parsed collection while open, else null.
    const HidTopLevelCollection* Collection() const;
    IHidBackend& Backend() const { return backend_; }

private:
    struct OpenState {
        std::shared_ptr<IHidNode> node;
        std::shared_ptr<const HidReportDescriptor> descriptor;
        const HidTopLevelCollection* collection = nullptr;
    };
    OpenState Snapshot() const;

    IHidBackend& backend_;
    mutable std::mutex stateMutex_;
    OpenState state_;
    std::atomic<HidOpenError> lastOpenError_{HidOpenError::None};
};

// Lists the interface paths of every present top-level collection.
bool EnumerateHidPaths(IHidBackend& backend, std::vector<std::string>& out);

}  // namespace ivra
