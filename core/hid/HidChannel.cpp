#include "hid/HidChannel.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "hid/HidPathMarkers.h"

namespace ivra {
namespace {

using SteadyClock = std::chrono::steady_clock;

int RemainingMs(bool infinite, SteadyClock::time_point deadline) {
    if (infinite) return kInfiniteTimeout;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

HidChannel::HidChannel(IHidBackend& backend) : backend_(backend) {}

HidChannel::~HidChannel() {
    Close();
}

bool HidChannel::Open(const std::string& newPath, bool wantWrite) {
    openForRead = true;
    openForWrite = wantWrite;
    openOverlapped = true;
    openExclusive = false;
    path = newPath;
    return Reopen();
}

bool HidChannel::Reopen() {
    Close();
    HidOpenError error = HidOpenError::None;
    std::unique_ptr<IHidNode> node = backend_.Open(path, openForRead, openForWrite, error);
    if (!node) {
        lastOpenError_ = error == HidOpenError::None ? HidOpenError::Other : error;
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        state_.node = std::move(node);
    }
    if (!LoadCaps()) {
        Close();
        lastOpenError_ = HidOpenError::Other;
        return false;
    }
    lastOpenError_ = HidOpenError::None;
    return true;
}

void HidChannel::Close() {
    std::shared_ptr<IHidNode> node;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        node = std::move(state_.node);
        state_ = OpenState{};
    }
    // Wakes a Read or Write still waiting on the node; they hold their own
    // reference, so the handle closes when the last of them lets go.
    if (node) node->Abort();
    FreeCaps();
}

bool HidChannel::IsOpen() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return state_.node != nullptr;
}

HidChannel::OpenState HidChannel::Snapshot() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return state_;
}

const HidTopLevelCollection* HidChannel::Collection() const {
    return Snapshot().collection;
}

bool HidChannel::LoadCaps() {
    std::shared_ptr<IHidNode> node = Snapshot().node;
    if (!node) return false;

    auto descriptor = std::make_shared<HidReportDescriptor>();
    const std::vector<uint8_t>& bytes = node->ReportDescriptor();
    if (!ParseReportDescriptor(bytes.data(), bytes.size(), *descriptor)) return false;

    interfaceNumber = HexAfterMarker(path, "&mi_");
    collectionNumber = HexAfterMarker(path, "&col");
    // Collection 0 names the only collection of a node; otherwise the number
    // is the 1-based position among the node's top-level collections.
    const size_t index = collectionNumber == 0 ? 0 : collectionNumber - 1;
    if (index >= descriptor->collections.size()) return false;
    const HidTopLevelCollection* collection = &descriptor->collections[index];

    attributes = node->Attributes();
    caps = HidCaps{};
    caps.usage = collection->usage;
    caps.usagePage = collection->usagePage;
    caps.inputReportByteLength = static_cast<uint16_t>(collection->ReportByteLength(HidReportKind::Input));
    caps.outputReportByteLength = static_cast<uint16_t>(collection->ReportByteLength(HidReportKind::Output));
    caps.featureReportByteLength = static_cast<uint16_t>(collection->ReportByteLength(HidReportKind::Feature));
    for (int k = 0; k < kHidReportKindCount; ++k) {
        const auto kind = static_cast<HidReportKind>(k);
        caps.kindCaps[k] = CountCaps(*collection, kind);
        reportBuffer[k].assign(collection->ReportByteLength(kind), 0);
        dataItems[k] = BuildDataItems(*collection, kind);
    }

    std::lock_guard<std::mutex> lock(stateMutex_);
    if (state_.node != node) return false;  // closed meanwhile
    state_.descriptor = std::move(descriptor);
    state_.collection = state_.descriptor->collections.data() + index;
    return true;
}

void HidChannel::FreeCaps() {
    caps = HidCaps{};
    attributes = HidAttributes{};
    for (int k = 0; k < kHidReportKindCount; ++k) {
        reportBuffer[k].clear();
        dataItems[k].clear();
    }
}

bool HidChannel::Read(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs) {
    bytesRead = 0;
    const OpenState state = Snapshot();
    if (!state.node || !state.collection || buffer == nullptr || length == 0) return false;
    readPending = true;

    const bool numbered = state.descriptor->usesReportIds;
    const size_t inputLength = state.collection->ReportByteLength(HidReportKind::Input);
    const bool infinite = timeoutMs < 0;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(infinite ? 0 : timeoutMs);

    std::vector<uint8_t> report(std::max(inputLength, kCommandReportSize) + 1);
    bool ok = false;
    for (;;) {
        size_t got = 0;
        uint8_t* target = numbered ? report.data() : report.data() + 1;
        const HidIoResult result =
            state.node->ReadReport(target, report.size() - 1, got, RemainingMs(infinite, deadline));
        if (result != HidIoResult::Ok) break;
        if (!numbered) {
            // Unnumbered reports arrive without an id: give callers the
            // Windows layout, id 0 first and padded to the report length.
            report[0] = 0;
            got = std::max(got + 1, inputLength);
        } else if (got == 0 || !state.collection->HasReportId(HidReportKind::Input, report[0])) {
            continue;  // a report of another collection on this node
        }
        const size_t n = std::min({got, length, report.size()});
        std::memcpy(buffer, report.data(), n);
        bytesRead = n;
        ok = true;
        break;
    }
    readPending = false;
    return ok;
}

bool HidChannel::Write(const uint8_t* buffer, size_t& bytesWritten, int timeoutMs) {
    bytesWritten = 0;
    const OpenState state = Snapshot();
    if (!state.node || buffer == nullptr) return false;
    writePending = true;
    const bool ok = state.node->WriteReport(buffer, kCommandReportSize, timeoutMs) == HidIoResult::Ok;
    if (ok) bytesWritten = kCommandReportSize;
    writePending = false;
    return ok;
}

bool HidChannel::SendOutputReport(const uint8_t* buffer, size_t length) {
    const OpenState state = Snapshot();
    if (!state.node || buffer == nullptr || length == 0) return false;
    return state.node->SendOutputReport(buffer, length) == HidIoResult::Ok;
}

void HidChannel::DiscardQueuedInput() {
    const OpenState state = Snapshot();
    if (state.node) state.node->DiscardQueuedInput();
}

bool EnumerateHidPaths(IHidBackend& backend, std::vector<std::string>& out) {
    out.clear();
    std::vector<HidInterfaceEntry> entries;
    if (!backend.Enumerate(entries)) return false;
    out.reserve(entries.size());
    for (auto& entry : entries) out.push_back(std::move(entry.path));
    return true;
}

const char* DescribeOpenError(HidOpenError error) {
    switch (error) {
        case HidOpenError::None: return "no error";
        case HidOpenError::NotFound: return "the device is no longer present";
        case HidOpenError::PermissionDenied: return "permission denied";
        case HidOpenError::Busy: return "the device is busy";
        case HidOpenError::Other: break;
    }
    return "the device could not be opened";
}

}  // namespace ivra
