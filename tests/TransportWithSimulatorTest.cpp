// The transport against the simulated keyboard: a real report descriptor,
// hidraw-like queues shared with the node's other collections, and scripted
// misbehaviour.
#include <gtest/gtest.h>

#include "transport/DeviceTransport.h"
#include "ManualClock.h"
#include "SimHidBackend.h"
#include "SimKeyboard.h"

namespace ivra {
namespace {

class TransportWithSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend.SetInstantTimeouts(true);
        ASSERT_NE(backend.Plug(keyboard), sim::kNoSimDevice);
        std::vector<HidInterfaceEntry> entries;
        ASSERT_TRUE(backend.Enumerate(entries));
        for (const HidInterfaceEntry& e : entries) {
            if (e.interfaceNumber == 1 && e.collectionNumber == 4) commandPath = e.path;
        }
        ASSERT_FALSE(commandPath.empty());
    }
    void Open(bool receiver) {
        const uint8_t chunk = receiver ? 24 : 56;
        ASSERT_TRUE(transport.Open(commandPath, TransportParams{receiver, chunk}));
    }
    void Fault(uint8_t command, sim::SimFaultKind kind, uint32_t occurrence = 0) {
        sim::SimFault fault;
        fault.command = command;
        fault.kind = kind;
        fault.occurrence = occurrence;
        keyboard->Faults().Add(fault);
    }

    sim::SimHidBackend backend;
    std::shared_ptr<sim::SimKeyboard> keyboard = std::make_shared<sim::SimKeyboard>();
    sim::ManualClock clock;
    DeviceTransport transport{backend, clock};
    std::string commandPath;
};

TEST_F(TransportWithSimulatorTest, KeyTableRoundTrip) {
    Open(false);
    std::vector<uint8_t> table(512);
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(transport.WriteKeyTable(table.data(), 0), result::kSuccess);
    std::vector<uint8_t> back(512);
    ASSERT_EQ(transport.ReadKeyTable(back.data()), result::kSuccess);
    EXPECT_EQ(back, table);
}

TEST_F(TransportWithSimulatorTest, AnswerIsNotLostBehindAFullQueueOfEvents) {
    Open(false);
    // Key presses and consumer events fill the command handle's queue (63
    // reports) while nobody reads it; the answer must still get through.
    for (uint16_t code = 0x0401; code < 0x0401 + 40; ++code) ASSERT_TRUE(keyboard->EmitEvent(code));
    EXPECT_EQ(transport.BeginSession(), result::kSuccess);
    // And events arriving after the request are skipped by the read.
    std::vector<uint8_t> block(kInfoBlockSize);
    EXPECT_EQ(transport.ReadInfoBlock(block.data()), result::kSuccess);
}

TEST_F(TransportWithSimulatorTest, ScriptedMisbehaviour) {
    struct Case {
        const char* name;
        bool receiver;
        sim::SimFaultKind fault;
        int expected;
    };
    const Case cases[] = {
        {"stale echo", false, sim::SimFaultKind::StaleEcho, result::kSuccess},
        {"no answer", false, sim::SimFaultKind::NoAnswer, result::kNoAnswer},
        {"receiver answers", true, sim::SimFaultKind::ReceiverAnswer, result::kReceiverAnswered},
        {"status 0xFF", false, sim::SimFaultKind::Status, result::kStatusError},
        {"unplugged mid-read", false, sim::SimFaultKind::UnplugDuringRead, result::kNoAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keyboard->Faults().Clear();
        if (!keyboard->IsPlugged()) {
            ASSERT_NE(backend.Plug(keyboard), sim::kNoSimDevice);
            SetUp();
        }
        DeviceTransport t(backend, clock);
        ASSERT_TRUE(t.Open(commandPath, TransportParams{c.receiver, 24}));
        Fault(command::kBeginSession, c.fault);
        EXPECT_EQ(t.BeginSession(), c.expected);
    }
}

TEST_F(TransportWithSimulatorTest, StatusEndsAPagedWriteAtTheFailingChunk) {
    Open(false);
    Fault(command::kWriteData, sim::SimFaultKind::Status, 2);
    std::vector<uint8_t> data(200, 0x77);
    EXPECT_EQ(transport.WriteData(data.data(), data.size(), 0), result::kStatusError);
    const auto memory = keyboard->Firmware().Memory();
    EXPECT_EQ(memory.data[55], 0x77);  // the first chunk stays written
    EXPECT_EQ(memory.data[56], 0x00);
}

}  // namespace
}  // namespace ivra
