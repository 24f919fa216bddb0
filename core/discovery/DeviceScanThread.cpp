#include "discovery/DeviceScanThread.h"

#include <algorithm>

#include "base/DebugLines.h"
#include "hid/HidPathMarkers.h"

namespace ivra {

DeviceScanThread::DeviceScanThread(IHidBackend& backend, const DeviceCatalogue& catalogue, SlotList& slots,
                                   IOwnerThread& owner, ISlotEvents& events, IClock& clock)
    : backend_(backend), catalogue_(catalogue), slots_(slots), owner_(owner), events_(events), clock_(clock),
      probe_(backend), worker_(debug::kScanExit, kMainThreadStopBoundMs) {}

DeviceScanThread::~DeviceScanThread() {
    Stop();
}

bool DeviceScanThread::Start() {
    return worker_.Start([this, started = false]() mutable {
        if (!started) {
            // Opened before the first enumeration, so that a plug while it
            // runs is reported to the first wait.
            started = true;
            hotPlug_ = backend_.OpenHotPlugSource();
            pacing_ = hotPlug_ ? ScanPacing::Notified : ScanPacing::Polling;
        }
        if (RunPass(worker_.StopToken()) != ScanPassResult::Done) return false;
        return WaitForNextPass();
    });
}

bool DeviceScanThread::WaitForNextPass() {
    if (hotPlug_) {
        const int timeoutMs = retryDue_ ? static_cast<int>(kScanPeriodMs) : -1;
        switch (hotPlug_->WaitForChange(timeoutMs, worker_.StopToken())) {
            case HotPlugWait::Changed:
            case HotPlugWait::TimedOut: return true;
            case HotPlugWait::Stopped: return false;
            case HotPlugWait::Failed:
                // Plugs are no longer reported: poll from now on.
                hotPlug_.reset();
                pacing_ = ScanPacing::Polling;
                break;
        }
    }
    return WaitPollPeriod();
}

bool DeviceScanThread::WaitPollPeriod() {
    // A period after the last pass began, measured on the clock, so that a
    // test clock decides when a poll is due; the thread waits in real time.
    const uint64_t due = passStartMs_ + kScanPeriodMs;
    for (;;) {
        const uint64_t now = clock_.NowMs();
        if (now >= due) return true;
        const uint64_t left = std::min<uint64_t>(due - now, kScanPeriodMs);
        if (!worker_.WaitMs(static_cast<uint32_t>(left))) return false;
    }
}

void DeviceScanThread::Stop() {
    worker_.Stop();
}

ScanPassResult DeviceScanThread::RunPass(std::stop_token stop) {
    ++passes_;
    passStartMs_ = clock_.NowMs();
    retryDue_ = false;
    if (slots_.AnyFree()) {
        if (!EnumerateHidPaths(backend_, probe_.pathList)) return ScanPassResult::EnumerationFailed;
        probe_.pathCount = static_cast<int32_t>(probe_.pathList.size());
        BindPresent(stop);
        probe_.pathList.clear();
        probe_.pathCount = 0;
    }
    if (!firstPassReported_) {
        firstPassReported_ = true;
        owner_.Post([this] { events_.OnFirstPassDone(); });
    }
    if (stop.stop_requested()) return ScanPassResult::Stopped;
    ProbeBound(stop);
    return stop.stop_requested() ? ScanPassResult::Stopped : ScanPassResult::Done;
}

void DeviceScanThread::BindPresent(std::stop_token stop) {
    for (const std::string& path : probe_.pathList) {
        if (path.empty() || stop.stop_requested()) break;
        ProbeCandidate(path, stop);
    }
}

void DeviceScanThread::ProbeCandidate(const std::string& path, std::stop_token stop) {
    const PathIdentity marked = ParsePathIdentity(path);
    if (!catalogue_.FindSlotRowByCollection(marked.vendorId, marked.productId, marked.collectionNumber,
                                            marked.interfaceNumber) ||
        !slots_.HasFreeSlotFor(marked.vendorId, marked.productId, marked.collectionNumber, marked.interfaceNumber)) {
        return;
    }
    if (!probe_.Open(path, false)) {
        // Retried on the next pass; a denied open is told once, so the user
        // learns why the device is not shown.
        const bool denied = probe_.LastOpenError() == HidOpenError::PermissionDenied;
        if (!denied) retryDue_ = true;
        if (denied && deniedReported_.insert(path).second) {
            DeviceSlot candidate;
            candidate.vendorId = marked.vendorId;
            candidate.productId = marked.productId;
            candidate.interfaceNumber = marked.interfaceNumber;
            candidate.collectionNumber = marked.collectionNumber;
            candidate.path = path;
            owner_.Post([this, candidate] { events_.OnAccessDenied(candidate); });
        }
        return;
    }
    DeviceSlot candidate;
    candidate.vendorId = probe_.attributes.vendorId;
    candidate.productId = probe_.attributes.productId;
    candidate.interfaceNumber = marked.interfaceNumber;
    candidate.collectionNumber = marked.collectionNumber;
    candidate.usagePage = probe_.caps.usagePage;
    candidate.usage = probe_.caps.usage;
    probe_.Close();
    const int row = catalogue_.FindSlotRowByUsage(candidate.vendorId, candidate.productId, candidate.collectionNumber,
                                                  candidate.interfaceNumber, candidate.usagePage, candidate.usage);
    if (row >= 0) {
        const DeviceSlot& matched = catalogue_.Slots()[static_cast<size_t>(row)];
        candidate.kind = matched.kind;
        candidate.role = matched.role;
    }
    const int index = slots_.Claim(candidate, path);
    if (index < 0) return;
    owner_.Send([this, index] { events_.OnSlotBound(index); }, stop);
}

void DeviceScanThread::ProbeBound(std::stop_token stop) {
    const std::vector<DeviceSlot> slots = slots_.Snapshot();
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].connected == 0 || stop.stop_requested()) continue;
        if (backend_.IsPresent(slots[i].path)) continue;
        slots_.Release(i);
        owner_.Send([this, i] { events_.OnSlotReleased(static_cast<int>(i)); }, stop);
    }
}

}  // namespace ivra
