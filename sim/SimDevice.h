// Base of a simulated USB HID device: its identity, its interfaces with their
// report descriptors, and the two directions of traffic: Emit sends an input
// report to every open handle of an interface, OnOutputReport receives what
// the host writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <atomic>
#include <vector>

#include "hid/HidBackend.h"
#include "SimScript.h"

namespace ivra::sim {

class SimAttachment;

struct SimInterface {
    uint16_t number = 0;
    std::vector<uint8_t> descriptor;
};

class SimDevice {
public:
    SimDevice(HidAttributes attributes, std::vector<SimInterface> interfaces);
    virtual ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    // Short name used in messages ("keyboard").
    virtual const char* Kind() const = 0;

    HidAttributes Attributes() const;
    void SetVersionNumber(uint16_t version);
    // Must be set before the device is plugged: the nodes carry the ids.
    void SetProductId(uint16_t productId);
    const std::vector<SimInterface>& Interfaces() const { return interfaces_; }
    const SimInterface* FindInterface(uint16_t number) const;

    // When set, opening any node of the device fails with PermissionDenied.
    void SetPermissionDenied(bool denied) { permissionDenied_.store(denied); }
    bool PermissionDenied() const { return permissionDenied_.load(); }

    bool IsPlugged() const;

    // What happens to the device while a program runs (a device file's
    // "script"); played by SimScriptRunner.
    void SetScript(std::vector<SimScriptStep> steps);
    std::vector<SimScriptStep> Script() const;

    // Sends one input report, as it appears on the wire: starting with the
    // report id when the interface's descriptor numbers its reports. Returns
    // false when the device is not plugged in (the report is lost).
    bool Emit(uint16_t interfaceNumber, const uint8_t* data, size_t length);
    bool Emit(uint16_t interfaceNumber, const std::vector<uint8_t>& report) {
        return Emit(interfaceNumber, report.data(), report.size());
    }

    // Pulls the device's own plug (what a device that resets does).
    void UnplugSelf();

    // Receives one output report written by the host, on the writer's thread
    // and before the write returns. data[0] is the report id (0 when
    // unnumbered). The default ignores it.
    virtual void OnOutputReport(uint16_t interfaceNumber, const uint8_t* data, size_t length);

private:
    friend class SimHidBackend;
    // Called by the backend under its own bookkeeping; false when the device
    // is already attached somewhere.
    bool Attach(const std::shared_ptr<SimAttachment>& attachment);
    void DetachFrom(const SimAttachment* attachment);
    std::shared_ptr<SimAttachment> CurrentAttachment() const;

    mutable std::mutex mutex_;
    HidAttributes attributes_;
    const std::vector<SimInterface> interfaces_;
    std::atomic<bool> permissionDenied_{false};
    std::shared_ptr<SimAttachment> attachment_;
    std::vector<SimScriptStep> script_;
};

}  // namespace ivra::sim
