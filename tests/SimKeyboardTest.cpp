// The simulated keyboard's firmware as the program sees it: command frames
// written to the command collection and answers read back, with faults.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "transport/CommandFrame.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"
#include "SimKeyboardLayout.h"
#include "SimReportDescriptors.h"

namespace ivra::sim {
namespace {

class SimKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend_.SetInstantTimeouts(true);
        keyboard_ = std::make_shared<SimKeyboard>();
        ASSERT_NE(backend_.Plug(keyboard_), kNoSimDevice);
        node_ = OpenCollection(4);
        ASSERT_TRUE(node_);
    }

    std::unique_ptr<IHidNode> OpenCollection(uint16_t collection) {
        std::vector<HidInterfaceEntry> entries;
        EXPECT_TRUE(backend_.Enumerate(entries));
        for (const HidInterfaceEntry& e : entries) {
            if (e.interfaceNumber == 1 && e.collectionNumber == collection) {
                HidOpenError error = HidOpenError::Other;
                return backend_.Open(e.path, true, true, error);
            }
        }
        return nullptr;
    }

    static Frame Request(uint8_t commandCode, uint8_t length, uint16_t offset,
                         const std::vector<uint8_t>& payload = {}) {
        Frame frame = MakeFrame(commandCode, length, offset);
        std::copy(payload.begin(), payload.end(), frame.begin() + kFramePayloadOffset);
        SealFrame(frame.data());
        return frame;
    }

    void Send(const Frame& frame) { ASSERT_EQ(node_->WriteReport(frame.data(), frame.size(), 1000), HidIoResult::Ok); }

    // The next queued report; nullopt when none (instant timing: no wait).
    std::optional<Frame> Next(HidIoResult* result = nullptr) {
        Frame answer{};
        size_t got = 0;
        const HidIoResult r = node_->ReadReport(answer.data(), answer.size(), got, 1000);
        if (result) *result = r;
        if (r != HidIoResult::Ok) return std::nullopt;
        EXPECT_EQ(got, kFrameSize);
        EXPECT_TRUE(FrameChecksumValid(answer.data()));
        return answer;
    }

    Frame Exchange(const Frame& request) {
        Send(request);
        std::optional<Frame> answer = Next();
        EXPECT_TRUE(answer.has_value()) << "no answer to command " << int(request[3]);
        return answer.value_or(Frame{});
    }

    // Writes `bytes` at `base` in pages of 56 with `writeCommand`, reads them
    // back with `readCommand`, and returns what was read.
    std::vector<uint8_t> RoundTrip(uint8_t writeCommand, uint8_t readCommand, uint16_t base,
                                   const std::vector<uint8_t>& bytes) {
        for (size_t done = 0; done < bytes.size(); done += kFrameMaxPayload) {
            const size_t n = std::min(kFrameMaxPayload, bytes.size() - done);
            const std::vector<uint8_t> page(bytes.begin() + static_cast<long>(done),
                                            bytes.begin() + static_cast<long>(done + n));
            const Frame answer =
                Exchange(Request(writeCommand, static_cast<uint8_t>(n), static_cast<uint16_t>(base + done), page));
            EXPECT_EQ(answer[7], 0x00) << "write at " << base + done;
        }
        std::vector<uint8_t> read;
        for (size_t done = 0; done < bytes.size(); done += kFrameMaxPayload) {
            const size_t n = std::min(kFrameMaxPayload, bytes.size() - done);
            const Frame answer =
                Exchange(Request(readCommand, static_cast<uint8_t>(n), static_cast<uint16_t>(base + done)));
            EXPECT_EQ(answer[3], readCommand);
            EXPECT_EQ(answer[4], n);
            EXPECT_EQ(FrameOffset(answer.data()), base + done);
            EXPECT_EQ(answer[7], 0x00) << "read at " << base + done;
            read.insert(read.end(), answer.begin() + kFramePayloadOffset,
                        answer.begin() + static_cast<long>(kFramePayloadOffset + n));
        }
        return read;
    }

    static std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
        std::vector<uint8_t> bytes(n);
        for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
        return bytes;
    }

    SimHidBackend backend_;
    std::shared_ptr<SimKeyboard> keyboard_;
    std::unique_ptr<IHidNode> node_;
};

TEST_F(SimKeyboardTest, DataMemoryRoundTripInPages) {
    const std::vector<uint8_t> bytes = Pattern(300, 3);
    EXPECT_EQ(RoundTrip(command::kWriteData, command::kReadData, 4096 - 300, bytes), bytes);
    const SimFirmwareMemory memory = keyboard_->Firmware().Memory();
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), memory.data.end() - 300));
    EXPECT_EQ(memory.data[4096 - 301], 0);
}

TEST_F(SimKeyboardTest, KeyTableRoundTripLeavesTheLedMapAlone) {
    const std::vector<uint8_t> bytes = Pattern(SimFirmwareMemory::kKeyTableMinimumSize, 11);
    EXPECT_EQ(RoundTrip(command::kWriteKeyTable, command::kReadKeyTable, 0, bytes), bytes);

    // 0x1B reads the LED map, an area of its own with one byte per key.
    const std::vector<uint8_t> leds = SimKeyboardLedMap();
    const Frame map = Exchange(Request(command::kReadLedMap, 52, 56));
    EXPECT_EQ(map[7], 0x00);
    EXPECT_TRUE(std::equal(leds.begin() + 56, leds.end(), map.begin() + kFramePayloadOffset));
    // Past the last key, and past block 0 for writes.
    EXPECT_EQ(Exchange(Request(command::kReadLedMap, 9, 100))[7], kStatusError);
    EXPECT_EQ(Exchange(Request(command::kWriteKeyTable, 8, 512, Pattern(8, 1)))[7], kStatusError);
}

// Frames the firmware refuses with status 0xFF, echoing the command.
struct RefusedCase {
    const char* name;
    Frame frame;
};

Frame CorruptChecksum() {
    Frame f = MakeFrame(command::kReadData, 8, 0);
    f[1] ^= 0x01;
    return f;
}

class SimRefusedFrameTest : public SimKeyboardTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(SimRefusedFrameTest, AnswersStatusError) {
    const SimFirmwareMemory before = keyboard_->Firmware().Memory();
    const Frame answer = Exchange(GetParam().frame);
    EXPECT_EQ(answer[3], GetParam().frame[3]);
    EXPECT_EQ(answer[7], kStatusError);
    const SimFirmwareMemory after = keyboard_->Firmware().Memory();
    EXPECT_EQ(before.data, after.data);
    EXPECT_EQ(before.lightBlocks, after.lightBlocks);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, SimRefusedFrameTest,
    ::testing::Values(RefusedCase{"BadChecksum", CorruptChecksum()},
                      RefusedCase{"UnknownCommand", MakeFrame(0x40, 0, 0)},
                      RefusedCase{"ReadPastDataEnd", MakeFrame(command::kReadData, 8, 4092)},
                      RefusedCase{"WritePastDataEnd", MakeFrame(command::kWriteData, 8, 4092)},
                      RefusedCase{"LengthOverPayload", MakeFrame(command::kReadData, 57, 0)},
                      RefusedCase{"InfoBlockPastEnd", MakeFrame(command::kReadInfoBlock, 8, 30)},
                      RefusedCase{"LightBlockPastLast", MakeFrame(command::kWriteLightBlock, 8, 8 * 512)},
                      RefusedCase{"MacroPastMemory", MakeFrame(command::kWriteMacroImage, 8, 2044)},
                      RefusedCase{"StreamPastLastLed", MakeFrame(command::kStreamLightFrame, 3, 3 * 108)}),
    [](const ::testing::TestParamInfo<RefusedCase>& param) { return param.param.name; });

TEST_F(SimKeyboardTest, WritesLandInTheirOwnAreas) {
    struct Case {
        uint8_t commandCode;
        uint16_t offset;
        std::function<const uint8_t*(const SimFirmwareMemory&)> area;
    };
    const Case cases[] = {
        {command::kWriteLightBlock, 2 * 512 + 10,
         [](const SimFirmwareMemory& m) { return m.lightBlocks.data() + 2 * 512 + 10; }},
        {command::kWriteMacroImage, 100, [](const SimFirmwareMemory& m) { return m.macroMemory.data() + 100; }},
        {command::kWriteBuffer, 200, [](const SimFirmwareMemory& m) { return m.block23.data() + 200; }},
    };
    uint8_t seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.commandCode));
        const std::vector<uint8_t> bytes = Pattern(20, seed++);
        const Frame answer = Exchange(Request(c.commandCode, 20, c.offset, bytes));
        EXPECT_EQ(answer[7], 0x00);
        const SimFirmwareMemory m = keyboard_->Firmware().Memory();
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), c.area(m)));
    }
    // 21 and 23 keep separate buffers.
    const SimFirmwareMemory m = keyboard_->Firmware().Memory();
    EXPECT_EQ(m.block23[100], 0);
    EXPECT_EQ(m.data[100], 0);
}

TEST_F(SimKeyboardTest, StreamKeepsTheLastFrame) {
    Exchange(Request(command::kStreamLightFrame, 3, 0, {1, 2, 3}));
    const Frame last = Request(command::kStreamLightFrame, 3, 0, {4, 5, 6});
    EXPECT_EQ(Exchange(last)[7], 0x00);
    const SimFirmwareMemory m = keyboard_->Firmware().Memory();
    EXPECT_TRUE(m.hasStreamFrame);
    EXPECT_EQ(m.lastStreamFrame, last);
}

TEST_F(SimKeyboardTest, AcknowledgesSessionAndControlCommands) {
    for (uint8_t c :
         {command::kBeginSession, command::kEndSession, command::kHandLightsToDevice, command::kTakeLightControl}) {
        const Frame answer = Exchange(MakeFrame(c, 0, 0));
        EXPECT_EQ(answer[3], c);
        EXPECT_EQ(answer[7], 0x00);
    }
}

TEST_F(SimKeyboardTest, PowerRecordInfoBlockAndLink) {
    keyboard_->Firmware().ModifyMemory([](SimFirmwareMemory& m) {
        m.power = {1, 2, 3, 4, 5, 6};
        m.infoBlock[33] = 0x5A;
    });
    const Frame power = Exchange(MakeFrame(command::kReadPowerStatus, 0, 0));
    EXPECT_EQ(power[4], 6);
    EXPECT_EQ((std::vector<uint8_t>(power.begin() + 8, power.begin() + 14)), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Exchange(MakeFrame(command::kReadInfoBlock, 2, 32))[9], 0x5A);

    EXPECT_EQ(Exchange(MakeFrame(command::kQueryReceiverLink, 0, 0))[8], 0xFF);
    keyboard_->Firmware().ModifyMemory([](SimFirmwareMemory& m) { m.receiverLinked = false; });
    EXPECT_EQ(Exchange(MakeFrame(command::kQueryReceiverLink, 0, 0))[8], 0x00);
}

TEST_F(SimKeyboardTest, LogsFramesAndAnswersEveryHandle) {
    auto other = OpenCollection(3);  // same node, another collection
    ASSERT_TRUE(other);
    const Frame request = MakeFrame(command::kReadData, 4, 0);
    Exchange(request);
    Frame copy{};
    size_t got = 0;
    EXPECT_EQ(other->ReadReport(copy.data(), copy.size(), got, 0), HidIoResult::Ok);
    EXPECT_EQ(copy[3], command::kReadData);

    const std::vector<Frame> log = keyboard_->Firmware().ReceivedFrames();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], request);
    const SimFirmwareCounters counters = keyboard_->Firmware().Counters();
    EXPECT_EQ(counters.framesReceived, 1u);
    EXPECT_EQ(counters.answersSent, 1u);
}

TEST_F(SimKeyboardTest, EventIsFollowedByRelease) {
    ASSERT_TRUE(keyboard_->EmitEvent(0x0A12));
    std::array<uint8_t, 16> report{};
    size_t got = 0;
    ASSERT_EQ(node_->ReadReport(report.data(), report.size(), got, 0), HidIoResult::Ok);
    EXPECT_EQ((std::vector<uint8_t>(report.begin(), report.begin() + static_cast<long>(got))),
              (std::vector<uint8_t>{kConsumerEventReportId, 0x12, 0x0A}));
    ASSERT_EQ(node_->ReadReport(report.data(), report.size(), got, 0), HidIoResult::Ok);
    EXPECT_EQ((std::vector<uint8_t>(report.begin(), report.begin() + static_cast<long>(got))),
              (std::vector<uint8_t>{kConsumerEventReportId, 0, 0}));
}

// ---- Faults -------------------------------------------------------------

TEST_F(SimKeyboardTest, NoAnswerOnlyOnTheChosenOccurrence) {
    keyboard_->Faults().Add({command::kReadKeyTable, 2, SimFaultKind::NoAnswer, 0});
    const Frame request = MakeFrame(command::kReadKeyTable, 8, 0);
    EXPECT_EQ(Exchange(request)[7], 0x00);
    Send(request);
    HidIoResult result = HidIoResult::Ok;
    EXPECT_FALSE(Next(&result));
    EXPECT_EQ(result, HidIoResult::Timeout);
    EXPECT_EQ(Exchange(request)[7], 0x00);
}

TEST_F(SimKeyboardTest, LostWriteIsNotApplied) {
    keyboard_->Faults().Add({command::kWriteData, 0, SimFaultKind::NoAnswer, 0});
    Send(Request(command::kWriteData, 4, 0, {9, 9, 9, 9}));
    EXPECT_FALSE(Next());
    EXPECT_EQ(keyboard_->Firmware().Memory().data[0], 0);
}

TEST_F(SimKeyboardTest, StaleEchoComesBeforeTheRealAnswer) {
    keyboard_->Faults().Add({command::kReadKeyTable, 0, SimFaultKind::StaleEcho, 0});
    for (int round = 0; round < 2; ++round) {  // with and without an earlier answer
        SCOPED_TRACE(round);
        if (round == 1) Exchange(MakeFrame(command::kBeginSession));
        Send(MakeFrame(command::kReadKeyTable, 8, 16));
        const std::optional<Frame> stale = Next();
        const std::optional<Frame> real = Next();
        ASSERT_TRUE(stale && real);
        EXPECT_NE((*stale)[3], command::kReadKeyTable);
        EXPECT_EQ((*real)[3], command::kReadKeyTable);
        EXPECT_EQ((*real)[7], 0x00);
        EXPECT_FALSE(Next());
    }
}

TEST_F(SimKeyboardTest, StatusFaultAnswersErrorWithoutActing) {
    for (uint8_t status : {kStatusError, kStatusBusyError}) {
        keyboard_->Faults().Clear();
        keyboard_->Faults().Add({command::kWriteData, 0, SimFaultKind::Status, status});
        const Frame answer = Exchange(Request(command::kWriteData, 2, 0, {7, 7}));
        EXPECT_EQ(answer[3], command::kWriteData);
        EXPECT_EQ(answer[7], status);
        EXPECT_EQ(keyboard_->Firmware().Memory().data[0], 0);
    }
}

TEST_F(SimKeyboardTest, ReceiverAnswersInsteadOfDevice) {
    keyboard_->Faults().Add({command::kReadInfoBlock, 1, SimFaultKind::ReceiverAnswer, 0});
    const Frame answer = Exchange(MakeFrame(command::kReadInfoBlock, 8, 0));
    EXPECT_EQ(answer[3], kReceiverAnswer);
    EXPECT_FALSE(Next());
    EXPECT_EQ(Exchange(MakeFrame(command::kReadInfoBlock, 8, 0))[3], command::kReadInfoBlock);
}

TEST_F(SimKeyboardTest, UnplugDuringReadFailsThePendingRead) {
    keyboard_->Faults().Add({command::kWriteData, 1, SimFaultKind::UnplugDuringRead, 0});
    Send(Request(command::kWriteData, 1, 0, {1}));
    Frame answer{};
    size_t got = 0;
    EXPECT_EQ(node_->ReadReport(answer.data(), answer.size(), got, 1000), HidIoResult::Failed);
    EXPECT_FALSE(keyboard_->IsPlugged());
    std::vector<HidInterfaceEntry> entries;
    ASSERT_TRUE(backend_.Enumerate(entries));
    EXPECT_TRUE(entries.empty());

    // Plugged back in, the keyboard answers again (the fault was one-off).
    ASSERT_NE(backend_.Plug(keyboard_), kNoSimDevice);
    node_ = OpenCollection(4);
    ASSERT_TRUE(node_);
    EXPECT_EQ(Exchange(Request(command::kWriteData, 1, 0, {1}))[7], 0x00);
}

}  // namespace
}  // namespace ivra::sim
