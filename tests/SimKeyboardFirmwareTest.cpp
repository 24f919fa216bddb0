// The simulated keyboard's memory and events as the program meets them:
// through a real command transport and event listener against the
// simulated backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "transport/DeviceTransport.h"
#include "transport/EventListener.h"
#include "models/lighting/KeyboardLayout.h"
#include "ManualClock.h"
#include "SimDeviceFile.h"
#include "SimHidBackend.h"
#include "SimHidNode.h"
#include "SimKeyboard.h"
#include "SimKeyboardLayout.h"
#include "SimScriptRunner.h"

namespace ivra::sim {
namespace {

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
    return bytes;
}

std::array<uint8_t, 3> EntryAt(const std::vector<uint8_t>& table, size_t key) {
    return {table[3 * key], table[3 * key + 1], table[3 * key + 2]};
}

bool IsPermutationOfFirst(const std::vector<uint8_t>& values, size_t n) {
    std::vector<uint8_t> identity(n);
    std::iota(identity.begin(), identity.end(), uint8_t{0});
    return values.size() == n && std::is_permutation(values.begin(), values.end(), identity.begin());
}

class SimKeyboardFirmwareTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend_.SetInstantTimeouts(true);
        ASSERT_NE(backend_.Plug(keyboard_), kNoSimDevice);
        ASSERT_TRUE(transport_.Open(PathOf(0xFF1C), TransportParams{false, 56}));
    }

    std::string PathOf(uint16_t usagePage) {
        std::vector<HidInterfaceEntry> entries;
        EXPECT_TRUE(backend_.Enumerate(entries));
        for (const HidInterfaceEntry& e : entries) {
            if (e.interfaceNumber == kKeyboardCommandInterface && e.usagePage == usagePage) {
                return e.path;
            }
        }
        ADD_FAILURE() << "no collection of usage page " << usagePage;
        return {};
    }

    void Load(const std::string& json) {
        std::string error;
        ASSERT_TRUE(LoadSimDeviceText(json, *keyboard_, keyboard_->Firmware(), error)) << error;
    }

    std::vector<uint8_t> InfoBlock() {
        std::vector<uint8_t> block(kInfoBlockSize);
        EXPECT_EQ(transport_.ReadInfoBlock(block.data()), result::kSuccess);
        return block;
    }

    // What the connect sync reads for n keys: 3n bytes of key table and n of
    // LED map.
    int ReadKeyTable(size_t keys, std::vector<uint8_t>& table) {
        transport_.SetKeyTableLength(static_cast<uint16_t>(3 * keys));
        table.assign(3 * keys, 0);
        return transport_.ReadKeyTable(table.data());
    }
    int ReadLedMap(size_t keys, std::vector<uint8_t>& map) {
        transport_.SetKeyTableLength(static_cast<uint16_t>(3 * keys));
        map.assign(keys, 0);
        return transport_.ReadLedMap(map.data());
    }

    SimHidBackend backend_;
    std::shared_ptr<SimKeyboard> keyboard_ = std::make_shared<SimKeyboard>();
    ManualClock clock_;
    DeviceTransport transport_{backend_, clock_};
};

TEST_F(SimKeyboardFirmwareTest, FactoryKeyboardHasItsOwnKeyAndLedOrder) {
    const std::vector<uint8_t> info = InfoBlock();
    EXPECT_EQ(info[5], kSimKeyboardKeys);
    EXPECT_EQ(info[6], kSimKeyboardMacroUnits);

    std::vector<uint8_t> table;
    ASSERT_EQ(ReadKeyTable(kSimKeyboardKeys, table), result::kSuccess);
    const std::vector<uint8_t> positions = SimKeyboardPositions();
    ASSERT_EQ(positions.size(), kSimKeyboardKeys);
    EXPECT_FALSE(std::is_sorted(positions.begin(), positions.end()));
    for (size_t j = 0; j < kSimKeyboardKeys; ++j) {
        SCOPED_TRACE(j);
        ASSERT_LT(positions[j], kKeyboardPositions);
        // The program finds a position by the first default entry equal to
        // the key's: that must be this key's position, and no other key may
        // claim it.
        const auto found = std::find(kDefaultKeyTable.begin(), kDefaultKeyTable.end(), EntryAt(table, j));
        EXPECT_EQ(found - kDefaultKeyTable.begin(), positions[j]);
        EXPECT_EQ(std::count(positions.begin(), positions.end(), positions[j]), 1);
    }

    std::vector<uint8_t> leds;
    ASSERT_EQ(ReadLedMap(kSimKeyboardKeys, leds), result::kSuccess);
    EXPECT_EQ(leds, SimKeyboardLedMap());
    EXPECT_TRUE(IsPermutationOfFirst(leds, kSimKeyboardKeys));
    EXPECT_FALSE(std::is_sorted(leds.begin(), leds.end()));

    // Slot 0 is active and holds a record with an effect.
    std::vector<uint8_t> record(SimFirmwareMemory::kSettingsRecordSize);
    ASSERT_EQ(transport_.ReadData(record.data(), record.size(), 0), result::kSuccess);
    EXPECT_EQ(record, SimKeyboardFactorySettings());
    EXPECT_EQ(record[0], 0);
    EXPECT_NE(record[1], 0);
}

TEST_F(SimKeyboardFirmwareTest, KeyTableWriteIsReadBackAndLeavesTheLedMap) {
    const std::vector<uint8_t> written = Pattern(3 * kSimKeyboardKeys, 5);
    transport_.SetKeyTableLength(static_cast<uint16_t>(written.size()));
    ASSERT_EQ(transport_.WriteKeyTable(written.data(), 0), result::kSuccess);
    std::vector<uint8_t> table;
    ASSERT_EQ(ReadKeyTable(kSimKeyboardKeys, table), result::kSuccess);
    EXPECT_EQ(table, written);
    std::vector<uint8_t> leds;
    ASSERT_EQ(ReadLedMap(kSimKeyboardKeys, leds), result::kSuccess);
    EXPECT_EQ(leds, SimKeyboardLedMap());
}

TEST_F(SimKeyboardFirmwareTest, KeyCountSizesTheKeyTableAndLedMap) {
    const std::vector<uint8_t> factoryOrder = SimKeyboardPositions();
    // 170 keys fill 510 bytes, inside the 512 of block 0; 171 need 513.
    for (size_t n : {1u, 126u, 127u, 170u, 171u, 255u}) {
        SCOPED_TRACE(n);
        Load("{\"keyCount\": " + std::to_string(n) + "}");
        EXPECT_EQ(InfoBlock()[5], n);

        std::vector<uint8_t> table;
        ASSERT_EQ(ReadKeyTable(n, table), result::kSuccess);
        const std::vector<uint8_t> positions = SimKeyboardPositions(n);
        // Truncated or extended, the order starts as the factory keyboard's.
        const size_t common = std::min<size_t>(n, kSimKeyboardKeys);
        EXPECT_TRUE(std::equal(positions.begin(), positions.begin() + common, factoryOrder.begin()));
        for (size_t j = 0; j < n; ++j) {
            const auto found = std::find(kDefaultKeyTable.begin(), kDefaultKeyTable.end(), EntryAt(table, j));
            const size_t position = static_cast<size_t>(found - kDefaultKeyTable.begin());
            // Keys past the 126 positions match none.
            EXPECT_EQ(position, j < kKeyboardPositions ? positions[j] : kKeyboardPositions) << j;
        }
        // Block 0 stays addressable whole; past it only a longer table is.
        transport_.SetKeyTableLength(static_cast<uint16_t>(std::max<size_t>(512, 3 * n) + 1));
        table.assign(transport_.KeyTableLength(), 0);
        EXPECT_EQ(transport_.ReadKeyTable(table.data()), result::kStatusError);

        std::vector<uint8_t> leds;
        ASSERT_EQ(ReadLedMap(n, leds), result::kSuccess);
        EXPECT_TRUE(IsPermutationOfFirst(leds, n));
        if (n < SimFirmwareMemory::kMaxKeys) {
            EXPECT_EQ(ReadLedMap(n + 1, leds), result::kStatusError);
        }
    }
}

TEST_F(SimKeyboardFirmwareTest, SettingsSlotsSitAt25TimesTheSlotAndShareABorderByte) {
    const std::vector<uint8_t> slot2 = Pattern(26, 40);
    ASSERT_EQ(transport_.WriteData(slot2.data(), slot2.size(), 50), result::kSuccess);
    EXPECT_EQ(keyboard_->Firmware().Memory().SettingsRecord(2), slot2);
    // Slot 1's last byte is slot 2's first.
    std::vector<uint8_t> slot1(26, 0x11);
    slot1[25] = 0xEE;
    ASSERT_EQ(transport_.WriteData(slot1.data(), slot1.size(), 25), result::kSuccess);
    EXPECT_EQ(keyboard_->Firmware().Memory().data[50], 0xEE);

    // The user picks slot 2 and changes its lights on the keyboard: byte 0
    // of memory names the slot, the record's own byte 0 is left alone.
    ASSERT_TRUE(keyboard_->SwitchSlot(2));
    const std::vector<uint8_t> changed = {0x77, 0x09, 0x04, 0x01};
    ASSERT_TRUE(keyboard_->ChangeSettingsOnDevice(changed));
    uint8_t active = 0xFF;
    ASSERT_EQ(transport_.ReadData(&active, 1, 0), result::kSuccess);
    EXPECT_EQ(active, 2);
    std::vector<uint8_t> record(26);
    ASSERT_EQ(transport_.ReadData(record.data(), record.size(), 25 * active), result::kSuccess);
    std::vector<uint8_t> expected = slot2;
    expected[0] = 0xEE;
    std::copy(changed.begin() + 1, changed.end(), expected.begin() + 1);
    EXPECT_EQ(record, expected);

    // Refused without a change: a record longer than 26 bytes, slot 16.
    const SimFirmwareMemory before = keyboard_->Firmware().Memory();
    EXPECT_FALSE(keyboard_->ChangeSettingsOnDevice(std::vector<uint8_t>(27, 1)));
    EXPECT_FALSE(keyboard_->SwitchSlot(16));
    EXPECT_EQ(keyboard_->Firmware().Memory().data, before.data);
}

TEST_F(SimKeyboardFirmwareTest, MacroMemoryTakesExactlyItsSize) {
    for (int units : {0, 1, 16}) {
        SCOPED_TRACE(units);
        Load("{\"macroMemory\": " + std::to_string(units) + "}");
        EXPECT_EQ(InfoBlock()[6], units);
        const size_t size = 128u * static_cast<size_t>(units);
        const std::vector<uint8_t> image = Pattern(size + 1, static_cast<uint8_t>(units));
        EXPECT_EQ(transport_.WriteMacroImage(image.data(), size), result::kSuccess);
        const SimFirmwareMemory memory = keyboard_->Firmware().Memory();
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + static_cast<long>(size), memory.macroMemory.begin()));
        // One byte more: the chunk that runs past the end is refused.
        EXPECT_EQ(transport_.WriteMacroImage(image.data(), size + 1), result::kStatusError);
    }
}

TEST_F(SimKeyboardFirmwareTest, LightBlockIsTheCustomGroup) {
    const std::vector<uint8_t> image = Pattern(3 * kSimKeyboardKeys, 3);
    ASSERT_EQ(transport_.WriteLightBlock(image.data(), image.size(), 3), result::kSuccess);
    const SimFirmwareMemory memory = keyboard_->Firmware().Memory();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.lightBlocks.begin() + 3 * 512));
    EXPECT_EQ(std::count(memory.lightBlocks.begin(), memory.lightBlocks.end(), 0),
              static_cast<long>(memory.lightBlocks.size() - image.size()) + std::count(image.begin(), image.end(), 0));
    EXPECT_EQ(transport_.WriteLightBlock(image.data(), image.size(), 7), result::kSuccess);
    EXPECT_EQ(transport_.WriteLightBlock(image.data(), image.size(), 8), result::kStatusError);

    Load(R"({"lightGroups": 2})");
    EXPECT_EQ(transport_.WriteLightBlock(image.data(), image.size(), 1), result::kSuccess);
    EXPECT_EQ(transport_.WriteLightBlock(image.data(), image.size(), 2), result::kStatusError);
}

TEST_F(SimKeyboardFirmwareTest, StreamedFramesAreCountedAndAssembled) {
    const std::vector<uint8_t> image = Pattern(3 * kSimKeyboardKeys, 9);
    ASSERT_EQ(transport_.StreamLightFrame(image.data(), image.size()), result::kSuccess);
    SimFirmwareMemory memory = keyboard_->Firmware().Memory();
    EXPECT_EQ(keyboard_->Firmware().Counters().streamFrames, 6u);  // 324 bytes in 56s
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.streamImage.begin()));
    ASSERT_TRUE(memory.hasStreamFrame);
    EXPECT_EQ(FrameOffset(memory.lastStreamFrame.data()), 280);
    EXPECT_EQ(memory.lastStreamFrame[4], 44);

    // A frame past the last LED is counted and refused.
    const std::vector<uint8_t> longer = Pattern(image.size() + 3, 1);
    EXPECT_EQ(transport_.StreamLightFrame(longer.data(), longer.size()), result::kStatusError);
    EXPECT_EQ(keyboard_->Firmware().Counters().streamFrames, 12u);
}

// Collects the event codes an event listener hands over (not the zero of
// the release report that follows each event).
class EventLog {
public:
    void Add(uint16_t code) {
        if (code == 0) return;
        std::lock_guard lock(mutex_);
        codes_.push_back(code);
        changed_.notify_all();
    }
    std::vector<uint16_t> WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [&] { return codes_.size() >= count; });
        return codes_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint16_t> codes_;
};

TEST_F(SimKeyboardFirmwareTest, ScriptedKeyboardActionsReachAnEventListener) {
    Load(R"({"script": [
        {"atMs": 10, "do": "keyPress", "key": 7},
        {"atMs": 20, "do": "keyRelease", "key": 7},
        {"atMs": 30, "do": "keyPress", "key": 255},
        {"atMs": 40, "do": "slot", "slot": 3},
        {"atMs": 50, "do": "deviceSettings", "hex": "00 05 02"}]})");
    HidChannel channel(backend_);
    ASSERT_TRUE(channel.Open(PathOf(0x000C), false));
    std::atomic<bool> open{true};
    EventLog log;
    EventListener listener(channel, open, "listener ended");
    ASSERT_TRUE(listener.Start([&log](uint16_t code) { log.Add(code); }));

    for (const SimScriptStep& step : keyboard_->Script()) {
        SimScriptRunner::Apply(backend_, keyboard_, step);
    }
    EXPECT_EQ(log.WaitFor(5), (std::vector<uint16_t>{0x0507, 0x0607, 0x05FF, 0x1003, 0x0401}));
    listener.Stop();

    const std::vector<uint8_t> record = keyboard_->Firmware().Memory().SettingsRecord(3);
    EXPECT_EQ(record[1], 0x05);
    EXPECT_EQ(record[2], 0x02);
    EXPECT_EQ(keyboard_->Firmware().Memory().ActiveSlot(), 3);
}

// ---- Report latency --------------------------------------------------------

TEST_F(SimKeyboardFirmwareTest, ExchangesAwaitAnswersOnTheWire) {
    EXPECT_EQ(backend_.ReportLatencyMs(), 0u);
    backend_.SetReportLatencyMs(60000);
    EXPECT_EQ(backend_.ReportLatencyMs(), SimHidBackend::kMaxReportLatencyMs);
    // Instant timing does not give up on an answer that is on its way.
    backend_.SetReportLatencyMs(1);
    EXPECT_EQ(InfoBlock()[5], kSimKeyboardKeys);
    std::vector<uint8_t> table;
    EXPECT_EQ(ReadKeyTable(kSimKeyboardKeys, table), result::kSuccess);
}

TEST_F(SimKeyboardFirmwareTest, ReportsOnTheWireWaitAndAbortEndsTheWait) {
    backend_.SetReportLatencyMs(SimHidBackend::kMaxReportLatencyMs);
    HidOpenError error = HidOpenError::Other;
    std::unique_ptr<IHidNode> node = backend_.Open(PathOf(0x000C), true, true, error);
    ASSERT_TRUE(node);
    ASSERT_TRUE(keyboard_->PressKey(1));
    EXPECT_EQ(static_cast<SimHidNode&>(*node).QueuedReports(), 2u);
    uint8_t report[8] = {};
    size_t got = 0;
    EXPECT_EQ(node->ReadReport(report, sizeof report, got, 0), HidIoResult::Timeout);

    // A reader waiting for the report and a writer waiting out its own
    // latency both end on abort; the write never reaches the keyboard.
    HidIoResult read = HidIoResult::Ok;
    HidIoResult write = HidIoResult::Ok;
    const Frame frame = MakeFrame(command::kBeginSession);
    std::thread reader([&] { read = node->ReadReport(report, sizeof report, got, -1); });
    std::thread writer([&] { write = node->WriteReport(frame.data(), frame.size(), 1000); });
    node->Abort();
    reader.join();
    writer.join();
    EXPECT_EQ(read, HidIoResult::Aborted);
    EXPECT_EQ(write, HidIoResult::Aborted);
    EXPECT_EQ(keyboard_->Firmware().Counters().framesReceived, 0u);
}

}  // namespace
}  // namespace ivra::sim
