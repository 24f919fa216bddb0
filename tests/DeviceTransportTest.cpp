#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "ScriptedHidBackend.h"
#include "transport/DeviceTransport.h"
#include "base/DebugOutput.h"

namespace ivra {
namespace {

using test::EchoAnswer;
using test::ScriptedHidBackend;

class NoSleepClock final : public IClock {
public:
    uint64_t NowMs() override { return now; }
    void SleepMs(uint32_t ms) override {
        now += ms;
        slept += ms;
    }
    uint64_t now = 0;
    uint64_t slept = 0;
};

class CapturedDebugLines {
public:
    CapturedDebugLines() {
        SetDebugSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~CapturedDebugLines() { SetDebugSink({}); }
    std::vector<std::string> lines;
};

class TransportTest : public ::testing::Test {
protected:
    void OpenCable(uint8_t chunk = 56) {
        ASSERT_TRUE(transport.Open(backend.path, TransportParams{false, chunk, kCableTimeoutMs}));
    }
    void OpenReceiver() { ASSERT_TRUE(transport.Open(backend.path, TransportParams{true, 24, kReceiverTimeoutMs})); }
    std::vector<Frame>& Written() { return backend.device->written; }
    // (command, length, offset) of every written frame.
    std::vector<std::tuple<int, int, int>> Layout() {
        std::vector<std::tuple<int, int, int>> layout;
        for (const Frame& f : Written()) layout.emplace_back(f[3], f[4], FrameOffset(f.data()));
        return layout;
    }
    // Answers frame n (0-based) with the given answers instead of an echo.
    void ScriptAnswers(std::function<std::vector<Frame>(const Frame&, size_t)> script) {
        backend.device->onWrite = [script](const Frame& request, test::ScriptedDevice& device) {
            for (const Frame& answer : script(request, device.written.size() - 1)) {
                device.queue.emplace_back(answer.begin(), answer.end());
            }
        };
    }

    ScriptedHidBackend backend;
    NoSleepClock clock;
    DeviceTransport transport{backend, clock};
};

TEST(CommandFrameTest, ChecksumCoversBytes3To63AndDropsCarries) {
    Frame frame{};
    std::memset(frame.data() + 3, 0xFF, kFrameSize - 3);
    SealFrame(frame.data());
    EXPECT_EQ(frame[1], 0xC3);  // 61 * 255 = 15555 = 0x3CC3
    EXPECT_EQ(frame[2], 0x3C);
    EXPECT_TRUE(FrameChecksumValid(frame.data()));
    frame[0] = 0x99;  // the report id is outside the sum
    EXPECT_TRUE(FrameChecksumValid(frame.data()));
    frame[63] ^= 1;
    EXPECT_FALSE(FrameChecksumValid(frame.data()));
}

TEST(CommandFrameTest, HexLinesGroupFourBytes) {
    Frame frame{};
    for (size_t i = 0; i < kFrameSize; ++i) frame[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(FrameHexLine(frame.data(), 0),
              "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  "
              "18 19 1a 1b  1c 1d 1e 1f");
    EXPECT_EQ(FrameHexLine(frame.data(), 1).substr(0, 14), "20 21 22 23   ");
}

TEST_F(TransportTest, NothingIsSentWhileNotOpen) {
    ASSERT_TRUE(transport.channelA.Open(backend.path, true));
    EXPECT_EQ(transport.BeginSession(), result::kNoAnswer);
    EXPECT_TRUE(Written().empty());
}

TEST_F(TransportTest, ExchangeLogsRequestAndAnswer) {
    OpenCable();
    CapturedDebugLines debug;
    EXPECT_EQ(transport.BeginSession(), result::kSuccess);
    ASSERT_EQ(debug.lines.size(), 6u);
    EXPECT_EQ(debug.lines[0], "命令");
    EXPECT_EQ(debug.lines[1].substr(0, 26), "04 01 00 01   00 00 00 00 ");
    EXPECT_EQ(debug.lines[3], "返回");
    EXPECT_FALSE(transport.ExchangeInProgress());
}

struct PagedCase {
    const char* name;
    uint8_t chunk;
    std::function<int(DeviceTransport&, uint8_t*)> run;
    std::vector<std::tuple<int, int, int>> frames;  // command, length, offset
};

TEST_F(TransportTest, PagedOperationsChunkTheirData) {
    const std::vector<PagedCase> cases = {
        {"info block, chunk 24",
         24,
         [](DeviceTransport& t, uint8_t* b) { return t.ReadInfoBlock(b); },
         {{3, 24, 0}, {3, 10, 24}}},
        {"info block, chunk 56", 56, [](DeviceTransport& t, uint8_t* b) { return t.ReadInfoBlock(b); }, {{3, 34, 0}}},
        {"read data at a base",
         56,
         [](DeviceTransport& t, uint8_t* b) { return t.ReadData(b, 60, 0x100); },
         {{5, 56, 0x100}, {5, 4, 0x138}}},
        {"write data",
         24,
         [](DeviceTransport& t, uint8_t* b) { return t.WriteData(b, 50, 8); },
         {{6, 24, 8}, {6, 24, 32}, {6, 2, 56}}},
        {"key table read",
         56,
         [](DeviceTransport& t, uint8_t* b) { return t.ReadKeyTable(b); },
         {{7, 56, 0},
          {7, 56, 56},
          {7, 56, 112},
          {7, 56, 168},
          {7, 56, 224},
          {7, 56, 280},
          {7, 56, 336},
          {7, 56, 392},
          {7, 56, 448},
          {7, 8, 504}}},
        {"key table write",
         56,
         [](DeviceTransport& t, uint8_t* b) { return t.WriteKeyTable(b, 0); },
         {{9, 56, 0},
          {9, 56, 56},
          {9, 56, 112},
          {9, 56, 168},
          {9, 56, 224},
          {9, 56, 280},
          {9, 56, 336},
          {9, 56, 392},
          {9, 56, 448},
          {9, 8, 504}}},
        {"light block 2",
         24,
         [](DeviceTransport& t, uint8_t* b) { return t.WriteLightBlock(b, 30, 2); },
         {{11, 24, 1024}, {11, 6, 1048}}},
        {"block 21", 24, [](DeviceTransport& t, uint8_t* b) { return t.WriteMacroImage(b, 24); }, {{21, 24, 0}}},
        {"block 23 ignores the chunk size",
         24,
         [](DeviceTransport& t, uint8_t* b) { return t.WriteBuffer(b, 60); },
         {{23, 56, 0}, {23, 4, 56}}},
        {"nothing to move", 56, [](DeviceTransport& t, uint8_t* b) { return t.WriteData(b, 0, 0); }, {}},
    };
    OpenCable();
    std::vector<uint8_t> buffer(1024, 0x5A);
    for (const PagedCase& c : cases) {
        SCOPED_TRACE(c.name);
        Written().clear();
        ASSERT_TRUE(transport.SwitchTo(backend.path, TransportPath::kCable, {false, c.chunk, kCableTimeoutMs}));
        EXPECT_EQ(c.run(transport, buffer.data()), result::kSuccess);
        EXPECT_EQ(Layout(), c.frames);
        for (const Frame& f : Written()) EXPECT_TRUE(FrameChecksumValid(f.data()));
    }
}

TEST_F(TransportTest, ReadsAssembleAndWritesSpreadTheData) {
    OpenCable(24);
    // The device answers reads with bytes equal to their address.
    ScriptAnswers([](const Frame& request, size_t) {
        Frame answer = EchoAnswer(request);
        for (int i = 0; i < request[4]; ++i) answer[8 + i] = static_cast<uint8_t>(FrameOffset(request.data()) + i);
        SealFrame(answer.data());
        return std::vector<Frame>{answer};
    });
    transport.SetKeyTableLength(300);
    std::vector<uint8_t> third(100, 0);
    EXPECT_EQ(transport.ReadLedMap(third.data()), result::kSuccess);
    for (size_t i = 0; i < third.size(); ++i) ASSERT_EQ(third[i], static_cast<uint8_t>(i));
    EXPECT_EQ(std::get<1>(Layout().back()) + std::get<2>(Layout().back()), 100);

    std::vector<uint8_t> data(40);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0x80 + i);
    Written().clear();
    EXPECT_EQ(transport.WriteData(data.data(), data.size(), 0), result::kSuccess);
    ASSERT_EQ(Written().size(), 2u);
    EXPECT_EQ(Written()[1][8], 0x80 + 24);
    EXPECT_EQ(Written()[1][8 + 15], 0x80 + 39);
    EXPECT_EQ(Written()[1][8 + 16], 0);  // no leftovers of the previous chunk
}

TEST_F(TransportTest, KeyTableBlockOtherThanZeroIsRefusedWithoutIo) {
    OpenCable();
    std::vector<uint8_t> table(512);
    EXPECT_EQ(transport.WriteKeyTable(table.data(), 1), result::kInvalidKeyTableBlock);
    EXPECT_TRUE(Written().empty());
}

struct EchoCase {
    const char* name;
    bool receiver;
    std::vector<std::vector<uint8_t>> answers;  // {command byte, status} per answer
    int expected;
    int reads;
};

TEST_F(TransportTest, EchoCheckRetryAndStatus) {
    const std::vector<EchoCase> cases = {
        {"matching answer", false, {{1, 0}}, result::kSuccess, 1},
        {"stale answer, then the real one", false, {{7, 0}, {1, 0}}, result::kSuccess, 2},
        {"two stale answers: the second read stands", false, {{7, 0}, {9, 0}}, result::kSuccess, 2},
        {"no answer", false, {}, result::kNoAnswer, 2},
        {"stale answer, then nothing", false, {{7, 0}}, result::kNoAnswer, 2},
        {"receiver answers for the device", true, {{0xAA, 0}}, result::kReceiverAnswered, 1},
        {"0xAA on the cable is just stale", false, {{0xAA, 0}, {1, 0}}, result::kSuccess, 2},
        {"status 0xFF", false, {{1, 0xFF}}, result::kStatusError, 1},
        {"status 0xFE", true, {{1, 0xFE}}, result::kStatusBusy, 1},
        {"other status bytes are success", false, {{1, 0x01}}, result::kSuccess, 1},
    };
    for (const EchoCase& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceTransport t(backend, clock);
        ASSERT_TRUE(t.Open(backend.path, TransportParams{c.receiver, 24, 1000}));
        ScriptAnswers([&c](const Frame& request, size_t) {
            std::vector<Frame> answers;
            for (const auto& a : c.answers) {
                Frame answer = EchoAnswer(request, a[1]);
                answer[3] = a[0];
                SealFrame(answer.data());
                answers.push_back(answer);
            }
            return answers;
        });
        backend.device->reads = 0;
        EXPECT_EQ(t.BeginSession(), c.expected);
        EXPECT_EQ(backend.device->reads, c.reads);
        EXPECT_FALSE(t.ExchangeInProgress());
    }
}

// Open, SwitchTo and Close set the channel, the mode and the chunk size
// together; a path that does not open leaves the transport closed.
TEST_F(TransportTest, OpenSwitchAndCloseKeepChannelModeAndChunkTogether) {
    struct Step {
        const char* name;
        std::function<bool(DeviceTransport&)> run;
        bool opened;
        bool open, receiver, cableOpen, receiverOpen;
        uint8_t chunk;
        HidOpenError error;
    };
    const std::string path = backend.path;
    const std::vector<Step> steps = {
        {"open on the receiver",
         [&](DeviceTransport& t) {
             return t.Open(path, {true, 24, 5000});
         },
         true, true, true, false, true, 24, HidOpenError::None},
        {"switch to the cable",
         [&](DeviceTransport& t) {
             return t.SwitchTo(path, TransportPath::kCable, {false, 56, 1000});
         },
         true, true, false, true, true, 56, HidOpenError::None},
        {"switch to a receiver path that is gone",
         [&](DeviceTransport& t) {
             return t.SwitchTo("/gone", TransportPath::kReceiver, {true, 24, 5000});
         },
         false, false, false, true, false, 56, HidOpenError::NotFound},
        {"close",
         [&](DeviceTransport& t) {
             t.Close();
             return true;
         },
         true, false, false, false, false, 56, HidOpenError::NotFound},
        {"open a cable path that is gone",
         [&](DeviceTransport& t) {
             return t.Open("/gone", {false, 56, 1000});
         },
         false, false, false, false, false, 56, HidOpenError::NotFound},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(step.run(transport), step.opened);
        EXPECT_EQ(transport.IsOpen(), step.open);
        EXPECT_EQ(transport.channelA.IsOpen(), step.cableOpen);
        EXPECT_EQ(transport.channelB.IsOpen(), step.receiverOpen);
        if (step.open) {
            EXPECT_EQ(transport.ReceiverMode(), step.receiver);
            EXPECT_EQ(transport.ChunkSize(), step.chunk);
        }
        EXPECT_EQ(transport.LastOpenError(), step.error);
    }
}

TEST_F(TransportTest, FailedWriteIsNotFollowedByAReadOrAnswerLog) {
    OpenCable();
    backend.device->failWrites = true;
    CapturedDebugLines debug;
    EXPECT_EQ(transport.BeginSession(), result::kWriteFailed);
    EXPECT_EQ(backend.device->reads, 0);
    ASSERT_EQ(debug.lines.size(), 3u);
    EXPECT_EQ(debug.lines[0], "命令");
}

TEST_F(TransportTest, PagedOperationStopsAtTheFailingChunk) {
    OpenCable(24);
    ScriptAnswers(
        [](const Frame& request, size_t n) { return std::vector<Frame>{EchoAnswer(request, n == 1 ? 0xFE : 0)}; });
    std::vector<uint8_t> data(100);
    EXPECT_EQ(transport.WriteData(data.data(), data.size(), 0), result::kStatusBusy);
    EXPECT_EQ(Written().size(), 2u);
}

TEST_F(TransportTest, InfoBlockIsCopiedOnlyOnSuccess) {
    OpenCable(24);
    ScriptAnswers([](const Frame& request, size_t n) {
        Frame answer = EchoAnswer(request, n == 1 ? 0xFF : 0);
        std::memset(answer.data() + 8, 0x11, 24);
        SealFrame(answer.data());
        return std::vector<Frame>{answer};
    });
    uint8_t block[kInfoBlockSize];
    std::memset(block, 0xEE, sizeof block);
    EXPECT_EQ(transport.ReadInfoBlock(block), result::kStatusError);
    for (uint8_t b : block) ASSERT_EQ(b, 0xEE);
}

TEST_F(TransportTest, PowerStatusAndSessionEnd) {
    OpenCable();
    ScriptAnswers([](const Frame& request, size_t) {
        Frame answer = EchoAnswer(request);
        for (int i = 0; i < 8; ++i) answer[8 + i] = static_cast<uint8_t>(0x10 + i);
        return std::vector<Frame>{answer};
    });
    uint8_t power[kPowerStatusSize] = {};
    EXPECT_EQ(transport.ReadPowerStatus(power), result::kSuccess);
    EXPECT_EQ(Written()[0][4], 6);
    EXPECT_EQ(power[0], 0x10);
    EXPECT_EQ(power[5], 0x15);

    EXPECT_EQ(transport.EndSession(), result::kSuccess);
    EXPECT_EQ(transport.HandLightsToDevice(), result::kSuccess);
    EXPECT_EQ(clock.slept, 20u);  // both wait 10 ms before sending
}

TEST_F(TransportTest, LightStreamDropsChunksWhileBusyOrThroughTheReceiver) {
    std::vector<uint8_t> frame(126 * 3, 0x33);
    CapturedDebugLines debug;

    OpenCable();
    EXPECT_EQ(transport.StreamLightFrame(frame.data(), frame.size()), result::kSuccess);
    EXPECT_EQ(Written().size(), 7u);   // 378 bytes in chunks of 56
    EXPECT_TRUE(debug.lines.empty());  // the raw exchange writes no log

    Written().clear();
    transport.SimulateExchangeInProgressForTest(true);
    EXPECT_EQ(transport.StreamLightFrame(frame.data(), frame.size()), result::kSuccess);
    EXPECT_TRUE(Written().empty());
    EXPECT_EQ(debug.lines.size(), 7u);
    EXPECT_EQ(debug.lines[0], "放弃灯光数据");

    transport.SimulateExchangeInProgressForTest(false);
    ASSERT_TRUE(transport.SwitchTo(backend.path, TransportPath::kReceiver, {true, 56, kReceiverTimeoutMs}));
    debug.lines.clear();
    EXPECT_EQ(transport.StreamLightFrame(frame.data(), frame.size()), result::kSuccess);
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(debug.lines.empty());
}

TEST_F(TransportTest, LightStreamStopsOnAFailedChunk) {
    OpenCable();
    ScriptAnswers(
        [](const Frame& request, size_t n) { return std::vector<Frame>{EchoAnswer(request, n == 2 ? 0xFF : 0)}; });
    std::vector<uint8_t> frame(378);
    EXPECT_EQ(transport.StreamLightFrame(frame.data(), frame.size()), result::kStatusError);
    EXPECT_EQ(Written().size(), 3u);
}

TEST_F(TransportTest, ReceiverLinkQuery) {
    OpenCable();
    EXPECT_TRUE(transport.QueryReceiverLink());  // on the cable: no I/O at all
    EXPECT_TRUE(Written().empty());

    struct LinkCase {
        uint8_t status;
        uint8_t link;
        bool linked;
    };
    for (const LinkCase c : {LinkCase{0, 0xFF, true}, LinkCase{0, 0x00, false}, LinkCase{0xFF, 0xFF, false},
                             LinkCase{0xFE, 0xFF, false}}) {
        DeviceTransport t(backend, clock);
        ASSERT_TRUE(t.Open(backend.path, TransportParams{true, 24, kReceiverTimeoutMs}));
        ScriptAnswers([c](const Frame& request, size_t) {
            Frame answer = EchoAnswer(request, c.status);
            answer[8] = c.link;
            return std::vector<Frame>{answer};
        });
        EXPECT_EQ(t.QueryReceiverLink(), c.linked) << int(c.status) << "/" << int(c.link);
        EXPECT_EQ(Written().back()[3], 0xAA);
    }
}

TEST_F(TransportTest, ClosingTheTransportMakesExchangesFailAtOnce) {
    OpenReceiver();
    EXPECT_EQ(transport.BeginSession(), result::kSuccess);
    transport.Close();
    EXPECT_EQ(transport.BeginSession(), result::kNoAnswer);
    EXPECT_EQ(Written().size(), 1u);
}

}  // namespace
}  // namespace ivra
