#include "transport/LightStreamSender.h"

#include <algorithm>

#include "base/DebugLines.h"

namespace ivra {

LightStreamSender::LightStreamSender(DeviceTransport& transport)
    : transport_(transport), worker_(debug::kLightSenderExit, kDeviceThreadStopBoundMs, 0) {}

LightStreamSender::~LightStreamSender() {
    Stop();
}

bool LightStreamSender::SameAsLastSentLocked(const std::vector<uint8_t>& frame) const {
    return hasLastSent_ && frame.size() == lastSent_.size() &&
           std::equal(frame.begin(), frame.end(), lastSent_.begin());
}

void LightStreamSender::Submit(const std::vector<uint8_t>& frame) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++counters_.submitted;
        if (hasPending_) ++counters_.replaced;
        if (SameAsLastSentLocked(frame) && !busy_) {
            // The device shows this frame already; the keep-alive repeats it.
            hasPending_ = false;
            ++counters_.unchanged;
        } else {
            pending_.assign(frame.begin(), frame.end());
            hasPending_ = true;
        }
    }
    changed_.notify_all();
    if (!worker_.Running()) worker_.Start([this] { return Pass(); }, [this] { changed_.notify_all(); });
}

void LightStreamSender::Rest() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!hasPending_ && !hasLastSent_) return;
        if (hasPending_) ++counters_.replaced;
        hasPending_ = false;
        hasLastSent_ = false;
    }
    changed_.notify_all();
}

void LightStreamSender::Stop() {
    worker_.Stop();
    std::lock_guard<std::mutex> lock(mutex_);
    if (hasPending_) ++counters_.replaced;
    hasPending_ = false;
    hasLastSent_ = false;
    busy_ = false;
    changed_.notify_all();
}

bool LightStreamSender::Pass() {
    IClock& clock = transport_.clock();
    const std::stop_token stop = worker_.StopToken();
    bool keepAlive = false;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (stop.stop_requested()) return true;
            if (hasPending_) {
                // The cable's pacing between two frames, in real time.
                const auto gapEnd = lastSendAt_ + std::chrono::milliseconds(kFrameGapMs);
                if (std::chrono::steady_clock::now() >= gapEnd) break;
                changed_.wait_until(lock, stop, gapEnd, [] { return false; });
                continue;
            }
            if (!hasLastSent_) {
                changed_.wait(lock, stop, [this] { return hasPending_ || hasLastSent_; });
                continue;
            }
            const uint64_t now = clock.NowMs();
            if (now >= lastSendMs_ + kKeepAliveMs) {
                keepAlive = true;
                break;
            }
            // The clock may be a test's, standing still: wait the time it
            // says is left, then read it again.
            changed_.wait_for(lock, stop, std::chrono::milliseconds(lastSendMs_ + kKeepAliveMs - now),
                              [this] { return hasPending_ || !hasLastSent_; });
        }
        if (keepAlive) {
            sending_.assign(lastSent_.begin(), lastSent_.end());
        } else {
            sending_.swap(pending_);
            hasPending_ = false;
        }
        busy_ = true;
    }
    const uint64_t droppedBefore = transport_.DroppedLightChunks();
    const int code = transport_.StreamLightFrame(sending_.data(), sending_.size());
    const bool whole = transport_.DroppedLightChunks() == droppedBefore;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lastSendAt_ = std::chrono::steady_clock::now();
        lastSendMs_ = clock.NowMs();
        if (code == result::kSuccess) {
            ++counters_.sent;
            if (keepAlive) ++counters_.keptAlive;
            // A frame that lost chunks to a busy transport is sent again
            // when it comes again.
            hasLastSent_ = whole;
            if (whole && !keepAlive) lastSent_.swap(sending_);
        } else {
            ++counters_.failed;
            hasLastSent_ = false;
        }
    }
    if (code != result::kSuccess) worker_.WaitMs(kFailurePauseMs);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = false;
    }
    changed_.notify_all();
    return true;
}

bool LightStreamSender::WaitIdle(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !hasPending_ && !busy_; });
}

LightStreamCounters LightStreamSender::Counters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counters_;
}

}  // namespace ivra
