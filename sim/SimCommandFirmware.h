// The part of a simulated device that answers 64-byte command frames
// (report id 4) from a memory model, with scriptable faults, a log of the
// frames it received and counters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "transport/CommandFrame.h"
#include "SimFaultScript.h"
#include "SimFirmwareMemory.h"

namespace ivra::sim {

struct SimFirmwareCounters {
    uint64_t framesReceived = 0;
    uint64_t answersSent = 0;  // including stale echoes and receiver answers
    uint64_t badChecksums = 0;
    uint64_t unknownCommands = 0;
    uint64_t rangeErrors = 0;  // offset/length outside the addressed memory
    uint64_t faultsApplied = 0;
    uint64_t streamFrames = 0;  // light stream frames (command 18) that reached the handler
};

// What the device does in reply to one frame.
struct SimFirmwareReply {
    std::vector<Frame> answers;  // queued to the host in this order
    bool unplug = false;         // then the device drops off the bus
};

class SimCommandFirmware {
public:
    // The log keeps this many most recent frames.
    static constexpr size_t kLogLimit = 4096;

    // Handles one command frame as written by the host (starting with report
    // id 4; shorter frames are padded with zeros, longer ones cut).
    SimFirmwareReply Receive(const uint8_t* report, size_t length);

    SimFaultScript& Faults() { return faults_; }

    std::vector<Frame> ReceivedFrames() const;
    void ClearLog();
    SimFirmwareCounters Counters() const;

    SimFirmwareMemory Memory() const;
    void SetMemory(const SimFirmwareMemory& memory);
    // Runs `change` on the memory under the firmware's lock.
    void ModifyMemory(const std::function<void(SimFirmwareMemory&)>& change);

private:
    // Acts on a well-formed frame; fills the answer's length and payload and
    // returns its status.
    uint8_t Execute(const Frame& request, Frame& answer);
    std::optional<Frame> StaleAnswerFor(uint8_t command) const;

    mutable std::mutex mutex_;
    SimFirmwareMemory memory_;
    SimFaultScript faults_;
    std::deque<Frame> log_;
    SimFirmwareCounters counters_;
    std::deque<Frame> recentAnswers_;  // newest last, for stale echoes
};

}  // namespace ivra::sim
