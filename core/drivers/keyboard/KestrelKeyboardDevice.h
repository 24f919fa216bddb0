// The keyboard's device object: what it exchanges with the keyboard
// (connection sync, key table upload, settings record, read-back, macro
// image, custom colour groups, streamed frames), how the page's 126 key
// positions map to the keyboard's own key and LED numbering, the profile
// sections it keeps (key list, light record, per-key effects, custom
// groups, system record) and the hand-off of the listeners' events.
//
// Threads: the owner thread runs the operations; the listeners call
// OnKindEvent / OnActiveProfileEvent; the light preview paints the light
// state's colours.
// The maps and the key table copy are replaced under mapsMutex_, the
// profile data under profileMutex_.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "drivers/KestrelUSBDevice.h"
#include "transport/LightStreamSender.h"
#include "base/WorkerThread.h"
#include "drivers/keyboard/KeyPositionMaps.h"
#include "drivers/keyboard/KeyboardProfile.h"
#include "drivers/keyboard/KeyboardSettingsRecord.h"
#include "models/profile/KeyboardSystemStages.h"
#include "models/lighting/KeyboardEffectEngine.h"
#include "models/lighting/LightNames.h"

namespace ivra {

// 3 x key count may not exceed this (the key table's block).
constexpr size_t kMaxKeyTableBytes = 512;

// What WriteMacros returns besides 0 (written, or nothing to write) and a
// positive count of events too many.
constexpr int kMacroWriteFailed = -1;
// The information block (and so the size of the macro memory) could not be
// read; nothing was sent.
constexpr int kMacroInfoBlockUnreadable = -2;

// How a settings read-back ended. Nothing changes unless the record was read.
struct SettingsReadBackResult {
    enum class Outcome {
        kStored,            // read, stored into the profile and saved
        kClosed,            // the command channel is not open: nothing was read
        kSlotUnreadable,    // the active slot could not be read
        kRecordUnreadable,  // the slot's record could not be read
        kNotSaved,          // read and taken over, but the profile file was not written
    };
    Outcome outcome = Outcome::kClosed;
    int code = 0;  // the transport's result of the failed read
    bool Ok() const { return outcome == Outcome::kStored; }
};

// How a paint of custom keys ended. Nothing changes unless it was painted.
enum class CustomPaintOutcome {
    kPainted,          // stored, saved and (on the cable) sent
    kNotCustomEffect,  // the custom effect is not chosen
    kNoSuchLight,      // a position is outside the keyboard's LEDs
    kNotStored,        // painted, but the group in use cannot be stored in the profile
    kNotSaved,         // painted and stored, but the profile file was not written
    kNotSent,          // painted and saved, but the group was not written to the keyboard
};

class KestrelKeyboardDevice : public KestrelUSBDevice {
public:
    explicit KestrelKeyboardDevice(IHidBackend& backend, IClock& clock = DefaultSystemClock());
    ~KestrelKeyboardDevice() override;

    const char* ClassName() const override { return "KestrelKeyboardDevice"; }

    // ---- The driver interface -------------------------------------------------
    void AttachPage() override;
    void ShowFunction(DeviceFunction function) override;
    void RefreshPage() override;
    void OnPageShown() override;
    void SyncOnConnect() override;
    bool QueryLink() override { return QueryReceiverLinkOfTransport(); }
    void ReadBackSettings() override { ReadBackAndStore(); }
    int LoadProfile() override;
    int LoadDefaultProfile() override;
    void ReloadKeysAndMacros() override;
    void RemapKeys() override;
    int WriteSettings(int slot, int value, int flag, int screenWidth, int screenHeight) override;
    int WriteMacros() override;
    bool WriteKeyAssignments(int block) override;
    // Light control switched on or off by the main window; on, the keyboard
    // is told that the program takes its lights.
    void SetLightControl(bool on) override;
    void PushLightFrame() override;
    void PaintLightFrame() override;
    void FeedScreenColours(const std::vector<uint8_t>& data) override;

    // ---- Keyboard operations -----------------------------------------------
    // The light state from the profile (record, per-key effects, recorded
    // steps); restarts the preview when the effect changed.
    int ReloadLightState();
    // The selected profile's file and the recorded effects' list in the
    // kind's folder; the profile's path; the profile saved to it.
    void EnsureProfileFiles();
    std::string GetProfilePath();
    void SaveProfile();
    // The light and music light records into the profile in memory.
    void SetLightEffect(const LightInfo& record);
    void SetLightEffectColour(const AudioLightInfo& record);
    // Writes the key table with `keyList`'s current assignments at the
    // keyboard's own key numbers (false: not written).
    bool UploadKeyList(int block, const std::vector<KeyRecord>& keyList);
    // A key event reported by the keyboard: device key index and 1 = press,
    // 2 = release (listener thread).
    virtual void OnKeyboardOperation(int value, int type);
    // The settings read-back, saying how it ended.
    SettingsReadBackResult ReadBackAndStore();

    // Custom effect: paint one position with the light record's colour,
    // store the group and (cable only) send it; upload the group in use.
    void CustomPaint(int position);
    bool CustomUpload();
    void SelectCustomGroup(int group);
    // Custom effect: the positions painted with `colour` (at the light's
    // brightness, full when it was off) or, without a colour, turned off;
    // the group in use stored, saved once and (cable only) sent once.
    CustomPaintOutcome PaintCustomKeys(const std::vector<int>& positions, std::optional<light::Rgb> colour);
    // A stored custom group's colours, one per LED (black at brightness 0
    // where the profile has none).
    std::vector<uint32_t> CustomGroupColours(int group);
    // A stored group sent to the keyboard (cable only; false when it was
    // not written); the keys' colours now (the group in use as painted)
    // stored as group `group` and saved (false when not saved).
    bool UploadCustomGroup(int group);
    bool SaveCustomGroupAs(int group);
    // The music light record: read from the profile; changed, stored and
    // saved (false when the save failed).
    light::AudioLightSettings AudioLight();
    bool ChangeAudioLight(const light::AudioLightSettings& settings);
    void LoadCustomGroup();
    void SaveCustomGroup();

    // The changes the page (and ivractl) make. Each stores into the profile
    // and saves it; those that the keyboard keeps also write the settings
    // record. They return false when a write to the keyboard failed.
    bool ChangeLight(const LightInfo& record);
    bool ChangeSetting(KeyboardSetting setting, uint16_t value);
    bool SetKeyAssignment(int position, Assignment assignment);
    bool RestoreKeyDefault(int position);

    // ---- State for the page, ivractl and tests -----------------------------
    KeyPositionMaps Maps() const;
    int KeyCount() const;
    // A key table was read completely in this connection; uploads wait for it.
    bool KeyTableValid() const { return keyTableValid_.load(); }
    // Whether the last profile save reached the file (a change that was not
    // saved is lost with the next profile load, so callers must say so).
    bool LastSaveSucceeded() const { return lastSaveOk_.load(); }
    std::vector<uint8_t> DeviceKeyTable() const;
    std::vector<uint8_t> LedMap() const;
    // The information block last read (byte 5: keys, byte 6: macro memory
    // in 128-byte units).
    std::array<uint8_t, kInfoBlockSize> InfoBlock() const { return infoBlock_; }
    std::vector<KeyRecord> KeyList();
    KeyboardSystemStages SystemStages();
    LightInfo CurrentLight();
    const light::LightNameLists& LightNames() const { return lightNames_; }
    // The last settings record read back (byte 0 = the active slot).
    SettingsRecord LastReadBackRecord() const;
    // The last frame packed for the keyboard (3 x key count bytes).
    std::vector<uint8_t> LastFrame() const;
    // The effect engine that paints the light state's colours, and the thread that runs
    // it. SyncOnConnect starts the thread while the program controls the
    // lights; it makes a pass at each effect tick at which the picture can
    // change and otherwise sleeps until an input (a key press the effect
    // reacts to, music or screen data, a light change, light control, stop)
    // wakes it; while nothing shows its lights (the page is not seen and
    // the effect is not streamed) it sleeps until the page shows again. A
    // pass whose colours differ from the last ones hands the
    // frame to the stream sender (streamed effects, cable only) and tells
    // the selector entry that the page has something new to paint.
    light::KeyboardEffectEngine& Effects() { return effects_; }
    void StartEffectThread();
    // Stops the thread; it is started again only by the next connection.
    void StopEffectThread();
    bool EffectThreadRunning() const { return effectThread_.Running(); }
    // What the thread has done and whether it sleeps (for tests and tools).
    struct EffectThreadStatus {
        uint64_t passes = 0;  // engine passes made
        uint64_t frames = 0;  // passes whose colours changed
        WorkerThread::WaitState wait;
    };
    EffectThreadStatus EffectStatus() const;
    // The thread that sends the streamed frames.
    LightStreamSender& Stream() { return stream_; }
    // Streams every effect's frames, not only music and screen colour (for
    // ivractl's stream test and the benchmarks).
    void SetStreamEveryEffect(bool on) { streamEveryEffect_ = on; }

    // The last operation handed over, for the page and the tests.
    std::atomic<int> lastOperationValue{-1};
    std::atomic<int> lastOperationType{0};

protected:
    void OnKindEvent(uint16_t code, bool receiverChannel) override;
    void OnActiveProfileEvent(uint16_t code) override;

private:
    int ReloadLight(bool fromReadBack);
    void RestartPreview(bool fromReadBack);
    void SendGroupImage(const std::vector<uint32_t>& colours);
    // Writes `colours` as custom group `group` to the keyboard; false when the
    // group cannot be addressed, the keyboard is away or the write failed.
    bool SendGroupImageTo(int group, const std::vector<uint32_t>& colours);
    // Stores `colours` as custom group `group` in the profile, saves it and
    // (cable only) sends it: the one write sequence of every custom paint.
    CustomPaintOutcome StoreAndSendCustomGroup(int group, const std::vector<uint32_t>& colours);
    bool EffectPass();
    // The current effect's frames go to this keyboard (cable, light control).
    bool StreamedToKeyboard();
    // Packs the colours into the stream frame and hands it to the sender
    // when the current effect is streamed to this keyboard.
    void SubmitStreamFrame(const std::vector<uint32_t>& colours);
    // The colours were written outside the engine: show them.
    void LedColoursChanged();
    int SettingsEffectCode(const LightInfo& light) const;

    std::array<uint8_t, kInfoBlockSize> infoBlock_{};  // owner thread
    mutable std::mutex mapsMutex_;
    std::vector<uint8_t> deviceKeyTable_;
    std::vector<uint8_t> ledMap_;
    KeyPositionMaps maps_;
    int keyCount_ = 0;
    std::atomic<bool> keyTableValid_{false};
    SettingsRecord lastReadBack_{};
    std::vector<uint8_t> frame_;         // under mapsMutex_
    std::vector<uint32_t> pushColours_;  // owner thread only
    // What each light position shows, so that a paint touches only the
    // positions whose light changed (owner thread only).
    struct PaintedLight {
        bool known = false;
        light::Rgb colour;
        uint8_t level = 0;
    };
    std::vector<PaintedLight> painted_;
    std::vector<uint32_t> publishedColours_;  // effect thread only
    std::atomic<uint64_t> effectPasses_{0};
    std::atomic<uint64_t> effectFrames_{0};
    std::atomic<bool> effectThreadWanted_{false};
    std::atomic<bool> republish_{false};

    light::KeyboardEffectEngine effects_;
    WorkerThread effectThread_;
    LightStreamSender stream_;
    std::atomic<bool> streamEveryEffect_{false};

    std::recursive_mutex profileMutex_;
    KeyboardProfile profile_;
    std::atomic<bool> lastSaveOk_{true};
    light::LightNameLists lightNames_;
    std::vector<std::string> macroNames_;
    uint8_t previewEffect_ = 0xFF;
};

}  // namespace ivra
