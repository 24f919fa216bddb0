// The mouse pad's device object; its protocol, power panel and lights fill
// the operations.
#pragma once

#include "drivers/KestrelUSBDevice.h"

namespace ivra {

class KestrelMousePadDevice : public KestrelUSBDevice {
public:
    using KestrelUSBDevice::KestrelUSBDevice;
    ~KestrelMousePadDevice() override;

    const char* ClassName() const override { return "KestrelMousePadDevice"; }

protected:
    const char* ListenerExitLine() const override { return debug::kPadOrHeadsetListenerExit; }
};

}  // namespace ivra
