#include "drivers/keyboard/KestrelKeyboardDevice.h"

#include <algorithm>
#include <filesystem>

#include "drivers/keyboard/KeyLabels.h"
#include "drivers/keyboard/KeyboardLightImages.h"
#include "drivers/keyboard/MacroImage.h"
#include "models/keys/MacroList.h"
#include "models/lighting/LightSections.h"
#include "models/lighting/RecordedEffects.h"
#include "base/DebugOutput.h"
#include "base/JsonHelpers.h"

namespace ivra {

namespace {

constexpr const char* kRecordedConfigName = "norvo_light.config";
constexpr const char* kDefaultLightName = "default_light.json";
constexpr uint32_t kFailedExchangePauseMs = 200;
constexpr uint32_t kMacroUnitBytes = 128;
// Positions whose key buttons only the lighting tab uses.
constexpr size_t kLightingOnlyKeys[] = {0, 106, 109, 110, 125};

}  // namespace

KestrelKeyboardDevice::KestrelKeyboardDevice(IHidBackend& backend, IClock& clock)
    : KestrelUSBDevice(backend, clock), effects_(clock),
      effectThread_(debug::kKeyboardLightThreadExit, kMainThreadStopBoundMs, 0), stream_(CommandTransport()) {
    // The custom effect starts by loading its group into the buffer and
    // sending it to the keyboard.
    effects_.onCustomStart = [this] { LoadCustomGroup(); };
    effects_.onChange = [this] { effectThread_.Wake(); };
}

KestrelKeyboardDevice::~KestrelKeyboardDevice() {
    StopEffectThread();
    stream_.Stop();
    Shutdown();
}

// ---- Effect thread ------------------------------------------------------------------

namespace {
// While synchronised lighting paints the keyboard, how often the thread
// looks whether it has ended.
constexpr uint64_t kSynchronisedLightingCheckMs = 500;
}  // namespace

void KestrelKeyboardDevice::StartEffectThread() {
    effectThreadWanted_ = true;
    effectThread_.Start([this] { return EffectPass(); });
}

void KestrelKeyboardDevice::StopEffectThread() {
    effectThreadWanted_ = false;
    effectThread_.Stop();
}

KestrelKeyboardDevice::EffectThreadStatus KestrelKeyboardDevice::EffectStatus() const {
    return {effectPasses_.load(), effectFrames_.load(), effectThread_.CurrentWait()};
}

bool KestrelKeyboardDevice::EffectPass() {
    DeviceTransport& transport = CommandTransport();
    IClock& clock = transport.clock();
    // Away, or the program does not control the lights: nothing to paint
    // until a connection or light control wakes the thread.
    if (!transport.IsOpen() || !LightControlEnabled()) {
        effectThread_.WaitUntil(clock, std::nullopt);
        return true;
    }
    // While synchronised lighting paints this keyboard, the engine rests.
    if (transport.LightStreaming()) {
        effectThread_.WaitUntil(clock, clock.NowMs() + kSynchronisedLightingCheckMs);
        return true;
    }
    // Nothing shows the lights while the page is not seen and the effect is
    // not streamed to the keyboard: sleep until the page shows again.
    if (View() != nullptr && !View()->IsPageShowing() && !StreamedToKeyboard()) {
        effectThread_.WaitUntil(clock, std::nullopt);
        return true;
    }
    const bool changed = Lights().WithColours([this](std::vector<uint32_t>& colours) {
        effects_.Pass(colours);
        const bool again = republish_.exchange(false);
        const bool differs = again || colours != publishedColours_;
        if (differs) publishedColours_.assign(colours.begin(), colours.end());
        return differs;
    });
    ++effectPasses_;
    if (changed) {
        ++effectFrames_;
        SubmitStreamFrame(publishedColours_);
        NotifyLightFrame();
    }
    std::optional<uint64_t> next = effects_.NextChangeMs();
    const uint64_t now = clock.NowMs();
    // A deadline that has passed is taken at the next tick, never in a spin.
    if (next && *next <= now) next = light::TickStartMs(light::EffectTickAt(now) + 1);
    effectThread_.WaitUntil(clock, next);
    return true;
}

void KestrelKeyboardDevice::AttachPage() {
    KestrelUSBDevice::AttachPage();
    // Attaching lit every light of the page: what was painted before is gone.
    painted_.clear();
}

void KestrelKeyboardDevice::LedColoursChanged() {
    effectThread_.Wake();
    NotifyLightFrame();
}

// ---- Connection sync and read-back -------------------------------------------

void KestrelKeyboardDevice::SyncOnConnect() {
    if (!CommandTransport().IsOpen()) return;
    keyTableValid_ = false;
    CommandTransport().BeginSession();
    std::array<uint8_t, kInfoBlockSize> info{};
    if (CommandTransport().ReadInfoBlock(info.data()) != result::kSuccess) {
        CommandTransport().EndSession();
        DebugLine("keyboard sync: the information block could not be read; the key maps stay as they were");
    } else {
        infoBlock_ = info;
        const int count = info[5];
        if (3 * static_cast<size_t>(count) > kMaxKeyTableBytes) {
            DebugLine("keyboard sync: the keyboard reports " + std::to_string(count) +
                      " keys, more than its key table can hold; the key maps stay as they were");
        } else {
            std::vector<uint8_t> table(3 * static_cast<size_t>(count));
            std::vector<uint8_t> leds(static_cast<size_t>(count));
            CommandTransport().SetKeyTableLength(static_cast<uint16_t>(table.size()));
            const int tableRead = CommandTransport().ReadKeyTable(table.data());
            const int ledsRead = CommandTransport().ReadLedMap(leds.data());
            CommandTransport().EndSession();
            if (tableRead == result::kSuccess && ledsRead == result::kSuccess) {
                const KeyPositionMaps maps = BuildKeyPositionMaps(table, leds, count);
                std::lock_guard<std::mutex> lock(mapsMutex_);
                deviceKeyTable_ = std::move(table);
                ledMap_ = std::move(leds);
                maps_ = maps;
                keyCount_ = count;
                keyTableValid_ = true;
            } else {
                DebugLine("keyboard sync: the key table or LED map could not be read (" +
                          std::string(DescribeResult(tableRead != result::kSuccess ? tableRead : ledsRead)) +
                          "); the key maps stay as they were and key uploads wait for the next connection");
            }
        }
    }
    LoadProfile();
    RefreshPage();
    effectThread_.Stop();
    // Nothing shows lights while the program does not control them (ivractl's
    // device watch without --lights): no thread runs then.
    if (LightControlEnabled()) {
        StartEffectThread();
    } else {
        effectThreadWanted_ = true;
    }
}

SettingsReadBackResult KestrelKeyboardDevice::ReadBackAndStore() {
    using Outcome = SettingsReadBackResult::Outcome;
    if (!CommandTransport().IsOpen()) return {Outcome::kClosed, 0};
    uint8_t slot = 0;
    const int slotRead = CommandTransport().ReadData(&slot, 1, 0);
    if (slotRead != result::kSuccess) {
        DebugLine("keyboard read-back: the active slot could not be read; nothing changed");
        return {Outcome::kSlotUnreadable, slotRead};
    }
    SettingsRecord record{};
    const int recordRead = CommandTransport().ReadData(record.data(), record.size(), kSettingsSlotStride * slot);
    if (recordRead != result::kSuccess) {
        DebugLine("keyboard read-back: the settings record could not be read; nothing changed");
        return {Outcome::kRecordUnreadable, recordRead};
    }
    record[settings::kSlot] = slot;
    {
        std::lock_guard<std::mutex> lock(mapsMutex_);
        lastReadBack_ = record;
    }
    const LightInfo previous = Lights().Record();
    const SettingsReadBack back = ParseSettingsRecord(record, previous);
    LightInfo light = back.light;
    light[light::info::kSelectItem] = static_cast<uint8_t>(light::EffectIndexForCode(lightNames_, back.effectCode));
    bool saved = false;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        Lights().SetRecord(light);
        if (profile_.Loaded()) {
            KeyboardSystemStages stages = profile_.Settings().system;
            stages.key6Flag = back.key6Flag;
            stages.winFlag = back.winFlag;
            stages.wFlag = back.wFlag;
            profile_.SetSystem(stages);
            profile_.SetLight(light);
            SaveProfile();
            saved = lastSaveOk_.load();
        }
    }
    // A new effect (or the custom one) restarts the preview from the
    // keyboard's state.
    ReloadLight(true);
    RefreshPage();
    return {saved ? Outcome::kStored : Outcome::kNotSaved, result::kSuccess};
}

// ---- Profile ---------------------------------------------------------------------

void KestrelKeyboardDevice::EnsureProfileFiles() {
    const std::string folder = Binding().UserDataFolder();
    const std::string id = Binding().CurrentProfileId();
    const std::filesystem::path defaults = Binding().DefaultDataFile();
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    if (folder.empty() || id.empty() || id.find('/') != std::string::npos || id == "..") {
        profile_.SetPaths({}, {}, defaults);
        return;
    }
    profile_.SetPaths(std::filesystem::path(folder) / (id + ".Json"),
                      std::filesystem::path(folder) / kRecordedConfigName, defaults);
}

std::string KestrelKeyboardDevice::GetProfilePath() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return profile_.ProfilePath().string();
}

int KestrelKeyboardDevice::LoadProfile() {
    EnsureProfileFiles();
    bool loaded = false;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        loaded = profile_.Load();
    }
    ReloadKeysAndMacros();
    ReloadLightState();
    return loaded ? 1 : 0;
}

int KestrelKeyboardDevice::LoadDefaultProfile() {
    const Json::Value defaults = ReadJson(Binding().DefaultDataFile());
    const Json::Value& devices = MemberOf(defaults, "Device");
    if (!devices.isArray() || devices.empty() || !devices[0].isObject()) return 0;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        profile_.LoadDefaults(devices[0]);
    }
    ReloadLightState();
    return 1;
}

void KestrelKeyboardDevice::SaveProfile() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    if (!profile_.Loaded() || profile_.ProfilePath().empty()) {
        lastSaveOk_ = false;
        return;
    }
    lastSaveOk_ = profile_.Save();
    if (!lastSaveOk_) DebugLine("keyboard: the profile could not be saved: " + profile_.ProfilePath().string());
}

void KestrelKeyboardDevice::ReloadKeysAndMacros() {
    const std::string folder = Binding().UserDataFolder();
    std::vector<std::string> names;
    if (!folder.empty()) {
        MacroList macros(folder);
        if (macros.Load()) names = macros.Names();
    }
    light::LightNameLists lists = light::LoadLightNames(
        Binding().DefaultDataFolderFile(kDefaultLightName),
        folder.empty() ? std::filesystem::path() : std::filesystem::path(folder) / kRecordedConfigName,
        Description().modelIndex);
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    macroNames_ = std::move(names);
    lightNames_ = std::move(lists);
}

std::vector<KeyRecord> KestrelKeyboardDevice::KeyList() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return profile_.Settings().keys;
}

KeyboardSystemStages KestrelKeyboardDevice::SystemStages() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return profile_.Settings().system;
}

LightInfo KestrelKeyboardDevice::CurrentLight() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return Lights().Record();
}

// ---- Lights ----------------------------------------------------------------------

int KestrelKeyboardDevice::ReloadLightState() {
    return ReloadLight(false);
}

int KestrelKeyboardDevice::ReloadLight(bool fromReadBack) {
    LightInfo record{};
    std::vector<LightInfo> perKey;
    std::vector<light::RecordedStep> steps;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        const KeyboardSettings& settings = profile_.Settings();
        // Without a profile the light state stays what the keyboard said.
        record = profile_.Loaded() ? settings.light.ToRecord() : Lights().Record();
        perKey = settings.perKeyLights;
        // Recorded effects follow the built-in ones in the effect list.
        const size_t builtIn = lightNames_.names.size();
        const unsigned effect = record[light::info::kSelectItem];
        if (effect >= builtIn && profile_.Loaded()) {
            steps = light::LoadRecordedSteps(std::filesystem::path(Binding().UserDataFolder()), profile_.LightConfig(),
                                             static_cast<unsigned>(effect - builtIn));
        }
        Lights().SetRecord(record);
    }
    perKey.resize(static_cast<size_t>(LedCount()));
    Lights().SetPerLedRecords(perKey);
    effects_.SetPerKeyList(perKey);
    effects_.SetRecordedSteps(steps);
    const uint8_t effect = record[light::info::kSelectItem];
    const bool restart = effect != previewEffect_ || effect == light::kCustomEffect;
    previewEffect_ = effect;
    if (restart) {
        RestartPreview(fromReadBack);
    } else {
        effects_.SetRecord(record);
    }
    return 0;
}

void KestrelKeyboardDevice::RestartPreview(bool fromReadBack) {
    // Outside every lock of the device: the custom effect's start takes them.
    effects_.Restart(CurrentLight(), fromReadBack);
}

void KestrelKeyboardDevice::SetLightEffect(const LightInfo& record) {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    Lights().SetRecord(record);
    profile_.SetLight(record);
}

void KestrelKeyboardDevice::SetLightEffectColour(const AudioLightInfo& record) {
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        profile_.SetAudioLight(record);
    }
    effects_.SetAudioRecord(record);
}

void KestrelKeyboardDevice::FeedScreenColours(const std::vector<uint8_t>& data) {
    effects_.FeedScreenColours(std::span<const uint8_t>(data.data(), data.size()));
}

bool KestrelKeyboardDevice::ChangeLight(const LightInfo& record) {
    SetLightEffect(record);
    SaveProfile();
    ReloadLightState();
    return WriteSettings(0, 0, 1, 0, 0) == 1;
}

void KestrelKeyboardDevice::PushLightFrame() {
    if (!LightControlEnabled()) return;
    PaintLightFrame();
    SubmitStreamFrame(pushColours_);
}

void KestrelKeyboardDevice::PaintLightFrame() {
    if (!LightControlEnabled()) return;
    // The effect thread keeps painting while the buttons are updated from a
    // copy; the copy's storage is kept from push to push.
    Lights().WithColours(
        [this](const std::vector<uint32_t>& colours) { pushColours_.assign(colours.begin(), colours.end()); });
    IDeviceView* page = View();
    if (page == nullptr) return;
    if (painted_.size() != pushColours_.size()) painted_.assign(pushColours_.size(), PaintedLight{});
    const bool lightingTab = ShownFunction() == DeviceFunction::kLighting;
    for (size_t p = 0; p < pushColours_.size(); ++p) {
        // Dark outside the lighting tab and where the page hides the light
        // (a position the page has no light for ignores what it is shown).
        light::Rgb colour;
        uint8_t level = 0;
        if (lightingTab && page->IsLightPositionShown(p)) {
            const uint32_t led = pushColours_[p];
            colour = light::LedColour(led);
            level = light::LedBrightness(led);
        }
        // Only the buttons whose light changed are touched (and repainted).
        PaintedLight& shown = painted_[p];
        if (shown.known && shown.colour == colour && shown.level == level) continue;
        shown = {true, colour, level};
        page->ShowLight(p, true, colour, level);
    }
}

void KestrelKeyboardDevice::OnPageShown() {
    republish_ = true;
    effectThread_.Wake();
}

bool KestrelKeyboardDevice::StreamedToKeyboard() {
    const uint8_t effect = effects_.EffectIndex();
    const bool streamed = effect == light::kMusicEffect || effect == light::kScreenEffect || streamEveryEffect_.load();
    // Through the receiver the frames are never sent.
    const DeviceTransport& transport = CommandTransport();
    return streamed && !transport.ReceiverMode() && transport.IsOpen() && LightControlEnabled();
}

void KestrelKeyboardDevice::SubmitStreamFrame(const std::vector<uint32_t>& colours) {
    const bool streamed = StreamedToKeyboard();
    std::lock_guard<std::mutex> lock(mapsMutex_);
    PackStreamFrame(colours, maps_, keyCount_, frame_);
    // The sender thread does the USB work so the caller never waits on it.
    if (!streamed || frame_.empty()) {
        stream_.Rest();
        return;
    }
    stream_.Submit(frame_);
}

std::vector<uint8_t> KestrelKeyboardDevice::LastFrame() const {
    std::lock_guard<std::mutex> lock(mapsMutex_);
    return frame_;
}

void KestrelKeyboardDevice::SetLightControl(bool on) {
    SetLightControlFlag(on);
    if (on && CommandTransport().IsOpen()) CommandTransport().TakeLightControl();
    if (!on) {
        stream_.Rest();
    } else {
        // What was shown and sent before light control went off is stale:
        // the next pass hands its frame on whether it changed or not.
        republish_ = true;
        if (effectThreadWanted_.load() && CommandTransport().IsOpen() && !effectThread_.Running()) {
            effectThread_.Start([this] { return EffectPass(); });
        }
    }
    effectThread_.Wake();
}

// ---- Custom colour groups ---------------------------------------------------

void KestrelKeyboardDevice::SendGroupImage(const std::vector<uint32_t>& colours) {
    SendGroupImageTo(Lights().Record()[light::info::kCustomGroup], colours);
}

bool KestrelKeyboardDevice::SendGroupImageTo(int group, const std::vector<uint32_t>& colours) {
    if (group < 0 || group >= static_cast<int>(light::kMaxCustomGroups)) {
        DebugLine("keyboard: custom group " + std::to_string(group) + " cannot be addressed; nothing sent");
        return false;
    }
    if (!CommandTransport().IsOpen()) return false;
    std::vector<uint8_t> image;
    {
        std::lock_guard<std::mutex> lock(mapsMutex_);
        PackGroupImage(colours, maps_, keyCount_, image);
    }
    if (image.empty()) return false;
    if (CommandTransport().WriteLightBlock(image.data(), image.size(), group) != result::kSuccess) {
        CommandTransport().clock().SleepMs(kFailedExchangePauseMs);
        return false;
    }
    return true;
}

bool KestrelKeyboardDevice::UploadCustomGroup(int group) {
    // Groups are sent on the cable only, as every custom colour write.
    if (CommandTransport().ReceiverMode()) return false;
    return SendGroupImageTo(group, CustomGroupColours(group));
}

bool KestrelKeyboardDevice::SaveCustomGroupAs(int group) {
    if (group < 0 || group >= static_cast<int>(light::kMaxCustomGroups)) return false;
    const std::vector<uint32_t> colours = Lights().Colours();
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    if (!profile_.SetCustomGroup(static_cast<size_t>(group), colours)) return false;
    SaveProfile();
    return LastSaveSucceeded();
}

bool KestrelKeyboardDevice::CustomUpload() {
    if (Lights().Record()[light::info::kSelectItem] != light::kCustomEffect) return false;
    SendGroupImage(Lights().Colours());
    return true;
}

void KestrelKeyboardDevice::CustomPaint(int position) {
    const LightInfo record = Lights().Record();
    if (record[light::info::kSelectItem] != light::kCustomEffect || position < 0 || position >= LedCount()) {
        return;
    }
    const std::vector<uint32_t> colours = Lights().WithColours([&](std::vector<uint32_t>& leds) {
        if (static_cast<size_t>(position) < leds.size()) {
            uint32_t& led = leds[static_cast<size_t>(position)];
            led = light::PackLed(light::FixedColour(record), light::LedBrightness(led));
        }
        return leds;
    });
    LedColoursChanged();
    StoreAndSendCustomGroup(record[light::info::kCustomGroup], colours);
}

CustomPaintOutcome KestrelKeyboardDevice::StoreAndSendCustomGroup(int group, const std::vector<uint32_t>& colours) {
    bool stored = false;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        stored = group >= 0 && profile_.SetCustomGroup(static_cast<size_t>(group), colours);
        if (stored) SaveProfile();
    }
    // Sent whether or not the file was written; through the receiver the
    // colours are never sent. The outcome names the first step that did not
    // happen.
    const bool sent = CommandTransport().ReceiverMode() || SendGroupImageTo(group, colours);
    if (!stored) return CustomPaintOutcome::kNotStored;
    if (!LastSaveSucceeded()) return CustomPaintOutcome::kNotSaved;
    return sent ? CustomPaintOutcome::kPainted : CustomPaintOutcome::kNotSent;
}

CustomPaintOutcome KestrelKeyboardDevice::PaintCustomKeys(const std::vector<int>& positions,
                                                          std::optional<light::Rgb> colour) {
    const LightInfo record = Lights().Record();
    if (record[light::info::kSelectItem] != light::kCustomEffect) return CustomPaintOutcome::kNotCustomEffect;
    const int leds = LedCount();
    for (int position : positions) {
        if (position < 0 || position >= leds) return CustomPaintOutcome::kNoSuchLight;
    }
    const std::vector<uint32_t> colours = Lights().WithColours([&](std::vector<uint32_t>& buffer) {
        for (int position : positions) {
            if (static_cast<size_t>(position) >= buffer.size()) continue;
            uint32_t& led = buffer[static_cast<size_t>(position)];
            const uint8_t level = light::LedBrightness(led);
            led = colour ? light::PackLed(*colour, level != 0 ? level : 255) : light::PackLed({}, 0);
        }
        return buffer;
    });
    LedColoursChanged();
    return StoreAndSendCustomGroup(record[light::info::kCustomGroup], colours);
}

std::vector<uint32_t> KestrelKeyboardDevice::CustomGroupColours(int group) {
    std::vector<uint32_t> colours(static_cast<size_t>(LedCount()), 0);
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    const auto& groups = profile_.Settings().customGroups;
    if (group < 0 || static_cast<size_t>(group) >= groups.size()) return colours;
    const std::vector<uint32_t>& stored = groups[static_cast<size_t>(group)];
    std::copy_n(stored.begin(), std::min(stored.size(), colours.size()), colours.begin());
    return colours;
}

light::AudioLightSettings KestrelKeyboardDevice::AudioLight() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return profile_.Settings().audioLight;
}

bool KestrelKeyboardDevice::ChangeAudioLight(const light::AudioLightSettings& settings) {
    SetLightEffectColour(settings.ToRecord());
    SaveProfile();
    return LastSaveSucceeded();
}

void KestrelKeyboardDevice::SelectCustomGroup(int group) {
    if (group < 0 || group >= static_cast<int>(light::kMaxCustomGroups)) return;
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    profile_.SetCustomGroupIndex(group);
    LightInfo record = Lights().Record();
    record[light::info::kCustomGroup] = static_cast<uint8_t>(group);
    Lights().SetRecord(record);
}

void KestrelKeyboardDevice::LoadCustomGroup() {
    std::vector<uint32_t> colours(static_cast<size_t>(LedCount()), 0);
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        if (!profile_.ReadCustomGroup(Lights().Record()[light::info::kCustomGroup], colours.size(), colours)) return;
    }
    Lights().WithColours([&colours](std::vector<uint32_t>& leds) {
        if (colours.size() == leds.size()) leds = colours;
    });
    LedColoursChanged();
    CustomUpload();
}

void KestrelKeyboardDevice::SaveCustomGroup() {
    const std::vector<uint32_t> colours = Lights().Colours();
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    if (!profile_.Loaded()) return;
    const int group = profile_.Settings().customGroupIndex.value_or(Lights().Record()[light::info::kCustomGroup]);
    if (group >= 0 && profile_.SetCustomGroup(static_cast<size_t>(group), colours)) SaveProfile();
}

// ---- Settings --------------------------------------------------------------------

int KestrelKeyboardDevice::SettingsEffectCode(const LightInfo& light) const {
    return light::DeviceEffectCode(lightNames_, light[light::info::kSelectItem]);
}

int KestrelKeyboardDevice::WriteSettings(int /*slot*/, int /*value*/, int /*flag*/, int /*screenWidth*/,
                                         int /*screenHeight*/) {
    // Nothing to write while the keyboard is away; that is not a failure.
    if (!CommandTransport().IsOpen()) return 1;
    LightInfo light{};
    KeyboardSystemStages stages;
    uint8_t code = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        const KeyboardSettings& settings = profile_.Settings();
        light = settings.light.ToRecord();
        stages = settings.system;
        code = static_cast<uint8_t>(SettingsEffectCode(light));
    }
    const uint8_t effect = light[light::info::kSelectItem];
    if (effect != light::kMusicEffect && effect != light::kScreenEffect) CommandTransport().HandLightsToDevice();
    const SettingsRecord record = BuildSettingsRecord(light, stages, code);
    CommandTransport().BeginSession();
    const int written = CommandTransport().WriteData(record.data(), record.size(), 0);
    CommandTransport().EndSession();
    if (written != result::kSuccess) {
        DebugLine(std::string("keyboard: the settings record was not written: ") + DescribeResult(written));
        return 0;
    }
    return 1;
}

bool KestrelKeyboardDevice::ChangeSetting(KeyboardSetting setting, uint16_t value) {
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        if (!profile_.Loaded()) return false;
        KeyboardSystemStages stages = profile_.Settings().system;
        ApplySetting(stages, setting, value);
        profile_.SetSystem(stages);
        SaveProfile();
    }
    if (!SettingWritesDevice(setting)) return true;
    return WriteSettings(0, 0, 1, 0, 0) == 1;
}

// ---- Keys and macros -------------------------------------------------------------

bool KestrelKeyboardDevice::UploadKeyList(int block, const std::vector<KeyRecord>& keyList) {
    if (!CommandTransport().IsOpen()) return false;
    if (!keyTableValid_.load()) {
        DebugLine("keyboard: no key table was read from this keyboard since it connected; the key upload is refused");
        return false;
    }
    std::vector<uint8_t> table;
    KeyPositionMaps maps;
    {
        std::lock_guard<std::mutex> lock(mapsMutex_);
        table = deviceKeyTable_;
        maps = maps_;
    }
    std::array<uint8_t, kInfoBlockSize> info{};
    if (CommandTransport().ReadInfoBlock(info.data()) == result::kSuccess) infoBlock_ = info;
    const size_t positions = std::min(keyList.size(), maps.deviceKey.size());
    for (size_t p = 0; p < positions; ++p) {
        const size_t j = maps.deviceKey[p];
        if (j == kNoDeviceKey || 3 * j + 2 >= table.size()) continue;
        const AssignmentSlot& current = keyList[p].current;
        table[3 * j] = current.type;
        table[3 * j + 1] = current.byte1;
        table[3 * j + 2] = current.byte2;
    }
    CommandTransport().SetKeyTableLength(static_cast<uint16_t>(table.size()));
    CommandTransport().BeginSession();
    const int written = CommandTransport().WriteKeyTable(table.data(), block);
    CommandTransport().EndSession();
    if (written != result::kSuccess) {
        DebugLine(std::string("keyboard: the key table was not written: ") + DescribeResult(written));
        return false;
    }
    return true;
}

bool KestrelKeyboardDevice::WriteKeyAssignments(int block) {
    return UploadKeyList(block, KeyList());
}

bool KestrelKeyboardDevice::SetKeyAssignment(int position, Assignment assignment) {
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        if (position < 0 || !profile_.SetKeyAssignment(static_cast<size_t>(position), assignment)) return false;
        SaveProfile();
    }
    RemapKeys();
    return WriteKeyAssignments(0);
}

bool KestrelKeyboardDevice::RestoreKeyDefault(int position) {
    std::vector<KeyRecord> keys = KeyList();
    if (position < 0 || static_cast<size_t>(position) >= keys.size()) return false;
    return SetKeyAssignment(position, keys[static_cast<size_t>(position)].defaults.Bytes());
}

int KestrelKeyboardDevice::WriteMacros() {
    size_t units = infoBlock_[6];
    bool infoUnreadable = false;
    if (CommandTransport().IsOpen()) {
        std::array<uint8_t, kInfoBlockSize> info{};
        if (CommandTransport().ReadInfoBlock(info.data()) == result::kSuccess) {
            infoBlock_ = info;
            units = info[6];
        } else {
            infoUnreadable = true;
        }
    }
    const std::string folder = Binding().UserDataFolder();
    if (folder.empty()) return 0;
    MacroList list(folder);
    std::vector<std::vector<MacroEvent>> macros;
    // A list or macro file that cannot be read sends nothing rather than an
    // empty or partial image.
    if (const MacroListResult read = list.ReadAllEvents(macros); !read) {
        DebugLine("keyboard: the macros were not written: " + read.reason);
        return kMacroWriteFailed;
    }
    if (macros.empty()) return 0;
    // Without the block the size of the macro memory is unknown: the macros
    // must not be measured against a stale or empty one.
    if (infoUnreadable) {
        DebugLine("keyboard: the information block could not be read; the macros were not sent");
        return kMacroInfoBlockUnreadable;
    }
    const int overflow = MacroImageOverflow(MacroImageSize(macros), kMacroUnitBytes * units);
    if (overflow > 0) return overflow;
    if (!CommandTransport().IsOpen()) return 0;
    const std::vector<uint8_t> image = BuildMacroImage(macros);
    CommandTransport().BeginSession();
    const int written = CommandTransport().WriteMacroImage(image.data(), image.size());
    CommandTransport().EndSession();
    if (written != result::kSuccess) {
        DebugLine(std::string("keyboard: the macro image was not written: ") + DescribeResult(written));
        return kMacroWriteFailed;
    }
    return 0;
}

// ---- Page ------------------------------------------------------------------------

void KestrelKeyboardDevice::RefreshPage() {
    RemapKeys();
    if (IDeviceView* page = View()) page->ShowSettings();
}

void KestrelKeyboardDevice::RemapKeys() {
    IDeviceView* page = View();
    if (page == nullptr) return;
    std::vector<KeyRecord> keys;
    std::vector<std::string> macros;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        keys = profile_.Settings().keys;
        macros = macroNames_;
    }
    const std::vector<KeyLabel> labels =
        BuildKeyLabels(keys, macros, [page](std::string_view key) { return page->Translate(std::string(key)); });
    // The page's key positions are 0..keyCount-1.
    const size_t pageKeys = static_cast<size_t>(std::max(Description().pageKeyCount, 0));
    for (size_t p = 0; p < labels.size() && p < pageKeys; ++p) {
        if (!labels[p].shown) continue;
        page->ShowKeyInfo(p, labels[p].title, labels[p].text, labels[p].unchanged);
    }
}

void KestrelKeyboardDevice::ShowFunction(DeviceFunction function) {
    KestrelUSBDevice::ShowFunction(function);
    // The key lights show the effect on the lighting tab only: repaint them.
    NotifyLightFrame();
    IDeviceView* page = View();
    const bool lighting = function == DeviceFunction::kLighting;
    if (page == nullptr || (!lighting && function != DeviceFunction::kKeys)) return;
    const size_t pageKeys = static_cast<size_t>(std::max(Description().pageKeyCount, 0));
    for (size_t position : kLightingOnlyKeys) {
        if (position < pageKeys) page->SetKeyEnabled(position, lighting);
    }
}

// ---- Listeners -------------------------------------------------------------------

void KestrelKeyboardDevice::OnKindEvent(uint16_t code, bool receiverChannel) {
    if (receiverChannel) return;
    if (code >= 0x0500 && code <= 0x05FF) {
        OnKeyboardOperation(code - 0x0500, 1);
    } else if (code >= 0x0600 && code <= 0x06FF) {
        OnKeyboardOperation(code - 0x0600, 2);
    }
}

void KestrelKeyboardDevice::OnActiveProfileEvent(uint16_t code) {
    KestrelUSBDevice::OnActiveProfileEvent(code);
}

void KestrelKeyboardDevice::OnKeyboardOperation(int value, int type) {
    lastOperationValue = value;
    lastOperationType = type;
    const int position = Maps().PositionOfDeviceKey(value);
    if (position < 0) return;
    // The reactive fade effect lights keys on presses only.
    if (type == light::kKeyReleased && effects_.EffectIndex() == 16) return;
    effects_.OnKeyEvent(position, type);
}

// ---- State -----------------------------------------------------------------------

KeyPositionMaps KestrelKeyboardDevice::Maps() const {
    std::lock_guard<std::mutex> lock(mapsMutex_);
    return maps_;
}

int KestrelKeyboardDevice::KeyCount() const {
    std::lock_guard<std::mutex> lock(mapsMutex_);
    return keyCount_;
}

std::vector<uint8_t> KestrelKeyboardDevice::DeviceKeyTable() const {
    std::lock_guard<std::mutex> lock(mapsMutex_);
    return deviceKeyTable_;
}

std::vector<uint8_t> KestrelKeyboardDevice::LedMap() const {
    std::lock_guard<std::mutex> lock(mapsMutex_);
    return ledMap_;
}

SettingsRecord KestrelKeyboardDevice::LastReadBackRecord() const {
    std::lock_guard<std::mutex> lock(mapsMutex_);
    return lastReadBack_;
}

}  // namespace ivra
