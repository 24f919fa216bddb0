// The scan thread: a pass binds present interfaces that the catalogue
// serves to free slots (only while some slot is free) and probes the bound
// ones, reporting each change to the owner thread and waiting for it to be
// handled.
//
// Passes run once at start and then whenever the backend's hot-plug source
// reports a plug or unplug; between them the thread sleeps. Where the
// backend has no source (or its source fails) a pass runs every
// kScanPeriodMs, measured on the injected clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <set>
#include <stop_token>
#include <string>

#include <memory>

#include "discovery/DeviceCatalogue.h"
#include "hid/HidChannel.h"
#include "hid/HotPlugSource.h"
#include "base/OwnerThread.h"
#include "discovery/SlotEvents.h"
#include "discovery/SlotList.h"
#include "base/WorkerThread.h"
#include "base/Clock.h"

namespace ivra {

constexpr uint32_t kScanPeriodMs = 100;

enum class ScanPassResult { Done, EnumerationFailed, Stopped };

// What starts the passes after the first one.
enum class ScanPacing {
    NotStarted,
    Notified,  // the hot-plug source's reports
    Polling    // a pass every kScanPeriodMs
};

class DeviceScanThread {
public:
    DeviceScanThread(IHidBackend& backend, const DeviceCatalogue& catalogue, SlotList& slots, IOwnerThread& owner,
                     ISlotEvents& events, IClock& clock = DefaultSystemClock());
    ~DeviceScanThread();
    DeviceScanThread(const DeviceScanThread&) = delete;
    DeviceScanThread& operator=(const DeviceScanThread&) = delete;

    bool Start();
    void Stop();
    bool Running() const { return worker_.Running(); }

    // One pass. Tests call it directly from the owner thread, where the
    // reports run at once.
    ScanPassResult RunPass(std::stop_token stop = {});
    // Passes begun.
    uint64_t PassCount() const { return passes_.load(); }
    // Set by the thread before its first pass.
    ScanPacing Pacing() const { return pacing_.load(); }

private:
    // Waits for the reason to run the next pass; false when stopped.
    bool WaitForNextPass();
    bool WaitPollPeriod();
    void BindPresent(std::stop_token stop);
    void ProbeCandidate(const std::string& path, std::stop_token stop);
    void ProbeBound(std::stop_token stop);

    IHidBackend& backend_;
    const DeviceCatalogue& catalogue_;
    SlotList& slots_;
    IOwnerThread& owner_;
    ISlotEvents& events_;
    IClock& clock_;
    HidChannel probe_;
    // Owned by the thread while it runs.
    std::unique_ptr<IHotPlugSource> hotPlug_;
    // A candidate could not be opened for a reason that may pass (not a
    // denied access, which changes only with a udev event): the next pass
    // comes after kScanPeriodMs even without a report.
    bool retryDue_ = false;
    uint64_t passStartMs_ = 0;
    bool firstPassReported_ = false;
    std::atomic<ScanPacing> pacing_{ScanPacing::NotStarted};
    std::set<std::string> deniedReported_;
    std::atomic<uint64_t> passes_{0};
    WorkerThread worker_;
};

}  // namespace ivra
