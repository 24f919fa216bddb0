// A HID backend whose devices are simulated in-process. Devices can be
// plugged and unplugged at run time from any thread; enumeration, paths,
// opening and reading behave like Linux hidraw (see SimHidNode).
//
// Every plug and unplug is reported to the hot-plug sources the backend
// opened, so discovery over simulated devices does not poll.
//
// Paths look like
//   /sim/hidraw3#vid_320f&pid_506a&mi_01&col04#SIM:320F:506A.0002
// with one hidraw node per interface (the lowest free number, as the kernel
// picks minors) and the attach instance last; the instance grows on every
// plug, so a path enumerated before a re-plug no longer opens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/HidBackend.h"

namespace ivra::sim {

class SimAttachment;
class SimBackendState;
class SimDevice;

using SimDeviceId = uint32_t;
constexpr SimDeviceId kNoSimDevice = 0;

class SimHidBackend final : public IHidBackend {
public:
    SimHidBackend();
    // Unplugs every device: handles still open answer Failed from then on.
    ~SimHidBackend() override;
    SimHidBackend(const SimHidBackend&) = delete;
    SimHidBackend& operator=(const SimHidBackend&) = delete;

    // Plugs a device in. Returns the id of this plugged-in period, or
    // kNoSimDevice when the device is already plugged in (here or elsewhere).
    SimDeviceId Plug(std::shared_ptr<SimDevice> device);
    // Unplugs: every read blocked on the device's handles wakes with Failed
    // and its paths stop being present. False when the id is not plugged.
    bool Unplug(SimDeviceId id);
    // The id of the device's current plugged-in period, or kNoSimDevice.
    SimDeviceId IdOf(const SimDevice& device) const;

    // Instant timing: a read with a finite time-out on an empty queue times
    // out at once instead of waiting, so tests of time-out paths run fast.
    void SetInstantTimeouts(bool on);
    bool InstantTimeouts() const;

    // Real USB timing, for benchmarks: every report written to a device and
    // every report delivered to the host takes `ms` of wall time (at most
    // kMaxReportLatencyMs; 0, the default, is instant). A write waits it out
    // before the device sees the report; a delivered report becomes readable
    // that long after the device sent it. Both waits end when the handle is
    // aborted and hold no lock of the backend.
    static constexpr uint32_t kMaxReportLatencyMs = 1000;
    void SetReportLatencyMs(uint32_t ms);
    uint32_t ReportLatencyMs() const;

    // Readers currently blocked in ReadReport on any handle of this backend.
    size_t BlockedReaders() const;
    // Waits (at most timeoutMs) until at least `count` readers are blocked.
    bool WaitForBlockedReaders(size_t count, int timeoutMs) const;

    bool Enumerate(std::vector<HidInterfaceEntry>& out) override;
    // The path of a present device's collection (the first match); empty
    // when none is present.
    std::string CollectionPath(uint16_t interfaceNumber, uint16_t collectionNumber);
    std::unique_ptr<IHidNode> Open(const std::string& path, bool wantRead, bool wantWrite,
                                   HidOpenError& error) override;
    bool IsPresent(const std::string& path) override;
    std::unique_ptr<IHotPlugSource> OpenHotPlugSource() override;

private:
    struct Plugged {
        SimDeviceId id;
        std::shared_ptr<SimAttachment> attachment;
    };
    struct Shared;

    // The attachment and interface a path names, when still plugged in.
    bool Resolve(const std::string& path, std::shared_ptr<SimAttachment>& attachment, uint16_t& interfaceNumber) const;
    static bool UnplugIn(Shared& shared, SimDeviceId id);
    // Tells every open hot-plug source; the caller holds no lock.
    static void ReportPlugChange(Shared& shared);

    std::shared_ptr<SimBackendState> state_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace ivra::sim
