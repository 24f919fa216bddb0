#include "transport/EventListener.h"

#include <vector>

#include "base/DebugLines.h"
#include "base/DebugOutput.h"

namespace ivra {

namespace {
// A read that fails (the device went away, the channel was closed) is not
// retried at once: the removal that follows takes up to a scan period.
constexpr uint32_t kFailedReadPauseMs = 50;
}  // namespace

EventListener::EventListener(HidChannel& channel, const std::atomic<bool>& openFlag, std::string exitLine)
    : channel_(channel), openFlag_(openFlag), worker_(std::move(exitLine), kDeviceThreadStopBoundMs) {}

EventListener::~EventListener() {
    Stop();
}

bool EventListener::Start(Handler handler) {
    if (worker_.Running()) return false;
    const HidTopLevelCollection* collection = channel_.Collection();
    if (collection == nullptr) return false;
    collection_ = *collection;
    items_ = channel_.dataItems[static_cast<int>(HidReportKind::Input)];
    reportLength_ = channel_.caps.inputReportByteLength;
    if (reportLength_ == 0) reportLength_ = 64;
    handler_ = std::move(handler);
    return worker_.Start(
        [this] {
            Pass();
            return true;
        },
        [this] { channel_.Close(); });
}

void EventListener::Stop() {
    worker_.Stop();
}

void EventListener::Pass() {
    if (!openFlag_.load()) {
        worker_.WaitMs(kFailedReadPauseMs);
        return;
    }
    std::vector<uint8_t> report(reportLength_ + 1);
    size_t got = 0;
    if (!channel_.Read(report.data(), report.size(), got, kInfiniteTimeout)) {
        worker_.WaitMs(kFailedReadPauseMs);
        return;
    }
    uint16_t code = 0;
    if (UnpackInputReport(report.data(), got, items_, collection_) && !items_.empty()) {
        const HidDataItem& first = items_.front();
        if (first.isButtonData) {
            code = first.usages.empty() ? 0 : first.usages.front();
        } else {
            code = first.usage;
        }
    }
    DebugLine(debug::kEventReport);
    if (handler_) handler_(code);
}

}  // namespace ivra
