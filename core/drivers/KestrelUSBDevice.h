// The device object every supported device has, whether present or not,
// and the small interface through which discovery, the selector entry's
// timers, the panels and the event listeners drive a device without knowing
// its kind: attach the page, sync on connect, load and apply the profile,
// read the settings back, act on device events, lights on and off, stop.
//
// What the kinds share is composed, not inherited: the catalogue's
// description, the command transport, the event channels and their
// listeners, the light state with the shared effect steps, the key levels,
// and the profile binding (data folders, selected profile). The kinds
// (keyboard, mouse, mouse pad, headset) derive from it and replace the
// operations they implement; what only one kind does is that kind's own.
//
// Threads: the owner thread calls everything except what the listeners do
// (OnEventCode and what it calls); the light state and the profile binding
// guard themselves, the small shared values are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/DebugLines.h"
#include "discovery/DeviceSlot.h"
#include "drivers/DeviceDescription.h"
#include "drivers/DeviceView.h"
#include "drivers/EventChannels.h"
#include "drivers/KeyLevels.h"
#include "drivers/LightState.h"
#include "drivers/ProfileBinding.h"
#include "transport/DeviceTransport.h"

namespace ivra {

class IDeviceEventObserver;
class ITimerService;
class IDriverHost;

constexpr int kNoSelectedKey = -1;

// Event codes the base listener acts on.
constexpr uint16_t kEventReadBackRequest = 0x0401;

class KestrelUSBDevice {
public:
    KestrelUSBDevice(IHidBackend& backend, IClock& clock = DefaultSystemClock());
    // Stops the listeners; the transports close their channels.
    virtual ~KestrelUSBDevice();
    KestrelUSBDevice(const KestrelUSBDevice&) = delete;
    KestrelUSBDevice& operator=(const KestrelUSBDevice&) = delete;

    // ---- The driver interface ----------------------------------------------
    // The class name the page's root tag uses for this kind.
    virtual const char* ClassName() const { return "KestrelUSBDevice"; }
    // Takes the page set by SetView and the description's page file: without
    // a page file the device has no keys and no LEDs; otherwise every light
    // position of the page (below the LED count) is shown lit white at full
    // level.
    virtual void AttachPage();
    // Brings the function forward on the page; the system settings have a
    // page of their own on keyboards and mice.
    virtual void ShowFunction(DeviceFunction function);
    // Shows the profile's keys and the device state on the page again.
    virtual void RefreshPage() {}
    // The page came on screen again (owner thread, from the selector entry).
    virtual void OnPageShown() {}

    // Connect: read what the device says about itself and take the profile.
    virtual void SyncOnConnect() {}
    // Receiver path: whether the device behind the receiver is linked.
    virtual bool QueryLink() { return true; }
    virtual void RefreshPowerStatus() {}
    // Read back the settings the device changed on its own.
    virtual void ReadBackSettings() {}

    // The selected profile: load it (1 when loaded), or the factory defaults
    // in its place; the macro names and light names again; the key labels.
    virtual int LoadProfile() { return 0; }
    virtual int LoadDefaultProfile() { return 0; }
    virtual void ReloadKeysAndMacros() {}
    virtual void RemapKeys() {}
    // Apply the profile to the device: the settings record (1 when written
    // or nothing to write, 0 when a write failed), the macros (0 written or
    // nothing to write, a negative failure code, or the count of events too
    // many), the key assignments (false when not written).
    virtual int WriteSettings(int slot, int value, int flag, int screenWidth, int screenHeight);
    virtual int WriteMacros() { return 0; }
    virtual bool WriteKeyAssignments(int block);

    // Lights: the program takes or leaves the device's lights; a frame is
    // pushed to the device and the page, or painted on the page only (the
    // selector entry's frame timer calls it when a new frame exists and the
    // page is seen; kinds that stream from their light thread paint only,
    // the base pushes); music and screen colours for the effects that follow
    // them.
    virtual void SetLightControl(bool on) { lightControlEnabled_ = on; }
    virtual void PushLightFrame();
    virtual void PaintLightFrame() { PushLightFrame(); }
    virtual void FeedAudioSpectrum(const std::vector<uint8_t>& /*bands*/) {}
    virtual void FeedScreenColours(const std::vector<uint8_t>& /*data*/) {}

    // Stops the listeners and closes every channel. Owners call it before
    // destroying a device, while the kind's operations still exist.
    void Shutdown();

    // ---- Description and identity -------------------------------------------
    const DeviceDescription& Description() const { return description_; }
    // Set once when the page is built; the profile binding takes the kind's
    // folder name from it.
    void SetDescription(DeviceDescription description);
    void SetIdentity(const DeviceSlot& slot);
    void GetIdentity(DeviceSlot& out) const;
    DeviceSlot Identity() const;
    // The kind and role of the slot the device was last identified by.
    uint32_t Kind() const { return kind_.load(); }
    uint32_t Role() const { return role_.load(); }

    // ---- Composed parts -----------------------------------------------------
    // The command channel (cable or receiver): opened, switched and closed
    // by the device model, used by the kind's operations.
    DeviceTransport& CommandTransport() { return commandTransport_; }
    const DeviceTransport& CommandTransport() const { return commandTransport_; }
    LightState& Lights() { return lights_; }
    const LightState& Lights() const { return lights_; }
    KeyLevels& Levels() { return levels_; }
    ProfileBinding& Binding() { return binding_; }
    const ProfileBinding& Binding() const { return binding_; }
    // Resizes the light state to the page's LEDs (see LightState::SetCount).
    void SetLedCount(int count) { lights_.SetCount(count); }
    int LedCount() const { return lights_.Count(); }

    // Whether the program controls the device's lights; the flag alone, set
    // without telling the device (SetLightControl tells it).
    bool LightControlEnabled() const { return lightControlEnabled_.load(); }
    void SetLightControlFlag(bool on) { lightControlEnabled_ = on; }
    // The profile (0..15) the device last said is active (events 0x10xx /
    // 0x11xx, listener threads).
    int ActiveProfileIndex() const { return activeProfileIndex_.load(); }

    // ---- The page ------------------------------------------------------------
    // The page's view, where the device shows its lights, key information
    // and function; null while the device has no page.
    IDeviceView* View() const { return view_; }
    void SetView(IDeviceView* view) { view_ = view; }
    // The selector entry that hosts the device (its timers and read-back).
    IDriverHost* Host() const { return host_; }
    void SetHost(IDriverHost* host) { host_ = host; }
    // The function the page shows (the last ShowFunction).
    DeviceFunction ShownFunction() const { return shownFunction_; }
    // The key position selected on the page, kNoSelectedKey when none.
    int SelectedKey() const { return selectedKey_; }
    void SetSelectedKey(int index) { selectedKey_ = index; }
    // A new light frame exists (any thread): the selector entry repaints the
    // page at its next display frame, or when the page is seen again.
    void NotifyLightFrame();

    // ---- Event channels ----------------------------------------------------
    // Opens event channel A (cable) or B (receiver) on `path` and starts its
    // listener, which hands every code to OnEventCode. Re-pointing an open
    // channel stops its listener first. False when the open fails.
    bool OpenEventChannel(bool receiverChannel, const std::string& path);
    void CloseEventChannel(bool receiverChannel) { events_.Close(receiverChannel); }
    bool EventChannelOpen(bool receiverChannel) const { return events_.IsOpen(receiverChannel); }
    bool ListenerRunning(bool receiverChannel) const { return events_.ListenerRunning(receiverChannel); }

    // Where the listeners report events, and the timers they start; set by
    // the owner before any channel opens.
    void SetEventObserver(IDeviceEventObserver* observer) { eventObserver_ = observer; }
    void SetTimerService(ITimerService* timers) { timers_ = timers; }

    // Acts on one event code read by a listener (listener thread).
    void OnEventCode(uint16_t code, bool receiverChannel);

protected:
    // The keyboard's and the mouse's link query: true when the command
    // transport is open, in receiver mode, and the receiver says linked.
    bool QueryReceiverLinkOfTransport();
    // Without a page file the page has no keys.
    void ClearPageKeys() { description_.pageKeyCount = 0; }

    // The line the kind's listeners write when they end.
    virtual const char* ListenerExitLine() const { return debug::kCableListenerExit; }
    // Events 0x10xx / 0x11xx: the profile (and, for the mouse, DPI stage)
    // now active on the device.
    virtual void OnActiveProfileEvent(uint16_t code);
    // Codes the kind handles beyond the base ones.
    virtual void OnKindEvent(uint16_t /*code*/, bool /*receiverChannel*/) {}
    void SetActiveProfileIndex(int index) { activeProfileIndex_ = index; }

private:
    DeviceTransport commandTransport_;
    EventChannels events_;
    LightState lights_;
    KeyLevels levels_;
    ProfileBinding binding_;
    DeviceDescription description_;
    std::atomic<bool> lightControlEnabled_{true};
    std::atomic<int> activeProfileIndex_{0};

    IDeviceView* view_ = nullptr;
    IDriverHost* host_ = nullptr;
    DeviceFunction shownFunction_ = DeviceFunction::kLighting;
    int32_t selectedKey_ = kNoSelectedKey;
    IDeviceEventObserver* eventObserver_ = nullptr;
    ITimerService* timers_ = nullptr;
    mutable std::mutex identityMutex_;
    DeviceSlot identity_;
    std::atomic<uint32_t> kind_{0};
    std::atomic<uint32_t> role_{0};
};

}  // namespace ivra
