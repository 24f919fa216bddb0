#include "SimReceiver.h"

#include "SimReportDescriptors.h"

namespace ivra::sim {

SimReceiver::SimReceiver(std::shared_ptr<SimKeyboard> keyboard, uint16_t productId)
    : SimDevice(HidAttributes{kKeyboardVendorId, productId, kKeyboardVersionNumber},
                {SimInterface{kKeyboardBootInterface, KeyboardInterface0Descriptor()},
                 SimInterface{kKeyboardCommandInterface, KeyboardInterface1Descriptor()}}),
      keyboard_(std::move(keyboard)) {}

void SimReceiver::SetLinked(bool linked) {
    linked_ = linked;
    linkFirmware_.ModifyMemory([linked](SimFirmwareMemory& memory) { memory.receiverLinked = linked; });
}

bool SimReceiver::EmitEvent(uint16_t code) {
    const uint8_t press[] = {kConsumerEventReportId, static_cast<uint8_t>(code & 0xFF),
                             static_cast<uint8_t>(code >> 8)};
    const uint8_t release[] = {kConsumerEventReportId, 0x00, 0x00};
    return Emit(kKeyboardCommandInterface, press, sizeof press) &&
           Emit(kKeyboardCommandInterface, release, sizeof release);
}

void SimReceiver::OnOutputReport(uint16_t interfaceNumber, const uint8_t* data, size_t length) {
    if (interfaceNumber != kKeyboardCommandInterface || length < 4 || data[0] != kVendorCommandReportId) {
        return;
    }
    SimFirmwareReply reply;
    if (data[3] == command::kQueryReceiverLink) {
        reply = linkFirmware_.Receive(data, length);
    } else if (linked_.load() && keyboard_) {
        ++forwarded_;
        reply = keyboard_->Firmware().Receive(data, length);
    } else {
        return;  // nobody at the other end
    }
    for (const Frame& answer : reply.answers) {
        Emit(kKeyboardCommandInterface, answer.data(), answer.size());
    }
}

}  // namespace ivra::sim
