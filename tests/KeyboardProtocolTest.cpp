// The keyboard object against the simulated keyboard, frame by frame: the
// connection sync and its maps, key upload, settings write and read-back,
// the macro image, custom groups, and the failures that must not reach the
// keyboard or the profile.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "discovery/DeviceSlot.h"
#include "transport/CommandFrame.h"
#include "drivers/HeadlessDeviceView.h"
#include "transport/LightStreamSender.h"
#include "services/SelectorEntry.h"
#include "base/UiLoop.h"
#include "models/lighting/EffectTicks.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "drivers/keyboard/MacroImage.h"
#include "models/keys/MacroList.h"
#include "models/lighting/LightRecordLayout.h"
#include "base/DebugOutput.h"
#include "models/profile/DataLocations.h"
#include "base/JsonHelpers.h"
#include "models/profile/ProfileStore.h"
#include "ManualClock.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimKeyboardLayout.h"
#include "TemporaryFolder.h"
#include "Eventually.h"

namespace ivra {
namespace {

namespace info = light::info;

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The keyboard as the device model describes it, without a page.
DeviceDescription KeyboardDescription() {
    DeviceDescription description;
    description.kindName = "keyboard";
    return description;
}

class KeyboardProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend.SetInstantTimeouts(true);
        ASSERT_NE(backend.Plug(keyboard), sim::kNoSimDevice);
        commandPath = backend.CollectionPath(sim::kKeyboardCommandInterface, 4);
        eventPath = backend.CollectionPath(sim::kKeyboardCommandInterface, 3);  // consumer events
        ASSERT_FALSE(commandPath.empty());

        device.SetDescription(KeyboardDescription());
        device.SetLedCount(static_cast<int>(kKeyboardPositions));
        device.Binding().SetDataRoots(root.Path().string(), IVRA_SOURCE_DIR);
        std::string error;
        dataFolder = EnsureKindDataFolder(root.Path(), "keyboard", error);
        ProfileStore store({dataFolder, DefaultDataFile(IVRA_SOURCE_DIR, "keyboard"), 1});
        ASSERT_TRUE(store.LoadProfileList());
        device.Binding().SetCurrentProfileId(store.CurrentProfileId());
        profileFile = store.CurrentProfileFile();

        ASSERT_TRUE(device.CommandTransport().Open(commandPath, TransportParamsForKind(kind::kKeyboard)));
    }

    // The command bytes of the frames the keyboard received since the last call.
    std::vector<uint8_t> Commands() {
        std::vector<uint8_t> codes;
        for (const Frame& frame : keyboard->Firmware().ReceivedFrames()) codes.push_back(frame[3]);
        keyboard->Firmware().ClearLog();
        return codes;
    }
    void Fault(uint8_t command, sim::SimFaultKind kind = sim::SimFaultKind::Status) {
        sim::SimFault fault;
        fault.command = command;
        fault.kind = kind;
        keyboard->Faults().Add(fault);
    }
    void Sync() {
        device.SyncOnConnect();
        Commands();
    }
    LightInfo Light(uint8_t effect) {
        LightInfo light = device.CurrentLight();
        light[info::kSelectItem] = effect;
        return light;
    }

    sim::SimHidBackend backend;
    std::shared_ptr<sim::SimKeyboard> keyboard = std::make_shared<sim::SimKeyboard>();
    sim::ManualClock clock;
    KestrelKeyboardDevice device{backend, clock};
    sim::TemporaryFolder root;
    std::filesystem::path dataFolder;
    std::filesystem::path profileFile;
    std::string commandPath;
    std::string eventPath;
};

TEST_F(KeyboardProtocolTest, SyncLearnsTheKeyboardsOwnKeyAndLedNumbering) {
    device.SyncOnConnect();
    // 108 keys: 324 key table bytes in 6 chunks of 56, 108 LED bytes in 2.
    const std::vector<uint8_t> expected = {0x01, 0x03, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x1B, 0x1B, 0x02};
    EXPECT_EQ(Commands(), expected);
    ASSERT_TRUE(device.KeyTableValid());
    EXPECT_EQ(device.KeyCount(), 108);

    const std::vector<uint8_t> positions = sim::SimKeyboardPositions();
    const std::vector<uint8_t> leds = sim::SimKeyboardLedMap();
    const KeyPositionMaps maps = device.Maps();
    size_t mapped = 0;
    for (size_t j = 0; j < positions.size(); ++j) {
        if (positions[j] == kNoPosition) continue;
        EXPECT_EQ(maps.deviceKey[positions[j]], j) << "position " << int(positions[j]);
        EXPECT_EQ(maps.led[positions[j]], leds[j]) << "position " << int(positions[j]);
        ++mapped;
    }
    EXPECT_EQ(mapped, 108u);
    EXPECT_EQ(std::count(maps.deviceKey.begin(), maps.deviceKey.end(), kNoDeviceKey), 18);
    // The profile came along: 126 key records from the factory data.
    EXPECT_EQ(device.KeyList().size(), kKeyboardPositions);
}

TEST_F(KeyboardProtocolTest, KeyCountsAtAndPastTheKeyTableLimit) {
    Sync();
    const KeyPositionMaps before = device.Maps();
    keyboard->Firmware().ModifyMemory([](sim::SimFirmwareMemory& m) { sim::LayOutSimKeyboard(m, 171); });
    device.SyncOnConnect();
    // 3 x 171 = 513 bytes do not fit: only the information block is read.
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x01, 0x03}));
    EXPECT_EQ(device.Maps(), before);
    EXPECT_FALSE(device.KeyTableValid());

    keyboard->Firmware().ModifyMemory([](sim::SimFirmwareMemory& m) { sim::LayOutSimKeyboard(m, 170); });
    device.SyncOnConnect();
    const std::vector<uint8_t> commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x07), 10);  // 510 bytes
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x1B), 4);   // 170 bytes
    EXPECT_TRUE(device.KeyTableValid());
    EXPECT_EQ(device.KeyCount(), 170);
    // Every position exists on a 170-key board.
    const KeyPositionMaps maps = device.Maps();
    EXPECT_EQ(std::count(maps.deviceKey.begin(), maps.deviceKey.end(), kNoDeviceKey), 0);
}

TEST_F(KeyboardProtocolTest, FailedSyncKeepsTheMapsAndRefusesKeyUploads) {
    Sync();
    const KeyPositionMaps before = device.Maps();
    const std::vector<uint8_t> table = device.DeviceKeyTable();
    Fault(0x07);
    device.SyncOnConnect();
    Commands();
    EXPECT_EQ(device.Maps(), before);
    EXPECT_EQ(device.DeviceKeyTable(), table);
    EXPECT_FALSE(device.KeyTableValid());

    // The change is kept in the profile, but nothing reaches the keyboard.
    EXPECT_FALSE(device.SetKeyAssignment(64, Assignment{0x20, 0x00, 0x05}));
    EXPECT_EQ(Commands(), std::vector<uint8_t>{});
    EXPECT_EQ(device.KeyList()[64].current.byte2, 0x05);
    const sim::SimFirmwareMemory memory = keyboard->Firmware().Memory();
    EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.keyTable.begin()));
}

TEST_F(KeyboardProtocolTest, KeyUploadWritesPositionsAtTheirKeysAndLeavesTheRest) {
    Sync();
    const KeyPositionMaps maps = device.Maps();
    const std::vector<uint8_t> before = device.DeviceKeyTable();
    // Position 64 ("A") becomes "B"; position 104 has no key on this board.
    ASSERT_NE(maps.deviceKey[64], kNoDeviceKey);
    int absent = -1;
    for (size_t p = 0; p < kKeyboardPositions && absent < 0; ++p) {
        if (maps.deviceKey[p] == kNoDeviceKey) absent = static_cast<int>(p);
    }
    ASSERT_GE(absent, 0);
    // A position the keyboard lacks changes nothing on the keyboard.
    ASSERT_TRUE(device.SetKeyAssignment(absent, Assignment{0x20, 0x00, 0x06}));
    Commands();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), keyboard->Firmware().Memory().keyTable.begin()));
    ASSERT_TRUE(device.SetKeyAssignment(64, Assignment{0x20, 0x00, 0x05}));
    const std::vector<uint8_t> commands = Commands();
    EXPECT_EQ(commands.front(), 0x03);
    EXPECT_EQ(commands[1], 0x01);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x09), 6);
    EXPECT_EQ(commands.back(), 0x02);

    std::vector<uint8_t> expected = before;
    const size_t j = maps.deviceKey[64];
    expected[3 * j + 2] = 0x05;
    const sim::SimFirmwareMemory memory = keyboard->Firmware().Memory();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.keyTable.begin()));

    // Restoring the default writes the factory table back.
    ASSERT_TRUE(device.RestoreKeyDefault(64));
    const sim::SimFirmwareMemory restored = keyboard->Firmware().Memory();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), restored.keyTable.begin()));
    // A failed write is reported.
    Fault(0x09);
    EXPECT_FALSE(device.SetKeyAssignment(64, Assignment{0x20, 0x00, 0x07}));
}

TEST_F(KeyboardProtocolTest, SettingsRecordFollowsTheProfile) {
    Sync();
    LightInfo light = Light(5);
    light[info::kLight] = 2;
    light[info::kSpeed] = 3;
    light[info::kFx] = 0;
    light[info::kMultiColor] = 0;
    light[info::kRed] = 0x11;
    light[info::kGreen] = 0x22;
    light[info::kBlue] = 0x33;
    light[info::kZZCCLedMode] = 1;
    light[info::kCustomGroup] = 2;
    ASSERT_TRUE(device.ChangeSetting(KeyboardSetting::kPollingRate, 2));
    Commands();
    ASSERT_TRUE(device.ChangeLight(light));
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x13, 0x01, 0x06, 0x02}));
    const uint8_t code = light::DeviceEffectCode(device.LightNames(), 5);
    const SettingsRecord expected = {0, code, 2, 1, 0, 0, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                                     0, 0,    0, 0, 0, 1, 0,    0,    0,    2, 0, 0, 2};
    sim::SimFirmwareMemory memory = keyboard->Firmware().Memory();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.data.begin()));
    // What was written is what the profile file says.
    EXPECT_EQ(ReadJson(profileFile)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 5);

    // The streamed effects send no 0x13 and the code of effect entry 0.
    ASSERT_TRUE(device.ChangeLight(Light(light::kMusicEffect)));
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x01, 0x06, 0x02}));
    memory = keyboard->Firmware().Memory();
    EXPECT_EQ(memory.data[settings::kEffectCode], light::DeviceEffectCode(device.LightNames(), 0));

    // The repeat settings stay in the profile. (The streamed effect's light
    // thread may send its picture meanwhile: that is no settings traffic.)
    ASSERT_TRUE(device.ChangeSetting(KeyboardSetting::kRepeatDelay, 2));
    std::vector<uint8_t> sent = Commands();
    std::erase(sent, command::kStreamLightFrame);
    EXPECT_EQ(sent, std::vector<uint8_t>{});
    EXPECT_EQ(ReadJson(profileFile)["Device"][0]["SystemStages"]["RepeatDelay"].asInt(), 2);

    EXPECT_TRUE(device.LastSaveSucceeded());
    // A change that cannot be saved is said to be so.
    const std::filesystem::path aside = dataFolder.string() + ".aside";
    std::filesystem::rename(dataFolder, aside);
    device.ChangeSetting(KeyboardSetting::kRepeat, 9);
    EXPECT_FALSE(device.LastSaveSucceeded());
    std::filesystem::rename(aside, dataFolder);
    ASSERT_TRUE(device.ChangeSetting(KeyboardSetting::kRepeat, 9));
    EXPECT_TRUE(device.LastSaveSucceeded());

    // A failed write is a failure; a keyboard that is away is not.
    Fault(0x06);
    EXPECT_FALSE(device.ChangeSetting(KeyboardSetting::kWinLock, 1));
    device.CommandTransport().Close();
    EXPECT_EQ(device.WriteSettings(0, 0, 1, 0, 0), 1);
}

TEST_F(KeyboardProtocolTest, ReadBackStoresTheActiveSlotIntoTheProfile) {
    Sync();
    const uint8_t rippleCode = light::DeviceEffectCode(device.LightNames(), 5);
    keyboard->Firmware().ModifyMemory([&](sim::SimFirmwareMemory& m) {
        m.data[0] = 2;
        const SettingsRecord record = {0, rippleCode, 1, 3, 1, 1, 9, 8, 7, 0, 0, 0, 0,
                                       0, 0,          0, 0, 0, 3, 1, 1, 1, 0, 0, 0, 4};
        std::copy(record.begin(), record.end(), m.data.begin() + 50);
    });
    EXPECT_EQ(device.ReadBackAndStore().outcome, SettingsReadBackResult::Outcome::kStored);
    LightInfo light = device.CurrentLight();
    EXPECT_EQ(light[info::kSelectItem], 5);
    EXPECT_EQ(light[info::kLight], 1);
    EXPECT_EQ(light[info::kSpeed], 1);
    EXPECT_EQ(light[info::kRed], 9);
    EXPECT_EQ(light[info::kZZCCLedMode], 3);
    EXPECT_EQ(light[info::kCustomGroup], 4);
    EXPECT_EQ(device.LastReadBackRecord()[settings::kSlot], 2);
    const Json::Value saved = ReadJson(profileFile)["Device"][0];
    EXPECT_EQ(saved["LightInfo"]["SelectItem"].asInt(), 5);
    EXPECT_EQ(saved["SystemStages"]["WinFlag"].asInt(), 1);
    EXPECT_EQ(saved["SystemStages"]["WFlag"].asInt(), 1);
    EXPECT_EQ(saved["SystemStages"]["Key6Flag"].asInt(), 1);

    // A code the model does not list is kept as the index.
    keyboard->Firmware().ModifyMemory([](sim::SimFirmwareMemory& m) { m.data[51] = 0x77; });
    device.ReadBackSettings();
    EXPECT_EQ(device.CurrentLight()[info::kSelectItem], 0x77);

    // A record that cannot be saved is reported so.
    const std::filesystem::path aside = dataFolder.string() + ".aside";
    std::filesystem::rename(dataFolder, aside);
    EXPECT_EQ(device.ReadBackAndStore().outcome, SettingsReadBackResult::Outcome::kNotSaved);
    std::filesystem::rename(aside, dataFolder);

    // A failed read changes nothing, in memory or on disk, and says which
    // read failed: the active slot (the first read) or its record.
    using Outcome = SettingsReadBackResult::Outcome;
    for (const auto& [occurrence, outcome] :
         {std::pair{1u, Outcome::kSlotUnreadable}, std::pair{2u, Outcome::kRecordUnreadable}}) {
        const std::string before = FileBytes(profileFile);
        light = device.CurrentLight();
        keyboard->Faults().Clear();
        sim::SimFault fault;
        fault.command = 0x05;
        fault.occurrence = keyboard->Faults().Seen(0x05) + occurrence;
        fault.kind = sim::SimFaultKind::Status;
        keyboard->Faults().Add(fault);
        keyboard->Firmware().ModifyMemory([](sim::SimFirmwareMemory& m) { m.data[51] = 1; });
        const SettingsReadBackResult failed = device.ReadBackAndStore();
        EXPECT_EQ(failed.outcome, outcome) << occurrence;
        EXPECT_EQ(failed.code, result::kStatusError) << occurrence;
        EXPECT_EQ(device.CurrentLight(), light) << occurrence;
        EXPECT_EQ(FileBytes(profileFile), before) << occurrence;
    }
}

TEST_F(KeyboardProtocolTest, MacroImageAndItsSizeLimit) {
    Sync();
    MacroList macros(dataFolder);
    ASSERT_TRUE(macros.Load());
    ASSERT_TRUE(macros.Add());
    ASSERT_TRUE(macros.Add());
    MacroEvent event;
    event.type = 10;
    event.button = 4;
    event.action = kActionDown;
    event.delay = 20;
    // 16 + 6 x 2 + 4 x 25 = 128 bytes: exactly one unit of macro memory.
    ASSERT_TRUE(macros.SaveEvents(0, std::vector<MacroEvent>(20, event)));
    ASSERT_TRUE(macros.SaveEvents(1, std::vector<MacroEvent>(5, event)));
    keyboard->Firmware().ModifyMemory([](sim::SimFirmwareMemory& m) { m.infoBlock[6] = 1; });
    EXPECT_EQ(device.WriteMacros(), 0);
    const std::vector<uint8_t> commands = Commands();
    EXPECT_EQ(commands.front(), 0x03);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x15), 3);  // 128 bytes in chunks of 56
    const std::vector<uint8_t> image =
        BuildMacroImage({std::vector<MacroEvent>(20, event), std::vector<MacroEvent>(5, event)});
    ASSERT_EQ(image.size(), 128u);
    const sim::SimFirmwareMemory memory = keyboard->Firmware().Memory();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.macroMemory.begin()));

    // One more event is 4 bytes too many: one event, and nothing is sent.
    ASSERT_TRUE(macros.SaveEvents(1, std::vector<MacroEvent>(6, event)));
    EXPECT_EQ(device.WriteMacros(), 1);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{0x03});
    // A failed transfer is reported as the failure it is.
    keyboard->Firmware().ModifyMemory([](sim::SimFirmwareMemory& m) { m.infoBlock[6] = 4; });
    Fault(0x15);
    EXPECT_EQ(device.WriteMacros(), kMacroWriteFailed);
    // Without the information block the macro memory's size is unknown:
    // that is said, not an overflow, and nothing is sent.
    keyboard->Faults().Clear();
    Fault(0x03);
    Commands();
    EXPECT_EQ(device.WriteMacros(), kMacroInfoBlockUnreadable);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{0x03});
}

TEST_F(KeyboardProtocolTest, AnUnreadableMacroFileSendsNothing) {
    Sync();
    MacroList macros(dataFolder);
    ASSERT_TRUE(macros.Add());
    ASSERT_TRUE(macros.SaveEvents(0, {}));
    ASSERT_TRUE(macros.Add());
    std::ofstream(macros.MacroFile(1), std::ios::trunc) << "";  // an empty file, as a full disk leaves one
    Commands();
    EXPECT_EQ(device.WriteMacros(), -1);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{0x03});  // the information block only
}

TEST_F(KeyboardProtocolTest, CustomGroupsGoToTheirBlockAndOutOfRangeGroupsNowhere) {
    Sync();
    LightInfo light = Light(light::kCustomEffect);
    light[info::kCustomGroup] = 1;
    ASSERT_TRUE(device.ChangeLight(light));
    std::vector<Frame> frames = keyboard->Firmware().ReceivedFrames();
    keyboard->Firmware().ClearLog();
    const auto block = std::find_if(frames.begin(), frames.end(), [](const Frame& f) { return f[3] == 0x0B; });
    ASSERT_NE(block, frames.end());
    EXPECT_EQ((*block)[5] | (*block)[6] << 8, 512);  // group 1

    // Painting a key stores it in the group and sends the group.
    light[info::kRed] = 0x40;
    light[info::kGreen] = 0;
    light[info::kBlue] = 0;
    ASSERT_TRUE(device.ChangeLight(light));
    Commands();
    device.CustomPaint(64);
    EXPECT_GT(Commands().size(), 0u);
    const size_t led = device.Maps().led[64];
    const sim::SimFirmwareMemory memory = keyboard->Firmware().Memory();
    EXPECT_EQ(memory.lightBlocks[512 + 3 * led], 0x40);
    EXPECT_EQ(ReadJson(profileFile)["Device"][0]["CustomLightMode"]["LightColorInfo"][1][64]["Red"].asInt(), 0x40);

    // Group 200 cannot be addressed: no light block frame at all.
    light[info::kCustomGroup] = 200;
    device.ChangeLight(light);
    device.CustomPaint(64);
    const std::vector<uint8_t> commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x0B), 0);
}

TEST_F(KeyboardProtocolTest, ListenerTurnsKeyEventsIntoOperations) {
    Sync();
    ASSERT_FALSE(eventPath.empty());
    ASSERT_TRUE(device.OpenEventChannel(false, eventPath));
    const std::vector<uint8_t> positions = sim::SimKeyboardPositions();
    const auto waitFor = [&](int value, int type) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            if (device.lastOperationValue == value && device.lastOperationType == type) return true;
            std::this_thread::yield();
        }
        return false;
    };
    ASSERT_TRUE(keyboard->EmitEvent(0x0400));
    ASSERT_TRUE(keyboard->EmitEvent(0x0700));
    ASSERT_TRUE(keyboard->PressKey(7));
    EXPECT_TRUE(waitFor(7, 1));
    ASSERT_TRUE(keyboard->ReleaseKey(7));
    EXPECT_TRUE(waitFor(7, 2));
    device.CloseEventChannel(false);
}

TEST_F(KeyboardProtocolTest, StreamedFramesGoByLedNumberOnTheCableOnly) {
    Sync();
    device.StopEffectThread();  // the test paints the buffer itself
    device.SetLightControl(true);
    ASSERT_TRUE(device.ChangeLight(Light(light::kScreenEffect)));
    Commands();
    {
        std::vector<uint32_t> colours(device.Lights().Colours().size(), 0u);
        colours[64] = light::PackLed({200, 100, 50}, 128);
        device.Lights().SetColours(colours);
    }
    device.PushLightFrame();
    ASSERT_TRUE(device.Stream().WaitIdle(5000));
    // 108 LEDs: 324 bytes in six frames; position 64's LED holds its colour x 128 / 256.
    EXPECT_EQ(Commands(), std::vector<uint8_t>(6, 0x12));
    const size_t led = device.Maps().led[64];
    const sim::SimFirmwareMemory memory = keyboard->Firmware().Memory();
    EXPECT_EQ(memory.streamImage[3 * led], 100);
    EXPECT_EQ(memory.streamImage[3 * led + 1], 50);
    EXPECT_EQ(memory.streamImage[3 * led + 2], 25);
    EXPECT_EQ(std::count(memory.streamImage.begin(), memory.streamImage.begin() + 324, 0), 321);
    EXPECT_EQ(device.Stream().Counters().sent, 1u);

    // Other effects are not streamed, and nothing goes through the receiver.
    ASSERT_TRUE(device.ChangeLight(Light(1)));
    Commands();
    device.PushLightFrame();
    ASSERT_TRUE(device.ChangeLight(Light(light::kMusicEffect)));
    Commands();
    device.CommandTransport().SimulateReceiverPathForTest(true);
    device.PushLightFrame();
    device.CommandTransport().SimulateReceiverPathForTest(false);
    EXPECT_EQ(device.Stream().Counters().submitted, 1u);
    // Without light control the page and the keyboard are left alone.
    device.SetLightControl(false);
    device.PushLightFrame();
    EXPECT_EQ(device.Stream().Counters().submitted, 1u);

    // While another exchange holds the transport, light chunks are dropped.
    device.SetLightControl(true);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{0x1C});  // light control on: command 28
    device.CommandTransport().SimulateExchangeInProgressForTest(true);
    device.PushLightFrame();
    ASSERT_TRUE(device.Stream().WaitIdle(5000));
    device.CommandTransport().SimulateExchangeInProgressForTest(false);
    EXPECT_EQ(device.CommandTransport().DroppedLightChunks(), 6u);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{});
}

TEST_F(KeyboardProtocolTest, SenderPausesAfterAFailedFrameAndKeepsOnlyTheNewest) {
    Sync();
    sim::SimFault fault;
    fault.command = 0x12;
    fault.occurrence = 1;
    fault.kind = sim::SimFaultKind::Status;
    keyboard->Faults().Add(fault);
    LightStreamSender sender(device.CommandTransport());
    const std::vector<uint8_t> first(324, 1);
    sender.Submit(first);
    // The first frame fails; while the sender pauses, newer frames replace
    // each other and only the last one is sent.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sender.Counters().failed == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    ASSERT_EQ(sender.Counters().failed, 1u);
    for (uint8_t value = 2; value <= 4; ++value) sender.Submit(std::vector<uint8_t>(324, value));
    ASSERT_TRUE(sender.WaitIdle(5000));
    const LightStreamCounters counters = sender.Counters();
    EXPECT_EQ(counters.sent, 1u);
    EXPECT_EQ(counters.replaced, 2u);
    EXPECT_EQ(keyboard->Firmware().Memory().streamImage[0], 4);
    sender.Stop();
}

using testing::Eventually;

TEST_F(KeyboardProtocolTest, RepeatedFramesGoOutOnlyAsAKeepAlive) {
    Sync();
    LightStreamSender sender(device.CommandTransport());
    const std::vector<uint8_t> a(324, 7);
    const std::vector<uint8_t> b(324, 9);
    sender.Submit(a);
    ASSERT_TRUE(sender.WaitIdle(5000));
    Commands();
    // The same picture again, before the keep-alive is due: nothing goes out.
    for (int i = 0; i < 3; ++i) sender.Submit(a);
    clock.Advance(LightStreamSender::kKeepAliveMs - 1);
    sender.Submit(a);
    ASSERT_TRUE(sender.WaitIdle(5000));
    LightStreamCounters counters = sender.Counters();
    EXPECT_EQ(counters.sent, 1u);
    EXPECT_EQ(counters.unchanged, 4u);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{});
    // Half a second after the last send the picture is repeated once.
    clock.Advance(1);
    ASSERT_TRUE(Eventually([&] { return sender.Counters().keptAlive == 1; }));
    EXPECT_EQ(Commands(), std::vector<uint8_t>(6, 0x12));
    EXPECT_EQ(keyboard->Firmware().Memory().streamImage[0], 7);
    // A changed frame goes out at once; resting ends the keep-alive, and the
    // next frame goes out whatever it holds.
    sender.Submit(b);
    ASSERT_TRUE(sender.WaitIdle(5000));
    EXPECT_EQ(keyboard->Firmware().Memory().streamImage[0], 9);
    sender.Rest();
    sender.Submit(b);
    ASSERT_TRUE(sender.WaitIdle(5000));
    counters = sender.Counters();
    EXPECT_EQ(counters.sent, 4u);
    EXPECT_EQ(counters.keptAlive, 1u);
    sender.Stop();
}

TEST_F(KeyboardProtocolTest, LightThreadPassesOnlyAtTicksThatChangeThePicture) {
    Sync();
    auto status = [&] { return device.EffectStatus(); };
    auto resting = [&] { return status().wait.waiting && !status().wait.deadlineMs.has_value(); };
    // Lets time pass in small steps until the condition holds. Time moves
    // only while the thread waits, and never past the time it waits for: a
    // thread that wakes late to several elapsed ticks would keep a step due
    // for later, which the checks below must not meet.
    auto advanceUntil = [&](auto condition) {
        return Eventually([&] {
            if (condition()) return true;
            const WorkerThread::WaitState wait = status().wait;
            const uint64_t now = clock.NowMs();
            if (!wait.waiting) return false;
            if (!wait.deadlineMs) {
                clock.Advance(4);
            } else if (*wait.deadlineMs > now) {
                clock.Advance(std::min<uint64_t>(4, *wait.deadlineMs - now));
            }
            return false;
        });
    };
    // A steady effect is painted once and then waits for an input, however
    // much time passes.
    LightInfo steady = Light(1);
    steady[info::kSpeed] = 0;
    steady[info::kMultiColor] = 0;
    ASSERT_TRUE(device.ChangeLight(steady));
    ASSERT_TRUE(advanceUntil(resting));
    const uint64_t framesAtRest = status().frames;
    EXPECT_GE(framesAtRest, 1u);
    // A light change is an input: the new colour is painted, then rest.
    steady[info::kRed] = steady[info::kRed] == 255 ? 1 : 255;
    ASSERT_TRUE(device.ChangeLight(steady));
    ASSERT_TRUE(advanceUntil([&] { return resting() && status().frames > framesAtRest; }));

    // The colour cycle at speed 4 steps once a tick: a wake between two
    // ticks makes a pass that does not step.
    LightInfo cycle = Light(19);
    cycle[info::kSpeed] = 4;
    ASSERT_TRUE(device.ChangeLight(cycle));
    ASSERT_TRUE(advanceUntil([&] { return device.Effects().StepCounter() != 0; }));
    ASSERT_TRUE(Eventually([&] {
        const WorkerThread::WaitState wait = status().wait;
        return wait.waiting && wait.deadlineMs.has_value() && *wait.deadlineMs > clock.NowMs();
    }));
    const uint64_t deadline = *status().wait.deadlineMs;
    EXPECT_EQ(deadline, light::TickStartMs(light::EffectTickAt(clock.NowMs()) + 1));
    const uint8_t step = device.Effects().StepCounter();
    const uint64_t passes = status().passes;
    device.Effects().SetAudioRecord(AudioLightInfo{});  // an input: wakes the thread
    ASSERT_TRUE(Eventually([&] { return status().passes > passes && status().wait.waiting; }));
    EXPECT_EQ(device.Effects().StepCounter(), step);
    clock.Advance(deadline - clock.NowMs());
    ASSERT_TRUE(Eventually([&] { return device.Effects().StepCounter() != step; }));

    // A reactive effect whose keys are still rests; a key press wakes it.
    LightInfo reactive = Light(4);
    reactive[info::kSpeed] = 4;
    ASSERT_TRUE(device.ChangeLight(reactive));
    ASSERT_TRUE(advanceUntil(resting));
    const uint64_t restingPasses = status().passes;
    device.OnKeyboardOperation(7, 1);
    ASSERT_TRUE(Eventually([&] { return status().passes > restingPasses; }));
    EXPECT_TRUE(Eventually([&] { return status().wait.deadlineMs.has_value(); })) << "the key fades";

    // Light control given back: the picture is handed on again, changed or not.
    ASSERT_TRUE(advanceUntil(resting));
    const uint64_t framesBefore = status().frames;
    device.SetLightControl(false);
    device.SetLightControl(true);
    EXPECT_TRUE(Eventually([&] { return status().frames > framesBefore; }));
}

class NoEntryHost final : public ISelectorEntryHost {
public:
    void OnLinkState(SelectorEntry& /*entry*/, bool /*linked*/) override {}
};

// A page that is not on screen.
class UnseenView final : public IDeviceView {
public:
    bool IsLightPositionShown(size_t /*position*/) override { return false; }
    void ShowLight(size_t, bool, light::Rgb, uint8_t) override {}
    void ShowFunction(DeviceFunction /*function*/, bool /*systemOwnPage*/) override {}
    void ShowPowerStatus(const std::array<uint8_t, 6>& /*record*/) override {}
    bool IsPageShowing() override { return seen.load(); }
    std::atomic<bool> seen{false};
};

TEST_F(KeyboardProtocolTest, NothingIsComputedForAPageNobodySeesUnlessItIsStreamed) {
    UnseenView unseen;
    device.SetView(&unseen);
    Sync();
    LightInfo cycle = Light(19);  // animated: a step every tick at speed 4
    cycle[info::kSpeed] = 4;
    ASSERT_TRUE(device.ChangeLight(cycle));
    auto status = [&] { return device.EffectStatus(); };
    auto resting = [&] { return status().wait.waiting && !status().wait.deadlineMs.has_value(); };
    ASSERT_TRUE(Eventually(resting)) << "an animation nobody sees waits";
    const uint64_t passes = status().passes;
    unseen.seen = true;
    device.OnPageShown();
    ASSERT_TRUE(Eventually([&] { return status().passes > passes && status().wait.deadlineMs.has_value(); }));
    // Streamed to the keyboard, the effect runs whether the page is seen or not.
    unseen.seen = false;
    device.SetStreamEveryEffect(true);
    device.SetLightControl(true);
    clock.Advance(100);
    ASSERT_TRUE(Eventually([&] { return status().wait.deadlineMs.has_value() && status().frames > 0; }));
    device.StopEffectThread();
    device.Stream().Stop();
    device.SetView(nullptr);
}

TEST_F(KeyboardProtocolTest, SwitchingFunctionTabsRepaintsTheKeyLights) {
    UiLoop loop(clock);
    NoEntryHost host;
    SelectorEntry entry(device, loop, host);
    device.SetHost(&entry);
    EXPECT_FALSE(loop.IsTimerSet(&entry, entry_timer::kLightFrame));
    // The key setting tab shows the keys dark, the lighting tab their
    // effect: either switch needs a repaint though no new frame came.
    for (DeviceFunction tab : {DeviceFunction::kKeys, DeviceFunction::kLighting}) {
        device.ShowFunction(tab);
        EXPECT_TRUE(loop.IsTimerSet(&entry, entry_timer::kLightFrame)) << static_cast<int>(tab);
        clock.Advance(entry_delay::kLightFrameRepaintMs);
        loop.Pump();
        EXPECT_FALSE(loop.IsTimerSet(&entry, entry_timer::kLightFrame)) << static_cast<int>(tab);
    }
    device.SetHost(nullptr);
}

TEST_F(KeyboardProtocolTest, ThePageLearnsEachKeysLabelAndStateByPosition) {
    const int positions = static_cast<int>(kKeyboardPositions);
    auto page = HeadlessDeviceView::WithPositions(positions, positions);
    device.SetView(page.get());
    DeviceDescription hundredKeys = KeyboardDescription();
    hundredKeys.pageKeyCount = 100;  // the page's key positions are 0..99
    device.SetDescription(hundredKeys);
    Sync();
    device.RefreshPage();
    std::optional<HeadlessDeviceView::KeyInfo> a = page->KeyInfoAt(64);
    ASSERT_TRUE(a.has_value());
    EXPECT_TRUE(a->unchanged) << a->title << " / " << a->text;
    EXPECT_EQ(a->text.rfind("Key_Set", 0), 0u) << a->text;
    EXPECT_FALSE(page->KeyInfoAt(110).has_value()) << "past the page's key count";
    ASSERT_TRUE(device.SetKeyAssignment(64, Assignment{0x20, 0x00, 0x05}));
    device.RefreshPage();
    a = page->KeyInfoAt(64);
    ASSERT_TRUE(a.has_value());
    EXPECT_FALSE(a->unchanged) << "the key no longer does what its label says";

    // The keys only the lighting tab uses can be picked there alone.
    device.ShowFunction(DeviceFunction::kKeys);
    EXPECT_EQ(page->KeyEnabled(0), std::optional<bool>(false));
    EXPECT_FALSE(page->KeyEnabled(1).has_value()) << "the other keys stay as they are";
    EXPECT_FALSE(page->KeyEnabled(106).has_value()) << "past the page's key count";
    device.ShowFunction(DeviceFunction::kLighting);
    EXPECT_EQ(page->KeyEnabled(0), std::optional<bool>(true));
    device.StopEffectThread();
    device.SetView(nullptr);
}

TEST_F(KeyboardProtocolTest, NoLightThreadWhileTheProgramDoesNotControlTheLights) {
    device.SetLightControlFlag(false);  // as ivractl device watch without --lights
    Sync();
    EXPECT_FALSE(device.EffectThreadRunning());
    device.SetLightControl(true);
    EXPECT_TRUE(device.EffectThreadRunning());
    device.StopEffectThread();
    device.SetLightControl(false);
    device.SetLightControl(true);
    EXPECT_FALSE(device.EffectThreadRunning()) << "a thread stopped on purpose waits for the next connection";
    Sync();
    EXPECT_TRUE(device.EffectThreadRunning());
}

TEST_F(KeyboardProtocolTest, KeyPressesReachTheEffectAtTheirPosition) {
    Sync();
    device.StopEffectThread();
    LightInfo light = Light(4);  // reactive rise
    light[info::kLight] = 4;
    light[info::kMultiColor] = 0;
    light[info::kRed] = 255;
    ASSERT_TRUE(device.ChangeLight(light));
    const std::vector<uint8_t> positions = sim::SimKeyboardPositions();
    const uint8_t key = 7;
    const uint8_t position = positions[key];
    device.OnKeyboardOperation(key, 1);
    device.OnKeyboardOperation(200, 1);  // no such key: ignored
    std::vector<uint32_t> colours(kKeyboardPositions, 0);
    device.Effects().Step(colours);
    EXPECT_GT(light::LedBrightness(colours[position]), 0);
    EXPECT_EQ(std::count_if(colours.begin(), colours.end(), [](uint32_t c) { return light::LedBrightness(c) > 0; }), 1);
}

TEST_F(KeyboardProtocolTest, EffectThreadRunsFromSyncUntilTheDeviceGoes) {
    std::vector<std::string> lines;
    std::mutex linesMutex;
    SetDebugSink([&](std::string_view line) {
        std::lock_guard<std::mutex> lock(linesMutex);
        lines.emplace_back(line);
    });
    {
        KestrelKeyboardDevice other(backend, clock);
        other.SetDescription(KeyboardDescription());
        other.SetLedCount(static_cast<int>(kKeyboardPositions));
        ASSERT_TRUE(other.CommandTransport().Open(commandPath, TransportParams{}));
        other.SyncOnConnect();
        EXPECT_TRUE(other.EffectThreadRunning());
        other.SyncOnConnect();  // a second connection restarts it
        EXPECT_TRUE(other.EffectThreadRunning());
    }
    SetDebugSink({});
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(debug::kKeyboardLightThreadExit)), 2);
}

}  // namespace
}  // namespace ivra
