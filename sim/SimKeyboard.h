// The simulated wireless keyboard: a boot keyboard on interface 0 and, on
// interface 1, the keyboard, system control, consumer event and vendor
// command collections (see SimReportDescriptors.h). Command frames written to
// interface 1 are answered by a SimCommandFirmware.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "sim/SimCommandFirmware.h"
#include "sim/SimDevice.h"

namespace ivra::sim {

constexpr uint16_t kKeyboardVendorId = 0x320F;
constexpr uint16_t kKeyboardProductId = 0x506A;
constexpr uint16_t kKeyboardVersionNumber = 0x0100;
constexpr uint16_t kKeyboardBootInterface = 0;
constexpr uint16_t kKeyboardCommandInterface = 1;

class SimKeyboard final : public SimDevice {
public:
    SimKeyboard();

    const char* Kind() const override { return "keyboard"; }

    SimCommandFirmware& Firmware() { return firmware_; }
    SimFaultScript& Faults() { return firmware_.Faults(); }

    // Sends a consumer event (report id 3, code low byte first) on interface
    // 1, then the release report (code 0) a consumer control sends after it.
    // False when the keyboard is not plugged in.
    bool EmitEvent(uint16_t code);

    void OnOutputReport(uint16_t interfaceNumber, const uint8_t* data, size_t length) override;

    // Output reports that were not command frames (e.g. keyboard LEDs).
    uint64_t OtherOutputReports() const { return otherOutputReports_.load(); }

private:
    SimCommandFirmware firmware_;
    std::atomic<uint64_t> otherOutputReports_{0};
};

}  // namespace ivra::sim
