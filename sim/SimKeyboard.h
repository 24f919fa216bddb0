// The simulated wireless keyboard: a boot keyboard on interface 0 and, on
// interface 1, the keyboard, system control, consumer event and vendor
// command collections (see SimReportDescriptors.h). Command frames written to
// interface 1 are answered by a SimCommandFirmware, which starts with the
// default keyboard's memory (SimKeyboardLayout.h).
//
// What the user does on the keyboard itself reaches the host as events on
// the consumer event collection: key presses and releases, light settings
// changed with the keyboard's own keys, another settings slot chosen.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "SimCommandFirmware.h"
#include "SimDevice.h"

namespace ivra::sim {

constexpr uint16_t kKeyboardVendorId = 0x320F;
constexpr uint16_t kKeyboardProductId = 0x506A;
constexpr uint16_t kKeyboardVersionNumber = 0x0100;
constexpr uint16_t kKeyboardBootInterface = 0;
constexpr uint16_t kKeyboardCommandInterface = 1;

// Event codes the keyboard sends on its consumer event collection.
constexpr uint16_t kReadBackRequestEvent = 0x0401;
constexpr uint16_t kKeyPressEventBase = 0x0500;
constexpr uint16_t kKeyReleaseEventBase = 0x0600;
constexpr uint16_t kSlotEventBase = 0x1000;

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

    // Key `deviceKey` (the keyboard's own key index) pressed: event
    // 0x0500 + index; released: 0x0600 + index.
    bool PressKey(uint8_t deviceKey);
    bool ReleaseKey(uint8_t deviceKey);
    // The user changed the lights with the keyboard's keys: bytes 1.. of
    // `record` (a settings record, at most 26 bytes) become the active
    // slot's record, then the keyboard asks the host to read its settings
    // back (event 0x0401). False, and nothing changed, for a longer record
    // or an active slot (data byte 0) past 15; false after the change when
    // the keyboard is not plugged in.
    bool ChangeSettingsOnDevice(const std::vector<uint8_t>& record);
    // The user chose settings slot `slot` (0..15): byte 0 of data memory
    // becomes `slot`, then event 0x1000 + slot. False, and nothing changed,
    // for a slot past 15; false after the change when not plugged in.
    bool SwitchSlot(uint8_t slot);

    void OnOutputReport(uint16_t interfaceNumber, const uint8_t* data, size_t length) override;

    // Output reports that were not command frames (e.g. keyboard LEDs).
    uint64_t OtherOutputReports() const { return otherOutputReports_.load(); }

private:
    SimCommandFirmware firmware_;
    std::atomic<uint64_t> otherOutputReports_{0};
};

}  // namespace ivra::sim
