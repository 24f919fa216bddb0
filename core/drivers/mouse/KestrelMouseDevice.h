// The mouse's device object. So far it adds the active DPI stage that the
// mouse reports with its 0x11xx events; its protocol, settings and page
// fill the other operations.
#pragma once

#include <atomic>

#include "drivers/KestrelUSBDevice.h"

namespace ivra {

class KestrelMouseDevice : public KestrelUSBDevice {
public:
    using KestrelUSBDevice::KestrelUSBDevice;
    ~KestrelMouseDevice() override;

    bool QueryLink() override { return QueryReceiverLinkOfTransport(); }

    const char* ClassName() const override { return "KestrelMouseDevice"; }

    std::atomic<int> activeDpiStage{0};

protected:
    void OnActiveProfileEvent(uint16_t code) override;
};

}  // namespace ivra
