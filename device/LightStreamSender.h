// Sends a device's streamed light frames on a thread of its own, so the
// window's 5 ms frame timer never waits on USB. Only the newest frame
// matters: a frame handed over while the previous one is still waiting is
// replaced (and counted). After a failed exchange the sender pauses 200 ms,
// as the frame push always has, so a keyboard that stopped answering is not
// flooded.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "device/DeviceTransport.h"
#include "device/WorkerThread.h"

namespace ivra {

struct LightStreamCounters {
    uint64_t submitted = 0;  // frames handed over
    uint64_t sent = 0;       // frames whose exchange succeeded
    uint64_t replaced = 0;   // frames a newer one replaced before they were sent
    uint64_t failed = 0;     // frames whose exchange failed (then the pause)
};

class LightStreamSender {
public:
    static constexpr uint32_t kFailurePauseMs = 200;

    explicit LightStreamSender(CDeviceTransport& transport);
    ~LightStreamSender();
    LightStreamSender(const LightStreamSender&) = delete;
    LightStreamSender& operator=(const LightStreamSender&) = delete;

    // Hands over a frame; starts the thread on first use.
    void Submit(const std::vector<uint8_t>& frame);
    // Ends the thread (a frame still waiting is dropped).
    void Stop();
    bool Running() const { return worker_.Running(); }
    // Waits until every frame handed over has been sent or dropped, at
    // most `timeoutMs`; for tests and tools. True when idle.
    bool WaitIdle(uint32_t timeoutMs);
    LightStreamCounters Counters() const;

private:
    bool Pass();

    CDeviceTransport& transport_;
    WorkerThread worker_;
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<uint8_t> pending_;
    std::vector<uint8_t> sending_;
    bool hasPending_ = false;
    bool busy_ = false;
    LightStreamCounters counters_;
};

}  // namespace ivra
