#include "drivers/KestrelUSBDevice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>

#include "transport/DeviceEventObserver.h"
#include "models/lighting/KeyLevelStep.h"
#include "drivers/DriverHost.h"
#include "base/TimerService.h"
#include "models/lighting/BaseEffectSteps.h"
#include "base/DebugOutput.h"

namespace ivra {

namespace {

constexpr size_t kLevelPositionsMarked = 9;

}  // namespace

KestrelUSBDevice::KestrelUSBDevice(IHidBackend& backend, IClock& clock)
    : commandTransport(backend, clock), eventTransport(backend, clock) {}

KestrelUSBDevice::~KestrelUSBDevice() {
    Shutdown();
}

std::vector<uint32_t> KestrelUSBDevice::LedColoursNow() {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    return ledColours;
}

void KestrelUSBDevice::SetLedColours(std::vector<uint32_t> colours) {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    ledColours = std::move(colours);
}

void KestrelUSBDevice::Shutdown() {
    CloseEventChannel(false);
    CloseEventChannel(true);
    commandTransport.CloseWhenIdle();
}

// ---- The page ------------------------------------------------------------

void KestrelUSBDevice::AttachPage() {
    if (pageXml.empty()) {
        keyCount = 0;
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        ledColours.clear();
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
    const bool pointerKind = kind == kind::kKeyboard || kind == kind::kMouse;
    view_->ShowFunction(function, pointerKind);
}

// ---- Lights ------------------------------------------------------------

template <typename Step>
void KestrelUSBDevice::RunBaseStep(Step step) {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    step(effectSteps_);
}

light::EffectStepState KestrelUSBDevice::EffectStepState() {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    return effectSteps_;
}

void KestrelUSBDevice::SetEffectStepState(const light::EffectStepState& state) {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    effectSteps_ = state;
}

uint32_t KestrelUSBDevice::StepClockMs() {
    return static_cast<uint32_t>(commandTransport.clock().NowMs());
}

void KestrelUSBDevice::EffectStepBreathe() {
    RunBaseStep([this](light::EffectStepState& s) { light::StepBreathe(s, ledColours, lightEffect); });
}

void KestrelUSBDevice::EffectStepFourColourBreathe() {
    RunBaseStep([this](light::EffectStepState& s) { light::StepFourColourBreathe(s, ledColours, lightEffect); });
}

void KestrelUSBDevice::EffectStepStatic() {
    RunBaseStep([this](light::EffectStepState&) { light::StepStatic(ledColours, lightEffect); });
}

void KestrelUSBDevice::EffectStepHueCycle() {
    RunBaseStep([this](light::EffectStepState& s) { light::StepHueCycle(s, ledColours, lightEffect); });
}

void KestrelUSBDevice::EffectStepFlash() {
    const uint32_t now = StepClockMs();
    RunBaseStep([this, now](light::EffectStepState& s) { light::StepFlash(s, ledColours, lightEffect, now); });
}

void KestrelUSBDevice::EffectStepFourColourBlink() {
    const uint32_t now = StepClockMs();
    RunBaseStep(
        [this, now](light::EffectStepState& s) { light::StepFourColourBlink(s, ledColours, lightEffect, now); });
}

void KestrelUSBDevice::EffectStepOff() {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    light::StepOff(ledColours);
}

void KestrelUSBDevice::PushLightFrame() {
    if (!lightControlEnabled.load()) return;
    std::vector<uint8_t> frame;
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        frame.assign(3 * ledColours.size(), 0);
        for (size_t i = 0; i < ledColours.size(); ++i) {
            const uint32_t colour = ledColours[i];
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
            frame[3 * i] = static_cast<uint8_t>(red * brightness / 256);
            frame[3 * i + 1] = static_cast<uint8_t>(green * brightness / 256);
            frame[3 * i + 2] = static_cast<uint8_t>(blue * brightness / 256);
        }
    }
    if (commandTransport.ReceiverMode()) return;
    if (commandTransport.StreamLightFrame(frame.data(), frame.size()) != result::kSuccess) {
        commandTransport.clock().SleepMs(200);
    }
}

void KestrelUSBDevice::NotifyLightFrame() {
    if (host_ != nullptr) host_->OnLightFrameReady();
}

void KestrelUSBDevice::SetLedColour(int index, uint32_t colour) {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    if (index >= 0 && static_cast<size_t>(index) < ledColours.size()) {
        ledColours[static_cast<size_t>(index)] = colour;
    }
}

void KestrelUSBDevice::GetLedColour(uint32_t& colour, int index) {
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    colour = index >= 0 && static_cast<size_t>(index) < ledColours.size() ? ledColours[static_cast<size_t>(index)] : 0;
}

void KestrelUSBDevice::SetLedCount(int count) {
    const size_t size = static_cast<size_t>(std::max(count, 0));
    std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
    if (size != ledColours.size()) {
        ledColours.resize(size);
        ledFrames.resize(size);
    }
    std::fill(ledColours.begin(), ledColours.end(), 0u);
    std::fill(ledFrames.begin(), ledFrames.end(), LightInfo{});
}

int KestrelUSBDevice::LedCount() const {
    return static_cast<int>(ledColours.size());
}

void KestrelUSBDevice::CopyLightMaps(const std::vector<uint8_t>& maps) {
    lightMaps = maps;
}

void KestrelUSBDevice::GetLightModeInfo(LightModeInfo& out, int /*index*/) {
    // The light panel answers for the mode once it exists; until then the
    // last answer stands.
    out = lastLightMode;
}

// ---- Key levels ----------------------------------------------------------

uint8_t KestrelUSBDevice::StepKeyLevelDown(int key, int mode) {
    if (key < 0 || static_cast<size_t>(key) >= keyLevels.size()) return 0;
    uint8_t& level = keyLevels[static_cast<size_t>(key)];
    level = StepLevelDown(level, mode);
    return level;
}

uint8_t KestrelUSBDevice::StepKeyLevelUp(int key, int fine) {
    if (key < 0 || static_cast<size_t>(key) >= keyLevels.size()) return 0;
    uint8_t& level = keyLevels[static_cast<size_t>(key)];
    level = StepLevelUp(level, fine);
    return level;
}

void KestrelUSBDevice::FillMarkedLevels() {
    for (size_t i = 0; i < kLevelPositionsMarked; ++i) {
        if (levelRing[i] != 0) keyLevels[i] = 255;
    }
}

void KestrelUSBDevice::RotateLevelRing(bool forward) {
    if (forward) {
        std::rotate(levelRing.rbegin(), levelRing.rbegin() + 1, levelRing.rend());
    } else {
        std::rotate(levelRing.begin(), levelRing.begin() + 1, levelRing.end());
    }
}

void KestrelUSBDevice::ResetKeyLevels() {
    keyLevels.fill(0);
    levelRing.fill(0);
}

// ---- Commands --------------------------------------------------------------

bool KestrelUSBDevice::UploadKeyList(int /*block*/, const std::vector<KeyRecord>& /*keyList*/) {
    return false;
}

bool KestrelUSBDevice::WriteKeyAssignments(int /*block*/) {
    return false;
}

int KestrelUSBDevice::WriteSettings(int, int, int, int, int) {
    return 0;
}

bool KestrelUSBDevice::QueryReceiverLinkOfTransport() {
    return commandTransport.IsOpen() && commandTransport.ReceiverMode() && commandTransport.QueryReceiverLink();
}

// ---- Identity and data locations -------------------------------------------

void KestrelUSBDevice::SetIdentity(const DeviceSlot& slot) {
    std::lock_guard<std::mutex> lock(identityMutex_);
    identity_ = slot;
    kind = slot.kind;
    role = slot.role;
}

void KestrelUSBDevice::GetIdentity(DeviceSlot& out) const {
    std::lock_guard<std::mutex> lock(identityMutex_);
    out = identity_;
}

DeviceSlot KestrelUSBDevice::Identity() const {
    std::lock_guard<std::mutex> lock(identityMutex_);
    return identity_;
}

void KestrelUSBDevice::SetCurrentProfileId(const std::string& id) {
    std::lock_guard<std::mutex> lock(identityMutex_);
    currentProfileId_ = id;
}

std::string KestrelUSBDevice::CurrentProfileId() const {
    std::lock_guard<std::mutex> lock(identityMutex_);
    return currentProfileId_;
}

void KestrelUSBDevice::SetDataRoots(std::string userDataRoot, std::string programFolder) {
    userDataRoot_ = std::move(userDataRoot);
    programFolder_ = std::move(programFolder);
}

std::string KestrelUSBDevice::UserDataFolder() const {
    if (userDataRoot_.empty() || kindName.empty()) return {};
    const std::filesystem::path folder = std::filesystem::path(userDataRoot_) / kindName;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) return {};
    return folder.string() + "/";
}

std::string KestrelUSBDevice::DefaultDataFile() const {
    if (programFolder_.empty() || kindName.empty()) return {};
    return (std::filesystem::path(programFolder_) / "DefaultData" / (kindName + ".Json")).string();
}

std::string KestrelUSBDevice::DefaultDataFolderFile(const std::string& name) const {
    if (programFolder_.empty()) return {};
    return (std::filesystem::path(programFolder_) / "DefaultData" / name).string();
}

// ---- Event channels --------------------------------------------------------

bool KestrelUSBDevice::OpenEventChannel(bool receiverChannel, const std::string& path) {
    std::unique_ptr<EventListener>& listener = receiverChannel ? listenerB_ : listenerA_;
    if (listener) listener->Stop();
    const TransportPath which = receiverChannel ? TransportPath::kReceiver : TransportPath::kCable;
    if (!eventTransport.ReopenChannel(which, path)) return false;
    listener = std::make_unique<EventListener>(eventTransport.Channel(which), eventTransport.ChannelOpenFlag(which),
                                               ListenerExitLine());
    listener->Start([this, receiverChannel](uint16_t code) { OnEventCode(code, receiverChannel); });
    return true;
}

void KestrelUSBDevice::CloseEventChannel(bool receiverChannel) {
    std::unique_ptr<EventListener>& listener = receiverChannel ? listenerB_ : listenerA_;
    if (listener) {
        listener->Stop();
        listener.reset();
    }
    eventTransport.CloseChannel(receiverChannel ? TransportPath::kReceiver : TransportPath::kCable);
}

bool KestrelUSBDevice::EventChannelOpen(bool receiverChannel) const {
    return eventTransport.ChannelOpen(receiverChannel ? TransportPath::kReceiver : TransportPath::kCable);
}

bool KestrelUSBDevice::ListenerRunning(bool receiverChannel) const {
    const std::unique_ptr<EventListener>& listener = receiverChannel ? listenerB_ : listenerA_;
    return listener && listener->Running();
}

void KestrelUSBDevice::OnEventCode(uint16_t code, bool receiverChannel) {
    if (code == 0) return;  // the release report that follows every event
    if (code == kEventReadBackRequest) {
        DebugLine(kReadBackRequestLine);
        if (host_ != nullptr) host_->StartReadBack();
    } else if (code >= 0x0402 && ((code >> 8) == 0x10 || (code >> 8) == 0x11) && commandTransport.IsOpen()) {
        OnActiveProfileEvent(code);
    } else {
        OnKindEvent(code, receiverChannel);
    }
    if (eventObserver_ != nullptr) eventObserver_->OnDeviceEvent(*this, code, receiverChannel);
}

void KestrelUSBDevice::OnActiveProfileEvent(uint16_t code) {
    activeProfileIndex = code & 0x0F;
    RefreshPage();
}

}  // namespace ivra
