// The scan thread: every 100 ms it binds present interfaces that the
// catalogue serves to free slots (only while some slot is free) and probes
// the bound ones, reporting each change to the owner thread and waiting for
// it to be handled.
#pragma once

#include <atomic>
#include <cstdint>
#include <set>
#include <stop_token>
#include <string>

#include "device/DeviceCatalogue.h"
#include "device/HidChannel.h"
#include "device/OwnerThread.h"
#include "device/SlotEvents.h"
#include "device/SlotList.h"
#include "device/WorkerThread.h"

namespace ivra {

constexpr const char* kScanExitLine = "抓取设备线程设定退出";
constexpr uint32_t kScanPeriodMs = 100;

enum class ScanPassResult { Done, EnumerationFailed, Stopped };

class DeviceScanThread {
public:
    DeviceScanThread(IHidBackend& backend, const DeviceCatalogue& catalogue, SlotList& slots,
                     IOwnerThread& owner, ISlotEvents& events);
    ~DeviceScanThread();
    DeviceScanThread(const DeviceScanThread&) = delete;
    DeviceScanThread& operator=(const DeviceScanThread&) = delete;

    bool Start();
    void Stop();
    bool Running() const { return worker_.Running(); }

    // One pass; the thread runs one every kScanPeriodMs. Tests call it
    // directly from the owner thread, where the reports run at once.
    ScanPassResult RunPass(std::stop_token stop = {});
    uint64_t PassCount() const { return passes_.load(); }

private:
    void BindPresent(std::stop_token stop);
    void ProbeCandidate(const std::string& path, std::stop_token stop);
    void ProbeBound(std::stop_token stop);

    IHidBackend& backend_;
    const DeviceCatalogue& catalogue_;
    SlotList& slots_;
    IOwnerThread& owner_;
    ISlotEvents& events_;
    CHidChannel probe_;
    std::set<std::string> deniedReported_;
    std::atomic<uint64_t> passes_{0};
    WorkerThread worker_;
};

}  // namespace ivra
