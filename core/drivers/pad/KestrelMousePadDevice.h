// The mouse pad's device object; its protocol, power panel and lights fill
// the operations.
#pragma once

#include "drivers/KestrelUSBDevice.h"

namespace ivra {

constexpr const char* kPadListenerExitLine = "MS设备同步线程设定退出";

class KestrelMousePadDevice : public KestrelUSBDevice {
public:
    using KestrelUSBDevice::KestrelUSBDevice;
    ~KestrelMousePadDevice() override;

    const char* ClassName() const override { return "KestrelMousePadDevice"; }

protected:
    const char* ListenerExitLine() const override { return kPadListenerExitLine; }
};

}  // namespace ivra
