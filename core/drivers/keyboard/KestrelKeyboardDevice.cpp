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
      effectThread_(kKeyboardLightThreadExitLine, kMainThreadStopBoundMs, 0), stream_(commandTransport) {
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
    IClock& clock = commandTransport.clock();
    // Away, or the program does not control the lights: nothing to paint
    // until a connection or light control wakes the thread.
    if (!commandTransport.IsOpen() || !lightControlEnabled.load()) {
        effectThread_.WaitUntil(clock, std::nullopt);
        return true;
    }
    // While synchronised lighting paints this keyboard, the engine rests.
    if (commandTransport.LightStreaming()) {
        effectThread_.WaitUntil(clock, clock.NowMs() + kSynchronisedLightingCheckMs);
        return true;
    }
    // Nothing shows the lights while the page is not seen and the effect is
    // not streamed to the keyboard: sleep until the page shows again.
    if (View() != nullptr && !View()->IsPageShowing() && !StreamedToKeyboard()) {
        effectThread_.WaitUntil(clock, std::nullopt);
        return true;
    }
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        effects_.Pass(ledColours);
        const bool again = republish_.exchange(false);
        changed = again || ledColours != publishedColours_;
        if (changed) publishedColours_.assign(ledColours.begin(), ledColours.end());
    }
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
    if (!commandTransport.IsOpen()) return;
    keyTableValid_ = false;
    commandTransport.BeginSession();
    std::array<uint8_t, kInfoBlockSize> info{};
    if (commandTransport.ReadInfoBlock(info.data()) != result::kSuccess) {
        commandTransport.EndSession();
        DebugLine("keyboard sync: the information block could not be read; the key maps stay as they were");
    } else {
        infoBlock = info;
        const int count = info[5];
        if (3 * static_cast<size_t>(count) > kMaxKeyTableBytes) {
            DebugLine("keyboard sync: the keyboard reports " + std::to_string(count) +
                      " keys, more than its key table can hold; the key maps stay as they were");
        } else {
            std::vector<uint8_t> table(3 * static_cast<size_t>(count));
            std::vector<uint8_t> leds(static_cast<size_t>(count));
            commandTransport.SetKeyTableLength(static_cast<uint16_t>(table.size()));
            const int tableRead = commandTransport.ReadKeyTable(table.data());
            const int ledsRead = commandTransport.ReadLedMap(leds.data());
            commandTransport.EndSession();
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
    if (lightControlEnabled.load()) {
        StartEffectThread();
    } else {
        effectThreadWanted_ = true;
    }
}

SettingsReadBackResult KestrelKeyboardDevice::ReadBackAndStore() {
    using Outcome = SettingsReadBackResult::Outcome;
    if (!commandTransport.IsOpen()) return {Outcome::kClosed, 0};
    uint8_t slot = 0;
    const int slotRead = commandTransport.ReadData(&slot, 1, 0);
    if (slotRead != result::kSuccess) {
        DebugLine("keyboard read-back: the active slot could not be read; nothing changed");
        return {Outcome::kSlotUnreadable, slotRead};
    }
    SettingsRecord record{};
    const int recordRead = commandTransport.ReadData(record.data(), record.size(), kSettingsSlotStride * slot);
    if (recordRead != result::kSuccess) {
        DebugLine("keyboard read-back: the settings record could not be read; nothing changed");
        return {Outcome::kRecordUnreadable, recordRead};
    }
    record[settings::kSlot] = slot;
    {
        std::lock_guard<std::mutex> lock(mapsMutex_);
        lastReadBack_ = record;
    }
    const LightInfo previous = lightEffect;
    const SettingsReadBack back = ParseSettingsRecord(record, previous);
    LightInfo light = back.light;
    light[light::info::kSelectItem] = static_cast<uint8_t>(light::EffectIndexForCode(lightNames_, back.effectCode));
    bool saved = false;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        lightEffect = light;
        if (EnsureSection()) {
            Json::Value& section = profile_.MutableDeviceSection();
            KeyboardSystemStages stages = ReadSystemStages(section);
            stages.key6Flag = back.key6Flag;
            stages.winFlag = back.winFlag;
            stages.wFlag = back.wFlag;
            WriteSystemStages(section, stages);
            light::WriteLightInfo(section, light);
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
    const std::string folder = UserDataFolder();
    const std::string id = CurrentProfileId();
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    profile_.SetDefaultDataPath(DefaultDataFile());
    if (folder.empty() || id.empty() || id.find('/') != std::string::npos || id == "..") {
        profile_.SetProfilePath({});
        profile_.SetLightConfigPath({});
        return;
    }
    profile_.SetProfilePath(std::filesystem::path(folder) / (id + ".Json"));
    profile_.SetLightConfigPath(std::filesystem::path(folder) / kRecordedConfigName);
}

std::string KestrelKeyboardDevice::GetProfilePath() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return profile_.ProfilePath().string();
}

int KestrelKeyboardDevice::LoadProfile() {
    EnsureProfileFiles();
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        profileLoaded_ = false;
        if (!profile_.ProfilePath().empty()) {
            const Json::Value section = profile_.LoadDeviceSection(profile_.ProfilePath());
            profileLoaded_ = section.isObject();
            profile_.GetKeyList();
            profile_.LoadLightConfig(profile_.LightConfigPath());
        }
    }
    ReloadKeysAndMacros();
    ReloadLightState();
    return profileLoaded_ ? 1 : 0;
}

int KestrelKeyboardDevice::LoadDefaultProfile() {
    const Json::Value defaults = ReadJson(DefaultDataFile());
    const Json::Value& devices = MemberOf(defaults, "Device");
    if (!devices.isArray() || devices.empty() || !devices[0].isObject()) return 0;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        profile_.MutableDeviceSection() = devices[0];
        profile_.GetKeyList();
        profileLoaded_ = true;
    }
    ReloadLightState();
    return 1;
}

bool KestrelKeyboardDevice::EnsureSection() {
    if (!profileLoaded_) return false;
    Json::Value& section = profile_.MutableDeviceSection();
    if (!section.isObject()) section = Json::Value(Json::objectValue);
    return true;
}

void KestrelKeyboardDevice::SaveProfile() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    if (!profileLoaded_ || profile_.ProfilePath().empty()) {
        lastSaveOk_ = false;
        return;
    }
    lastSaveOk_ = profile_.SaveDeviceSection();
    if (!lastSaveOk_) DebugLine("keyboard: the profile could not be saved: " + profile_.ProfilePath().string());
}

void KestrelKeyboardDevice::SetModelIndex(int value) {
    KestrelUSBDevice::SetModelIndex(value);
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    profile_.SetDeviceIndex(0);
}

void KestrelKeyboardDevice::ReloadKeysAndMacros() {
    const std::string folder = UserDataFolder();
    std::vector<std::string> names;
    if (!folder.empty()) {
        MacroList macros(folder);
        if (macros.Load()) names = macros.Names();
    }
    light::LightNameLists lists = light::LoadLightNames(
        DefaultDataFolderFile(kDefaultLightName),
        folder.empty() ? std::filesystem::path() : std::filesystem::path(folder) / kRecordedConfigName,
        GetModelIndex());
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    macroNames_ = std::move(names);
    lightNames_ = std::move(lists);
}

std::vector<KeyRecord> KestrelKeyboardDevice::KeyList() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return profile_.KeyList();
}

KeyboardSystemStages KestrelKeyboardDevice::SystemStages() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return ReadSystemStages(profile_.DeviceSection());
}

LightInfo KestrelKeyboardDevice::CurrentLight() {
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    return lightEffect;
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
        const Json::Value& section = profile_.DeviceSection();
        // Without a profile the light state stays what the keyboard said.
        record = profileLoaded_ ? light::ReadLightInfo(section) : lightEffect;
        perKey = light::ReadLightList(section, static_cast<size_t>(LedCount()));
        // Recorded effects follow the built-in ones in the effect list.
        const size_t builtIn = lightNames_.names.size();
        const unsigned effect = record[light::info::kSelectItem];
        if (effect >= builtIn && profileLoaded_) {
            steps = light::LoadRecordedSteps(std::filesystem::path(UserDataFolder()), profile_.LightConfig(),
                                             static_cast<unsigned>(effect - builtIn));
        }
        lightEffect = record;
    }
    perKey.resize(static_cast<size_t>(LedCount()));
    const std::vector<LightInfo> ledFramesCopy = perKey;
    const std::vector<light::RecordedStep> stepsCopy = steps;
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        ledFrames = std::move(perKey);
    }
    {
        std::lock_guard<std::recursive_mutex> lock(lightGroupLock);
        lightGroups = std::move(steps);
        lightGroupStep = 0;
    }
    effects_.SetPerKeyList(ledFramesCopy);
    effects_.SetRecordedSteps(stepsCopy);
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
    lightEffect = record;
    if (EnsureSection()) light::WriteLightInfo(profile_.MutableDeviceSection(), record);
}

void KestrelKeyboardDevice::SetLightEffectColour(const AudioLightInfo& record) {
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        audioLightEffect = record;
        if (EnsureSection()) light::WriteAudioLightInfo(profile_.MutableDeviceSection(), record);
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
    if (!lightControlEnabled.load()) return;
    PaintLightFrame();
    SubmitStreamFrame(pushColours_);
}

void KestrelKeyboardDevice::PaintLightFrame() {
    if (!lightControlEnabled.load()) return;
    // The effect thread keeps painting while the buttons are updated from a
    // copy; the copy's storage is kept from push to push.
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        pushColours_.assign(ledColours.begin(), ledColours.end());
    }
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
    return streamed && !commandTransport.ReceiverMode() && commandTransport.IsOpen() && lightControlEnabled.load();
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
    lightControlEnabled = on;
    if (on && commandTransport.IsOpen()) commandTransport.TakeLightControl();
    if (!on) {
        stream_.Rest();
    } else {
        // What was shown and sent before light control went off is stale:
        // the next pass hands its frame on whether it changed or not.
        republish_ = true;
        if (effectThreadWanted_.load() && commandTransport.IsOpen() && !effectThread_.Running()) {
            effectThread_.Start([this] { return EffectPass(); });
        }
    }
    effectThread_.Wake();
}

// ---- Custom colour groups ---------------------------------------------------

void KestrelKeyboardDevice::SendGroupImage(const std::vector<uint32_t>& colours) {
    const int group = lightEffect[light::info::kCustomGroup];
    if (group >= static_cast<int>(light::kMaxCustomGroups)) {
        DebugLine("keyboard: custom group " + std::to_string(group) + " cannot be addressed; nothing sent");
        return;
    }
    if (!commandTransport.IsOpen()) return;
    std::vector<uint8_t> image;
    {
        std::lock_guard<std::mutex> lock(mapsMutex_);
        PackGroupImage(colours, maps_, keyCount_, image);
    }
    if (image.empty()) return;
    if (commandTransport.WriteLightBlock(image.data(), image.size(), group) != result::kSuccess) {
        commandTransport.clock().SleepMs(kFailedExchangePauseMs);
    }
}

bool KestrelKeyboardDevice::CustomUpload() {
    if (lightEffect[light::info::kSelectItem] != light::kCustomEffect) return false;
    std::vector<uint32_t> colours;
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        colours = ledColours;
    }
    SendGroupImage(colours);
    return true;
}

void KestrelKeyboardDevice::CustomPaint(int position) {
    if (lightEffect[light::info::kSelectItem] != light::kCustomEffect || position < 0 || position >= LedCount()) {
        return;
    }
    std::vector<uint32_t> colours;
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        uint32_t& led = ledColours[static_cast<size_t>(position)];
        led = light::PackLed(light::FixedColour(lightEffect), light::LedBrightness(led));
        colours = ledColours;
    }
    LedColoursChanged();
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        if (EnsureSection() &&
            light::WriteCustomGroup(profile_.MutableDeviceSection(), lightEffect[light::info::kCustomGroup], colours)) {
            SaveProfile();
        }
    }
    if (!commandTransport.ReceiverMode()) SendGroupImage(colours);
}

void KestrelKeyboardDevice::SelectCustomGroup(int group) {
    if (group < 0 || group >= static_cast<int>(light::kMaxCustomGroups)) return;
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    if (EnsureSection()) light::WriteCustomGroupIndex(profile_.MutableDeviceSection(), group);
    lightEffect[light::info::kCustomGroup] = static_cast<uint8_t>(group);
}

void KestrelKeyboardDevice::LoadCustomGroup() {
    std::vector<uint32_t> colours(static_cast<size_t>(LedCount()), 0);
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        if (!EnsureSection() ||
            !light::ReadCustomGroup(profile_.MutableDeviceSection(), lightEffect[light::info::kCustomGroup],
                                    colours.size(), colours)) {
            return;
        }
    }
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        if (colours.size() == ledColours.size()) ledColours = colours;
    }
    LedColoursChanged();
    CustomUpload();
}

void KestrelKeyboardDevice::SaveCustomGroup() {
    std::vector<uint32_t> colours;
    {
        std::lock_guard<std::recursive_mutex> lock(lightFrameLock);
        colours = ledColours;
    }
    std::lock_guard<std::recursive_mutex> lock(profileMutex_);
    if (!EnsureSection()) return;
    Json::Value& section = profile_.MutableDeviceSection();
    const int group = light::ReadCustomGroupIndex(section).value_or(lightEffect[light::info::kCustomGroup]);
    if (group >= 0 && light::WriteCustomGroup(section, static_cast<size_t>(group), colours)) SaveProfile();
}

// ---- Settings --------------------------------------------------------------------

int KestrelKeyboardDevice::SettingsEffectCode(const LightInfo& light) const {
    return light::DeviceEffectCode(lightNames_, light[light::info::kSelectItem]);
}

int KestrelKeyboardDevice::WriteSettings(int /*slot*/, int /*value*/, int /*flag*/, int /*screenWidth*/,
                                         int /*screenHeight*/) {
    // Nothing to write while the keyboard is away; that is not a failure.
    if (!commandTransport.IsOpen()) return 1;
    LightInfo light{};
    KeyboardSystemStages stages;
    uint8_t code = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        const Json::Value& section = profile_.DeviceSection();
        light = light::ReadLightInfo(section);
        stages = ReadSystemStages(section);
        code = static_cast<uint8_t>(SettingsEffectCode(light));
    }
    const uint8_t effect = light[light::info::kSelectItem];
    if (effect != light::kMusicEffect && effect != light::kScreenEffect) commandTransport.HandLightsToDevice();
    const SettingsRecord record = BuildSettingsRecord(light, stages, code);
    commandTransport.BeginSession();
    const int written = commandTransport.WriteData(record.data(), record.size(), 0);
    commandTransport.EndSession();
    if (written != result::kSuccess) {
        DebugLine(std::string("keyboard: the settings record was not written: ") + DescribeResult(written));
        return 0;
    }
    return 1;
}

bool KestrelKeyboardDevice::ChangeSetting(KeyboardSetting setting, uint16_t value) {
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        if (!EnsureSection()) return false;
        Json::Value& section = profile_.MutableDeviceSection();
        KeyboardSystemStages stages = ReadSystemStages(section);
        ApplySetting(stages, setting, value);
        WriteSystemStages(section, stages);
        SaveProfile();
    }
    if (!SettingWritesDevice(setting)) return true;
    return WriteSettings(0, 0, 1, 0, 0) == 1;
}

// ---- Keys and macros -------------------------------------------------------------

bool KestrelKeyboardDevice::UploadKeyList(int block, const std::vector<KeyRecord>& keyList) {
    if (!commandTransport.IsOpen()) return false;
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
    if (commandTransport.ReadInfoBlock(info.data()) == result::kSuccess) infoBlock = info;
    const size_t positions = std::min(keyList.size(), maps.deviceKey.size());
    for (size_t p = 0; p < positions; ++p) {
        const size_t j = maps.deviceKey[p];
        if (j == kNoDeviceKey || 3 * j + 2 >= table.size()) continue;
        const AssignmentSlot& current = keyList[p].current;
        table[3 * j] = current.type;
        table[3 * j + 1] = current.byte1;
        table[3 * j + 2] = current.byte2;
    }
    commandTransport.SetKeyTableLength(static_cast<uint16_t>(table.size()));
    commandTransport.BeginSession();
    const int written = commandTransport.WriteKeyTable(table.data(), block);
    commandTransport.EndSession();
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
        std::vector<KeyRecord> keys = profile_.KeyList();
        if (position < 0 || static_cast<size_t>(position) >= keys.size()) return false;
        keys[static_cast<size_t>(position)].current.SetBytes(assignment);
        profile_.SetKeyList(keys);
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
    size_t units = infoBlock[6];
    bool infoUnreadable = false;
    if (commandTransport.IsOpen()) {
        std::array<uint8_t, kInfoBlockSize> info{};
        if (commandTransport.ReadInfoBlock(info.data()) == result::kSuccess) {
            infoBlock = info;
            units = info[6];
        } else {
            infoUnreadable = true;
        }
    }
    const std::string folder = UserDataFolder();
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
    if (!commandTransport.IsOpen()) return 0;
    const std::vector<uint8_t> image = BuildMacroImage(macros);
    commandTransport.BeginSession();
    const int written = commandTransport.WriteMacroImage(image.data(), image.size());
    commandTransport.EndSession();
    if (written != result::kSuccess) {
        DebugLine(std::string("keyboard: the macro image was not written: ") + DescribeResult(written));
        return kMacroWriteFailed;
    }
    return 0;
}

// ---- Page ------------------------------------------------------------------------

void KestrelKeyboardDevice::RefreshPage() {
    RemapKeys();
}

void KestrelKeyboardDevice::RemapKeys() {
    IDeviceView* page = View();
    if (page == nullptr) return;
    std::vector<KeyRecord> keys;
    std::vector<std::string> macros;
    {
        std::lock_guard<std::recursive_mutex> lock(profileMutex_);
        keys = profile_.KeyList();
        macros = macroNames_;
    }
    const std::vector<KeyLabel> labels =
        BuildKeyLabels(keys, macros, [page](std::string_view key) { return page->Translate(std::string(key)); });
    // The page's key positions are 0..keyCount-1.
    const size_t pageKeys = static_cast<size_t>(std::max(keyCount, 0));
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
    const size_t pageKeys = static_cast<size_t>(std::max(keyCount, 0));
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
