#include "drivers/KestrelUSBDevice.h"

#include <utility>

#include "base/DebugOutput.h"
#include "drivers/DriverHost.h"
#include "transport/DeviceEventObserver.h"

namespace ivra {

KestrelUSBDevice::KestrelUSBDevice(IHidBackend& backend, IClock& clock)
    : commandTransport_(backend, clock), events_(backend, clock), lights_(clock) {}

KestrelUSBDevice::~KestrelUSBDevice() {
    Shutdown();
}

void KestrelUSBDevice::Shutdown() {
    events_.CloseAll();
    commandTransport_.CloseWhenIdle();
}

// ---- Description and identity -------------------------------------------

void KestrelUSBDevice::SetDescription(DeviceDescription description) {
    description_ = std::move(description);
    binding_.SetKindName(description_.kindName);
}

void KestrelUSBDevice::SetIdentity(const DeviceSlot& slot) {
    std::lock_guard<std::mutex> lock(identityMutex_);
    identity_ = slot;
    kind_ = slot.kind;
    role_ = slot.role;
}

void KestrelUSBDevice::GetIdentity(DeviceSlot& out) const {
    std::lock_guard<std::mutex> lock(identityMutex_);
    out = identity_;
}

DeviceSlot KestrelUSBDevice::Identity() const {
    std::lock_guard<std::mutex> lock(identityMutex_);
    return identity_;
}

// ---- The page ------------------------------------------------------------

void KestrelUSBDevice::AttachPage() {
    if (description_.pageXml.empty()) {
        ClearPageKeys();
        lights_.SetColours({});
        return;
    }
    if (view_ == nullptr) return;
    const size_t lights = static_cast<size_t>(LedCount());
    for (size_t position = 0; position < lights; ++position) {
        view_->ShowLight(position, true, light::Rgb{255, 255, 255}, 255);
    }
}

void KestrelUSBDevice::ShowFunction(DeviceFunction function) {
    shownFunction_ = function;
    if (view_ == nullptr) return;
    const uint32_t code = Kind();
    const bool pointerKind = code == kind::kKeyboard || code == kind::kMouse;
    view_->ShowFunction(function, pointerKind);
}

void KestrelUSBDevice::NotifyLightFrame() {
    if (host_ != nullptr) host_->OnLightFrameReady();
}

// ---- Lights ------------------------------------------------------------

void KestrelUSBDevice::PushLightFrame() {
    if (!lightControlEnabled_.load()) return;
    const std::vector<uint8_t> frame = lights_.WithColours([this](const std::vector<uint32_t>& colours) {
        std::vector<uint8_t> packed(3 * colours.size(), 0);
        for (size_t i = 0; i < colours.size(); ++i) {
            const uint32_t colour = colours[i];
            const uint32_t red = colour & 0xFF;
            const uint32_t green = (colour >> 8) & 0xFF;
            const uint32_t blue = (colour >> 16) & 0xFF;
            const uint32_t brightness = (colour >> 24) & 0xFF;
            if (view_ != nullptr && view_->IsLightPositionShown(i)) {
                const light::Rgb rgb{static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                     static_cast<uint8_t>(blue)};
                view_->ShowLight(i, true, rgb, static_cast<uint8_t>(brightness));
            }
            // LED 126 has a button but no place in the streamed frame.
            if (i == 126) continue;
            packed[3 * i] = static_cast<uint8_t>(red * brightness / 256);
            packed[3 * i + 1] = static_cast<uint8_t>(green * brightness / 256);
            packed[3 * i + 2] = static_cast<uint8_t>(blue * brightness / 256);
        }
        return packed;
    });
    if (commandTransport_.ReceiverMode()) return;
    if (commandTransport_.StreamLightFrame(frame.data(), frame.size()) != result::kSuccess) {
        commandTransport_.clock().SleepMs(200);
    }
}

// ---- Commands --------------------------------------------------------------

bool KestrelUSBDevice::WriteKeyAssignments(int /*block*/) {
    return false;
}

int KestrelUSBDevice::WriteSettings(int, int, int, int, int) {
    return 0;
}

bool KestrelUSBDevice::QueryReceiverLinkOfTransport() {
    return commandTransport_.IsOpen() && commandTransport_.ReceiverMode() && commandTransport_.QueryReceiverLink();
}

// ---- Event channels --------------------------------------------------------

bool KestrelUSBDevice::OpenEventChannel(bool receiverChannel, const std::string& path) {
    return events_.Open(receiverChannel, path, ListenerExitLine(),
                        [this](uint16_t code, bool receiver) { OnEventCode(code, receiver); });
}

void KestrelUSBDevice::OnEventCode(uint16_t code, bool receiverChannel) {
    if (code == 0) return;  // the release report that follows every event
    if (code == kEventReadBackRequest) {
        DebugLine(debug::kReadBackRequest);
        if (host_ != nullptr) host_->StartReadBack();
    } else if (code >= 0x0402 && ((code >> 8) == 0x10 || (code >> 8) == 0x11) && commandTransport_.IsOpen()) {
        OnActiveProfileEvent(code);
    } else {
        OnKindEvent(code, receiverChannel);
    }
    if (eventObserver_ != nullptr) eventObserver_->OnDeviceEvent(*this, code, receiverChannel);
}

void KestrelUSBDevice::OnActiveProfileEvent(uint16_t code) {
    activeProfileIndex_ = code & 0x0F;
    RefreshPage();
}

}  // namespace ivra
