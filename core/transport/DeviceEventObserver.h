// Who hears what a device object reports from its own threads (events read
// by its listeners). Called on the listener thread.
#pragma once

#include <cstdint>

namespace ivra {

class KestrelUSBDevice;

class IDeviceEventObserver {
public:
    virtual ~IDeviceEventObserver() = default;
    // A nonzero event code read on the cable (A) or receiver (B) event channel.
    virtual void OnDeviceEvent(KestrelUSBDevice& device, uint16_t code, bool receiverChannel) = 0;
};

}  // namespace ivra
