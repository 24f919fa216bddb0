// The headset's device object; its reports, audio settings and lights fill
// the operations.
#pragma once

#include "drivers/KestrelUSBDevice.h"

namespace ivra {

class KestrelHeadsetDevice : public KestrelUSBDevice {
public:
    using KestrelUSBDevice::KestrelUSBDevice;
    ~KestrelHeadsetDevice() override;

    const char* ClassName() const override { return "KestrelDE6533Device"; }

protected:
    const char* ListenerExitLine() const override { return debug::kPadOrHeadsetListenerExit; }
};

}  // namespace ivra
