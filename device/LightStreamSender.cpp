#include "device/LightStreamSender.h"

#include <chrono>

namespace ivra {

namespace {
constexpr const char* kSenderExitLine = "灯光数据发送线程退出";
// How long one pass waits for a frame before it lets the loop look at its
// stop request again (the wait also ends at once on a stop).
constexpr auto kIdleWait = std::chrono::milliseconds(100);
}  // namespace

LightStreamSender::LightStreamSender(CDeviceTransport& transport)
    : transport_(transport), worker_(kSenderExitLine, kDeviceThreadStopBoundMs) {}

LightStreamSender::~LightStreamSender() { Stop(); }

void LightStreamSender::Submit(const std::vector<uint8_t>& frame) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++counters_.submitted;
        if (hasPending_) ++counters_.replaced;
        pending_.assign(frame.begin(), frame.end());
        hasPending_ = true;
    }
    changed_.notify_all();
    if (!worker_.Running()) worker_.Start([this] { return Pass(); }, [this] { changed_.notify_all(); });
}

void LightStreamSender::Stop() {
    worker_.Stop();
    std::lock_guard<std::mutex> lock(mutex_);
    if (hasPending_) ++counters_.replaced;
    hasPending_ = false;
    busy_ = false;
    changed_.notify_all();
}

bool LightStreamSender::Pass() {
    // Frames are sent back to back while they keep coming; the loop's own
    // 1 ms pause between passes only comes when the sender falls idle.
    while (!worker_.StopRequested()) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait_for(lock, worker_.StopToken(), kIdleWait, [this] { return hasPending_; });
            if (!hasPending_) return true;
            sending_.swap(pending_);
            hasPending_ = false;
            busy_ = true;
        }
        const int code = transport_.StreamLightFrame(sending_.data(), sending_.size());
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (code == result::kSuccess) {
                ++counters_.sent;
            } else {
                ++counters_.failed;
            }
        }
        if (code != result::kSuccess) worker_.WaitMs(kFailurePauseMs);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            busy_ = false;
        }
        changed_.notify_all();
    }
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
