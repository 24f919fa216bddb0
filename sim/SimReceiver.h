// The simulated 2.4 GHz receiver of the keyboard: a second USB device with
// the keyboard's interfaces and its own product id. While the link is up it
// forwards command frames to the keyboard's firmware and returns the
// answers; while it is down frames are lost. It answers the 0xAA link query
// itself from its scriptable link state.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "SimCommandFirmware.h"
#include "SimDevice.h"
#include "SimKeyboard.h"

namespace ivra::sim {

constexpr uint16_t kReceiverProductId = 0x506B;

class SimReceiver final : public SimDevice {
public:
    explicit SimReceiver(std::shared_ptr<SimKeyboard> keyboard, uint16_t productId = kReceiverProductId);

    const char* Kind() const override { return "receiver"; }

    void SetLinked(bool linked);
    bool Linked() const { return linked_.load(); }
    // Sends a consumer event (and its release) on the receiver's interface 1.
    bool EmitEvent(uint16_t code);
    uint64_t ForwardedFrames() const { return forwarded_.load(); }

    void OnOutputReport(uint16_t interfaceNumber, const uint8_t* data, size_t length) override;

private:
    std::shared_ptr<SimKeyboard> keyboard_;
    SimCommandFirmware linkFirmware_;  // answers the link query
    std::atomic<bool> linked_{true};
    std::atomic<uint64_t> forwarded_{0};
};

}  // namespace ivra::sim
