#include "ScriptedHidBackend.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "SimReportDescriptors.h"

namespace ivra::test {
namespace {

class ScriptedNode final : public IHidNode {
public:
    explicit ScriptedNode(std::shared_ptr<ScriptedDevice> device) : device_(std::move(device)) {}

    HidIoResult ReadReport(uint8_t* buffer, size_t capacity, size_t& got, int timeoutMs) override {
        got = 0;
        std::unique_lock<std::mutex> lock(device_->mutex);
        ++device_->reads;
        // Finite time-outs pass at once: nothing else will arrive.
        if (timeoutMs < 0) {
            ++device_->blockedReaders;
            device_->changed.notify_all();
            device_->changed.wait(lock, [&] { return aborted_ || !device_->queue.empty(); });
            --device_->blockedReaders;
        }
        if (aborted_) return HidIoResult::Aborted;
        if (device_->queue.empty()) return HidIoResult::Timeout;
        const std::vector<uint8_t> report = std::move(device_->queue.front());
        device_->queue.pop_front();
        got = std::min(capacity, report.size());
        std::memcpy(buffer, report.data(), got);
        return HidIoResult::Ok;
    }

    HidIoResult WriteReport(const uint8_t* data, size_t length, int) override {
        std::lock_guard<std::mutex> lock(device_->mutex);
        if (aborted_) return HidIoResult::Aborted;
        if (device_->failWrites || length != kFrameSize) return HidIoResult::Failed;
        Frame frame;
        std::memcpy(frame.data(), data, kFrameSize);
        device_->written.push_back(frame);
        if (device_->onWrite) {
            device_->onWrite(frame, *device_);
        } else {
            const Frame answer = EchoAnswer(frame);
            device_->queue.emplace_back(answer.begin(), answer.end());
        }
        device_->changed.notify_all();
        return HidIoResult::Ok;
    }

    HidIoResult SendOutputReport(const uint8_t*, size_t) override { return HidIoResult::Ok; }
    void DiscardQueuedInput() override {}

    void Abort() override {
        std::lock_guard<std::mutex> lock(device_->mutex);
        aborted_ = true;
        device_->changed.notify_all();
    }

    const std::vector<uint8_t>& ReportDescriptor() const override { return device_->descriptor; }
    HidAttributes Attributes() const override { return device_->attributes; }

private:
    std::shared_ptr<ScriptedDevice> device_;
    bool aborted_ = false;  // guarded by the device mutex
};

}  // namespace

void ScriptedDevice::Push(std::vector<uint8_t> report) {
    std::lock_guard<std::mutex> lock(mutex);
    queue.push_back(std::move(report));
    changed.notify_all();
}

size_t ScriptedDevice::WrittenCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return written.size();
}

bool ScriptedDevice::WaitForBlockedReader() {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] { return blockedReaders > 0; });
}

Frame EchoAnswer(const Frame& request, uint8_t status) {
    Frame answer{};
    answer[0] = kCommandReportId;
    answer[3] = request[3];
    answer[4] = request[4];
    answer[5] = request[5];
    answer[6] = request[6];
    answer[7] = status;
    SealFrame(answer.data());
    return answer;
}

ScriptedHidBackend::ScriptedHidBackend() {
    device->descriptor = sim::KeyboardInterface1Descriptor();
}

bool ScriptedHidBackend::Enumerate(std::vector<HidInterfaceEntry>& out) {
    out.clear();
    if (!present) return true;
    HidInterfaceEntry entry;
    entry.path = path;
    entry.attributes = device->attributes;
    entry.interfaceNumber = 1;
    entry.collectionNumber = 4;
    entry.usagePage = 0xFF1C;
    entry.usage = 0x92;
    out.push_back(entry);
    return true;
}

std::unique_ptr<IHidNode> ScriptedHidBackend::Open(const std::string& openPath, bool, bool, HidOpenError& error) {
    if (!present || openPath != path) {
        error = HidOpenError::NotFound;
        return nullptr;
    }
    error = HidOpenError::None;
    return std::make_unique<ScriptedNode>(device);
}

bool ScriptedHidBackend::IsPresent(const std::string& openPath) {
    return present && openPath == path;
}

}  // namespace ivra::test
