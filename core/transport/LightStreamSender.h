// Sends a device's streamed light frames on a thread of its own, so whoever
// produces the frames (the light thread) never waits on USB.
//
// Only the newest frame matters: a frame handed over while the previous one
// is still waiting replaces it (and is counted). Frames that changed go out
// as they come, at least kFrameGapMs apart (the cable's pacing). A frame
// equal to the last one sent is not sent again, except as a keep-alive: the
// last frame goes out again when kKeepAliveMs (on the transport's clock)
// passed since the previous send, so a keyboard that streams a still picture
// hears from the program twice a second and nothing more. Rest ends the
// keep-alive while nothing is streamed. After a failed exchange the sender
// pauses 200 ms, so a keyboard that stopped answering is not flooded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "transport/DeviceTransport.h"
#include "base/WorkerThread.h"

namespace ivra {

struct LightStreamCounters {
    uint64_t submitted = 0;  // frames handed over
    uint64_t sent = 0;       // frames whose exchange succeeded (keep-alives included)
    uint64_t replaced = 0;   // frames a newer one replaced before they were sent
    uint64_t failed = 0;     // frames whose exchange failed (then the pause)
    uint64_t unchanged = 0;  // frames equal to the last one sent, not sent again
    uint64_t keptAlive = 0;  // sends of the last frame again, as a keep-alive
};

class LightStreamSender {
public:
    static constexpr uint32_t kFailurePauseMs = 200;
    static constexpr uint32_t kKeepAliveMs = 500;
    static constexpr uint32_t kFrameGapMs = 5;

    explicit LightStreamSender(DeviceTransport& transport);
    ~LightStreamSender();
    LightStreamSender(const LightStreamSender&) = delete;
    LightStreamSender& operator=(const LightStreamSender&) = delete;

    // Hands over a frame; starts the thread on first use.
    void Submit(const std::vector<uint8_t>& frame);
    // Nothing is streamed for now: a frame still waiting is dropped, the
    // keep-alive ends, and the next frame handed over is sent whatever it
    // holds.
    void Rest();
    // Ends the thread (a frame still waiting is dropped).
    void Stop();
    bool Running() const { return worker_.Running(); }
    // Waits until every frame handed over has been sent or dropped, at
    // most `timeoutMs`; for tests and tools. True when idle.
    bool WaitIdle(uint32_t timeoutMs);
    LightStreamCounters Counters() const;

private:
    bool Pass();
    bool SameAsLastSentLocked(const std::vector<uint8_t>& frame) const;

    DeviceTransport& transport_;
    WorkerThread worker_;
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<uint8_t> pending_;
    std::vector<uint8_t> sending_;
    std::vector<uint8_t> lastSent_;
    bool hasPending_ = false;
    bool hasLastSent_ = false;  // lastSent_ reached the device whole; the keep-alive runs
    bool busy_ = false;
    uint64_t lastSendMs_ = 0;  // on the transport's clock
    std::chrono::steady_clock::time_point lastSendAt_{};
    LightStreamCounters counters_;
};

}  // namespace ivra
