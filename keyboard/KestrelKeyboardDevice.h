// The keyboard's device object. So far it adds the hand-off of the cable
// listener's key events (0x05xx and 0x06xx) to a keyboard operation; its
// protocol, settings and lights fill the other operations.
#pragma once

#include <atomic>

#include "device/KestrelUSBDevice.h"

namespace ivra {

class CKestrelKeyboardDevice : public CKestrelUSBDevice {
public:
    using CKestrelUSBDevice::CKestrelUSBDevice;
    ~CKestrelKeyboardDevice() override;

    bool QueryLink() override { return QueryReceiverLinkOfTransport(); }

    const char* ClassName() const override { return "KestrelKeyboardDevice"; }

    // A key event reported by the keyboard: (code - 0x0500, 1) for 0x05xx,
    // (code - 0x0600, 2) for 0x06xx. Runs on the cable listener's thread.
    virtual void OnKeyboardOperation(int value, int type);

    // The last operation handed over, for the page and the tests.
    std::atomic<int> lastOperationValue{-1};
    std::atomic<int> lastOperationType{0};

protected:
    void OnKindEvent(uint16_t code, bool receiverChannel) override;
};

}  // namespace ivra
