// The headset's device object; its reports, audio settings and lights fill
// the operations.
#pragma once

#include "drivers/KestrelUSBDevice.h"

namespace ivra {

constexpr const char* kHeadsetListenerExitLine = "MS设备同步线程设定退出";

class KestrelHeadsetDevice : public KestrelUSBDevice {
public:
    using KestrelUSBDevice::KestrelUSBDevice;
    ~KestrelHeadsetDevice() override;

    const char* ClassName() const override { return "KestrelDE6533Device"; }

protected:
    const char* ListenerExitLine() const override { return kHeadsetListenerExitLine; }
};

}  // namespace ivra
