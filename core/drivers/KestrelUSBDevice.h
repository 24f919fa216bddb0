// The device object every supported device has, whether present or not:
// its identity, its command and event transports, the page it shows its
// state on (through IDeviceView), the selector entry that hosts it, the
// per-LED light state, and the table of virtual operations through which
// discovery, the selector entry's timers, the panels and the event
// listeners drive a device without knowing its kind. The kinds (keyboard,
// mouse, mouse pad, headset) derive from it and replace the operations they
// implement.
//
// Threads: the owner thread calls everything except what the listeners do
// (OnEventCode and what it calls); the light state is guarded by
// lightFrameLock and lightGroupLock, the small shared fields are atomics.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <json/value.h>

#include "discovery/DeviceSlot.h"
#include "transport/DeviceTransport.h"
#include "drivers/DeviceView.h"
#include "transport/EventListener.h"
#include "models/lighting/LightRecords.h"
#include "models/keys/KeyRecord.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/BaseEffectSteps.h"

namespace ivra {

class IDeviceEventObserver;
class ITimerService;
class IDriverHost;

constexpr size_t kKeyLevelCount = 126;
constexpr size_t kLevelRingSize = 23;
constexpr int kNoOptionRow = -1;
constexpr int kNoSelectedKey = -1;

// Event codes the base listener acts on.
constexpr uint16_t kEventReadBackRequest = 0x0401;

constexpr const char* kReadBackRequestLine = "接收到自动添加设备的同步信息要求";
constexpr const char* kCableListenerExitLine = "MS 设备同步线程设定退出";

class KestrelUSBDevice {
public:
    KestrelUSBDevice(IHidBackend& backend, IClock& clock = DefaultSystemClock());
    // Stops the listeners; the transports close their channels.
    virtual ~KestrelUSBDevice();
    KestrelUSBDevice(const KestrelUSBDevice&) = delete;
    KestrelUSBDevice& operator=(const KestrelUSBDevice&) = delete;

    // The class name the page's root tag uses for this kind.
    virtual const char* ClassName() const { return "KestrelUSBDevice"; }

    // ---- Fields ---------------------------------------------------------
    DeviceTransport commandTransport;
    // Event channels; `open` means event channel A is open.
    DeviceTransport eventTransport;
    std::array<uint8_t, kInfoBlockSize> infoBlock{};
    std::string pageXml;
    std::string mainWindowText;
    std::string lightControlName;
    std::string kindName;
    uint32_t kind = 0;
    uint32_t role = 0;
    int32_t keyCount = 0;
    int32_t optionRowIndex = kNoOptionRow;
    std::vector<uint32_t> ledColours;  // byte 0 red, 1 green, 2 blue, 3 brightness
    LightInfo lightEffect{};
    std::recursive_mutex lightGroupLock;  // guards lightGroups
    std::recursive_mutex lightFrameLock;  // guards ledFrames and ledColours
    // A copy of ledColours, taken under lightFrameLock.
    std::vector<uint32_t> LedColoursNow();
    // Replaces ledColours under lightFrameLock.
    void SetLedColours(std::vector<uint32_t> colours);
    std::vector<light::RecordedStep> lightGroups;  // steps of the recorded effect in use
    size_t lightGroupStep = 0;                     // the step playing, under lightGroupLock
    std::vector<LightInfo> ledFrames;
    std::atomic<bool> lightControlEnabled{true};
    std::array<uint8_t, kKeyLevelCount> keyLevels{};
    std::array<uint8_t, kLevelRingSize> levelRing{};
    bool batteryPowered = false;
    int32_t modelIndex = 0;
    // Set from the listener threads (events 0x10xx / 0x11xx).
    std::atomic<int> activeProfileIndex{0};
    std::vector<uint8_t> lightMaps;
    LightModeInfo lastLightMode{};
    AudioLightInfo audioLightEffect{};

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

    // ---- Virtual operations ------------------------------------------------
    // Takes the page set by SetView and pageXml: without a page file the
    // device has no keys and no LEDs; otherwise every light position of the
    // page (below the LED count) is shown lit white at full level.
    virtual void AttachPage();
    virtual int ReloadLightState() { return 0; }
    // The shared software effect steps: each paints every entry of
    // ledColours from lightEffect once (the kinds' effect threads choose
    // which runs and when).
    void EffectStepBreathe();
    void EffectStepFourColourBreathe();
    void EffectStepStatic();
    void EffectStepHueCycle();
    void EffectStepFlash();
    void EffectStepFourColourBlink();
    void EffectStepOff();
    virtual void PushLightFrame();
    // Shows the current ledColours on the page; the selector entry's frame
    // timer calls it when a new frame exists and the page is seen. Kinds
    // that stream from their light thread paint only; the base pushes.
    virtual void PaintLightFrame() { PushLightFrame(); }
    virtual void SetLedColour(int index, uint32_t colour);
    virtual void GetLedColour(uint32_t& colour, int index);
    virtual void SyncOnConnect() {}
    virtual void ReadBackSettings() {}
    virtual void RefreshPowerStatus() {}
    virtual bool QueryLink() { return true; }
    virtual int LoadProfile() { return 0; }
    virtual void RefreshPage() {}
    virtual void RemapKeys() {}
    virtual int LoadDefaultProfile() { return 0; }
    virtual bool UploadKeyList(int block, const std::vector<KeyRecord>& keyList);
    virtual bool WriteKeyAssignments(int block);
    virtual int WriteMacros() { return 0; }
    virtual int WriteSettings(int slot, int value, int flag, int screenWidth, int screenHeight);
    virtual void ReloadKeysAndMacros() {}
    virtual void CopyLightMaps(const std::vector<uint8_t>& maps);
    virtual uint8_t StepKeyLevelDown(int key, int mode);
    virtual uint8_t StepKeyLevelUp(int key, int fine);
    virtual void FillMarkedLevels();
    virtual void RotateLevelRing(bool forward);
    virtual void ResetKeyLevels();
    // Brings the function forward on the page; the system settings have a
    // page of their own on keyboards and mice.
    virtual void ShowFunction(DeviceFunction function);
    virtual void EnsureProfileFiles() {}
    virtual std::string GetProfilePath() { return {}; }
    virtual void SaveProfile() {}
    virtual void SetModelIndex(int value) { modelIndex = value; }
    virtual int GetModelIndex() { return modelIndex; }
    virtual void SetLightEffect(const LightInfo& record) { lightEffect = record; }
    virtual void SetLightEffectColour(const AudioLightInfo& record) { audioLightEffect = record; }
    virtual void GetLightModeInfo(LightModeInfo& out, int index);
    virtual void SetSelectedKey(int index) { selectedKey_ = index; }
    virtual void FeedAudioSpectrum(const std::vector<uint8_t>& /*bands*/) {}
    virtual void FeedScreenColours(const std::vector<uint8_t>& /*data*/) {}

    // ---- Other operations --------------------------------------------------
    void SetIdentity(const DeviceSlot& slot);
    void GetIdentity(DeviceSlot& out) const;
    DeviceSlot Identity() const;
    // Resizes the colours and per-LED records when the count changes; then
    // zeroes every colour and record.
    void SetLedCount(int count);
    int LedCount() const;
    void SetMainWindowText(const std::string& text) { mainWindowText = text; }

    // The per-user data root ("…/Ivra Wireless Manager 1.0") and the program
    // folder, set by the owner before the data locations are used.
    void SetDataRoots(std::string userDataRoot, std::string programFolder);
    // userDataRoot/kindName/, created with every missing level; empty when
    // it cannot be created.
    std::string UserDataFolder() const;
    // programFolder/DefaultData/kindName.Json
    std::string DefaultDataFile() const;
    // programFolder/DefaultData/name; empty without a program folder.
    std::string DefaultDataFolderFile(const std::string& name) const;

    // The profile the device's profile panel (or ivractl) has selected; the
    // kinds join it to their data folder to find the profile file.
    void SetCurrentProfileId(const std::string& id);
    std::string CurrentProfileId() const;

    // The shared effect steps' animation state (phase, colour index, flash
    // toggle and its time), under the light frame lock.
    light::EffectStepState EffectStepState();
    void SetEffectStepState(const light::EffectStepState& state);
    // The millisecond tick the flashing steps time their toggles with.
    uint32_t StepClockMs();

    // A new light frame exists (any thread): the selector entry repaints the
    // page at its next display frame, or when the page is seen again.
    void NotifyLightFrame();
    // The page came on screen again (owner thread, from the selector entry).
    virtual void OnPageShown() {}

    // Stops the listeners and closes every channel. Owners call it before
    // destroying a device, while the kind's operations still exist.
    void Shutdown();

    // ---- Event channels ----------------------------------------------------
    // Opens event channel A (cable) or B (receiver) on `path` under its lock
    // and starts its listener. Re-pointing an open channel stops its
    // listener first. False when the open fails.
    bool OpenEventChannel(bool receiverChannel, const std::string& path);
    // Stops the channel's listener and closes it under its lock.
    void CloseEventChannel(bool receiverChannel);
    bool EventChannelOpen(bool receiverChannel) const;
    bool ListenerRunning(bool receiverChannel) const;

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

    // The line the kind's listeners write when they end.
    virtual const char* ListenerExitLine() const { return kCableListenerExitLine; }
    // Events 0x10xx / 0x11xx: the profile (and, for the mouse, DPI stage)
    // now active on the device.
    virtual void OnActiveProfileEvent(uint16_t code);
    // Codes the kind handles beyond the base ones.
    virtual void OnKindEvent(uint16_t /*code*/, bool /*receiverChannel*/) {}

private:
    // Runs one shared effect step with the device's step state.
    template <typename Step>
    void RunBaseStep(Step step);

    IDeviceView* view_ = nullptr;
    IDriverHost* host_ = nullptr;
    DeviceFunction shownFunction_ = DeviceFunction::kLighting;
    int32_t selectedKey_ = kNoSelectedKey;
    light::EffectStepState effectSteps_{};  // under lightFrameLock
    std::unique_ptr<EventListener> listenerA_;
    std::unique_ptr<EventListener> listenerB_;
    IDeviceEventObserver* eventObserver_ = nullptr;
    ITimerService* timers_ = nullptr;
    mutable std::mutex identityMutex_;
    DeviceSlot identity_;
    std::string userDataRoot_;
    std::string currentProfileId_;  // under identityMutex_
    std::string programFolder_;
};

}  // namespace ivra
