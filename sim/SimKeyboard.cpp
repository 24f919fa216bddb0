#include "SimKeyboard.h"

#include "SimKeyboardLayout.h"
#include "SimReportDescriptors.h"

namespace ivra::sim {

SimKeyboard::SimKeyboard()
    : SimDevice(HidAttributes{kKeyboardVendorId, kKeyboardProductId, kKeyboardVersionNumber},
                {SimInterface{kKeyboardBootInterface, KeyboardInterface0Descriptor()},
                 SimInterface{kKeyboardCommandInterface, KeyboardInterface1Descriptor()}}) {
    firmware_.SetMemory(SimKeyboardFactoryMemory());
}

bool SimKeyboard::EmitEvent(uint16_t code) {
    const uint8_t press[] = {kConsumerEventReportId, static_cast<uint8_t>(code & 0xFF),
                             static_cast<uint8_t>(code >> 8)};
    const uint8_t release[] = {kConsumerEventReportId, 0x00, 0x00};
    return Emit(kKeyboardCommandInterface, press, sizeof press) &&
           Emit(kKeyboardCommandInterface, release, sizeof release);
}

bool SimKeyboard::PressKey(uint8_t deviceKey) {
    return EmitEvent(static_cast<uint16_t>(kKeyPressEventBase + deviceKey));
}

bool SimKeyboard::ReleaseKey(uint8_t deviceKey) {
    return EmitEvent(static_cast<uint16_t>(kKeyReleaseEventBase + deviceKey));
}

bool SimKeyboard::ChangeSettingsOnDevice(const std::vector<uint8_t>& record) {
    bool stored = false;
    firmware_.ModifyMemory(
        [&](SimFirmwareMemory& memory) { stored = memory.StoreSettingsRecord(memory.ActiveSlot(), record); });
    return stored && EmitEvent(kReadBackRequestEvent);
}

bool SimKeyboard::SwitchSlot(uint8_t slot) {
    if (slot >= SimFirmwareMemory::kSettingsSlots) return false;
    firmware_.ModifyMemory([slot](SimFirmwareMemory& memory) { memory.data[0] = slot; });
    return EmitEvent(static_cast<uint16_t>(kSlotEventBase + slot));
}

void SimKeyboard::OnOutputReport(uint16_t interfaceNumber, const uint8_t* data, size_t length) {
    if (interfaceNumber != kKeyboardCommandInterface || length == 0 || data[0] != kVendorCommandReportId) {
        ++otherOutputReports_;
        return;
    }
    // The firmware's lock is released before the answers go out, so a reader
    // woken by them can write again at once.
    const SimFirmwareReply reply = firmware_.Receive(data, length);
    for (const Frame& answer : reply.answers) {
        Emit(kKeyboardCommandInterface, answer.data(), answer.size());
    }
    if (reply.unplug) UnplugSelf();
}

}  // namespace ivra::sim
