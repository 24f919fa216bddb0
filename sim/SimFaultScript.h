// Faults a simulated firmware is told to show, each picked by command code
// and occurrence, so the program's handling of misbehaving devices can be
// exercised on purpose.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ivra::sim {

enum class SimFaultKind {
    NoAnswer,          // the frame is lost: not acted on, nothing answered
    StaleEcho,         // an answer carrying another command byte comes first
    Status,            // the answer carries `status` (0xFF, 0xFE) and nothing is done
    ReceiverAnswer,    // the receiver answers (command byte 0xAA) in the device's place
    UnplugDuringRead,  // the write is taken, then the device drops off the bus
};

const char* SimFaultKindName(SimFaultKind kind);
std::optional<SimFaultKind> SimFaultKindFromName(const std::string& name);

struct SimFault {
    uint8_t command = 0;
    // 1-based count of frames with this command code; 0 means every frame.
    uint32_t occurrence = 0;
    SimFaultKind kind = SimFaultKind::NoAnswer;
    uint8_t status = 0xFF;  // for Status
};

// What the faults say about one received frame.
struct SimFaultDecision {
    bool staleEchoFirst = false;
    // The one fault that replaces the normal answer, when any (the first
    // scripted one that matches).
    std::optional<SimFault> replacement;
};

class SimFaultScript {
public:
    void Add(const SimFault& fault);
    void Clear();
    std::vector<SimFault> Faults() const;

    // Counts a received frame of `command` and returns what to do with it.
    SimFaultDecision OnFrame(uint8_t command);
    // Frames of `command` seen so far.
    uint32_t Seen(uint8_t command) const;

private:
    mutable std::mutex mutex_;
    std::vector<SimFault> faults_;
    std::map<uint8_t, uint32_t> seen_;
};

}  // namespace ivra::sim
