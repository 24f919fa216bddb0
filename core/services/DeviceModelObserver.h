// Who hears what the device model does: the GUI's main window, ivractl's
// `device watch`, the tests. Every call runs on the owner thread except
// OnDeviceEvent, which runs on a device's listener thread.
#pragma once

#include <cstdint>

#include "discovery/DeviceSlot.h"

namespace ivra {

class KestrelUSBDevice;
class SelectorEntry;

class IDeviceModelObserver {
public:
    virtual ~IDeviceModelObserver() = default;
    virtual void OnSlotBound(int /*index*/, const DeviceSlot& /*slot*/) {}
    virtual void OnSlotReleased(int /*index*/, const DeviceSlot& /*slot*/) {}
    virtual void OnEntryChanged(const SelectorEntry& /*entry*/, bool /*shown*/, bool /*selected*/) {}
    virtual void OnNoDeviceNotice(bool /*shown*/) {}
    virtual void OnLinkState(const SelectorEntry& /*entry*/, bool /*linked*/) {}
    virtual void OnSynchronised(const SelectorEntry& /*entry*/) {}
    virtual void OnCableSwitch(const KestrelUSBDevice& /*device*/, bool /*toCable*/, bool /*ok*/) {}
    // A served interface that the user may not open; told once per path.
    virtual void OnAccessDenied(const DeviceSlot& /*candidate*/) {}
    // An arrival asks for the main window to come forward.
    virtual void OnRaiseRequested() {}
    virtual void OnDeviceEvent(const KestrelUSBDevice& /*device*/, uint16_t /*code*/, bool /*receiverChannel*/) {}
};

}  // namespace ivra
