#include "SimHidBackend.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "hid/HidReportDescriptor.h"
#include "discovery/HotPlugSignal.h"
#include "SimAttachment.h"
#include "SimBackendState.h"
#include "SimDevice.h"
#include "SimHidNode.h"
#include "SimReportQueue.h"

namespace ivra::sim {

namespace {

constexpr const char kNodePrefix[] = "/sim/hidraw";

// Reads an unsigned number in the given base spanning exactly [begin, end).
bool ParseNumber(const std::string& text, size_t begin, size_t end, int base, unsigned long& value) {
    if (begin >= end || end > text.size() || end - begin > 8) return false;
    const std::string part = text.substr(begin, end - begin);
    for (char c : part) {
        const auto u = static_cast<unsigned char>(c);
        if (base == 16 ? std::isxdigit(u) == 0 : std::isdigit(u) == 0) return false;
    }
    value = std::strtoul(part.c_str(), nullptr, base);
    return true;
}

struct ParsedPath {
    unsigned long hidraw = 0;
    unsigned long vendorId = 0;
    unsigned long productId = 0;
    unsigned long instance = 0;
};

// "/sim/hidrawN#markers#SIM:VVVV:PPPP.IIII"
bool ParsePath(const std::string& path, ParsedPath& out) {
    const size_t prefixLength = sizeof kNodePrefix - 1;
    if (path.compare(0, prefixLength, kNodePrefix) != 0) return false;
    const size_t firstHash = path.find('#');
    const size_t lastHash = path.rfind('#');
    if (firstHash == std::string::npos || lastHash == firstHash) return false;
    if (!ParseNumber(path, prefixLength, firstHash, 10, out.hidraw)) return false;
    const std::string tail = path.substr(lastHash + 1);
    if (tail.size() != 18 || tail.compare(0, 4, "SIM:") != 0 || tail[8] != ':' || tail[13] != '.') {
        return false;
    }
    return ParseNumber(tail, 4, 8, 16, out.vendorId) && ParseNumber(tail, 9, 13, 16, out.productId) &&
           ParseNumber(tail, 14, 18, 16, out.instance);
}

std::string FormatPath(unsigned hidraw, const HidAttributes& attributes, uint16_t interfaceNumber,
                       size_t collectionCount, uint32_t collection, uint32_t instance) {
    char text[128];
    int n = std::snprintf(text, sizeof text, "%s%u#vid_%04x&pid_%04x&mi_%02x", kNodePrefix, hidraw, attributes.vendorId,
                          attributes.productId, interfaceNumber & 0xFFu);
    if (collectionCount > 1) {
        n += std::snprintf(text + n, sizeof text - static_cast<size_t>(n), "&col%02x", collection & 0xFFu);
    }
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n), "#SIM:%04X:%04X.%04X", attributes.vendorId,
                  attributes.productId, instance & 0xFFFFu);
    return text;
}

// The source handed to discovery; the backend keeps only a weak reference,
// so either may go first.
class SharedSignalSource final : public IHotPlugSource {
public:
    explicit SharedSignalSource(std::shared_ptr<HotPlugSignal> signal) : signal_(std::move(signal)) {}
    HotPlugWait WaitForChange(int timeoutMs, std::stop_token stop) override {
        return signal_->WaitForChange(timeoutMs, stop);
    }

private:
    std::shared_ptr<HotPlugSignal> signal_;
};

}  // namespace

struct SimHidBackend::Shared {
    mutable std::mutex mutex;
    std::vector<Plugged> plugged;
    std::vector<std::weak_ptr<HotPlugSignal>> hotPlugSignals;
    SimDeviceId nextId = 1;
    uint32_t nextInstance = 1;
};

SimHidBackend::SimHidBackend() : state_(std::make_shared<SimBackendState>()), shared_(std::make_shared<Shared>()) {}

SimHidBackend::~SimHidBackend() {
    std::vector<Plugged> plugged;
    {
        std::lock_guard lock(shared_->mutex);
        plugged.swap(shared_->plugged);
    }
    for (const Plugged& p : plugged) {
        p.attachment->Detach();
        p.attachment->Device()->DetachFrom(p.attachment.get());
    }
}

SimDeviceId SimHidBackend::Plug(std::shared_ptr<SimDevice> device) {
    if (!device) return kNoSimDevice;
    std::unique_lock lock(shared_->mutex);
    if (device->IsPlugged()) return kNoSimDevice;

    std::vector<unsigned> taken;
    for (const Plugged& p : shared_->plugged) {
        for (const SimAttachment::Node& node : p.attachment->Nodes()) {
            taken.push_back(node.hidrawNumber);
        }
    }
    std::vector<SimAttachment::Node> nodes;
    for (const SimInterface& iface : device->Interfaces()) {
        unsigned number = 0;
        while (std::find(taken.begin(), taken.end(), number) != taken.end()) ++number;
        taken.push_back(number);
        nodes.push_back({iface.number, number});
    }

    const SimDeviceId id = shared_->nextId++;
    const uint32_t instance = shared_->nextInstance;
    shared_->nextInstance = shared_->nextInstance >= 0xFFFF ? 1 : shared_->nextInstance + 1;
    std::weak_ptr<Shared> weakShared = shared_;
    auto attachment = std::make_shared<SimAttachment>(device, instance, std::move(nodes), [weakShared, id] {
        if (auto s = weakShared.lock()) {
            UnplugIn(*s, id);
        }
    });
    if (!device->Attach(attachment)) return kNoSimDevice;
    shared_->plugged.push_back({id, std::move(attachment)});
    lock.unlock();
    ReportPlugChange(*shared_);
    return id;
}

bool SimHidBackend::UnplugIn(Shared& shared, SimDeviceId id) {
    std::shared_ptr<SimAttachment> attachment;
    {
        std::lock_guard lock(shared.mutex);
        auto it =
            std::find_if(shared.plugged.begin(), shared.plugged.end(), [id](const Plugged& p) { return p.id == id; });
        if (it == shared.plugged.end()) return false;
        attachment = std::move(it->attachment);
        shared.plugged.erase(it);
    }
    // Outside the backend's lock: failing the queues takes their own locks.
    attachment->Detach();
    attachment->Device()->DetachFrom(attachment.get());
    ReportPlugChange(shared);
    return true;
}

void SimHidBackend::ReportPlugChange(Shared& shared) {
    std::vector<std::shared_ptr<HotPlugSignal>> live;
    {
        std::lock_guard lock(shared.mutex);
        auto& signals = shared.hotPlugSignals;
        for (auto it = signals.begin(); it != signals.end();) {
            if (auto signal = it->lock()) {
                live.push_back(std::move(signal));
                ++it;
            } else {
                it = signals.erase(it);
            }
        }
    }
    for (const auto& signal : live) signal->Raise();
}

std::unique_ptr<IHotPlugSource> SimHidBackend::OpenHotPlugSource() {
    auto signal = std::make_shared<HotPlugSignal>();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->hotPlugSignals.push_back(signal);
    }
    return std::make_unique<SharedSignalSource>(std::move(signal));
}

bool SimHidBackend::Unplug(SimDeviceId id) {
    return UnplugIn(*shared_, id);
}

SimDeviceId SimHidBackend::IdOf(const SimDevice& device) const {
    std::lock_guard lock(shared_->mutex);
    for (const Plugged& p : shared_->plugged) {
        if (p.attachment->Device().get() == &device) return p.id;
    }
    return kNoSimDevice;
}

void SimHidBackend::SetInstantTimeouts(bool on) {
    state_->SetInstantTimeouts(on);
}

bool SimHidBackend::InstantTimeouts() const {
    return state_->InstantTimeouts();
}

void SimHidBackend::SetReportLatencyMs(uint32_t ms) {
    state_->SetReportLatencyMs(std::min(ms, kMaxReportLatencyMs));
}

uint32_t SimHidBackend::ReportLatencyMs() const {
    return state_->ReportLatencyMs();
}

size_t SimHidBackend::BlockedReaders() const {
    return state_->BlockedReaders();
}

bool SimHidBackend::WaitForBlockedReaders(size_t count, int timeoutMs) const {
    return state_->WaitForBlockedReaders(count, timeoutMs);
}

std::string SimHidBackend::CollectionPath(uint16_t interfaceNumber, uint16_t collectionNumber) {
    std::vector<HidInterfaceEntry> entries;
    if (!Enumerate(entries)) return {};
    for (const HidInterfaceEntry& entry : entries) {
        if (entry.interfaceNumber == interfaceNumber && entry.collectionNumber == collectionNumber) return entry.path;
    }
    return {};
}

bool SimHidBackend::Enumerate(std::vector<HidInterfaceEntry>& out) {
    out.clear();
    std::vector<std::shared_ptr<SimAttachment>> attachments;
    {
        std::lock_guard lock(shared_->mutex);
        for (const Plugged& p : shared_->plugged) attachments.push_back(p.attachment);
    }
    for (const auto& attachment : attachments) {
        const SimDevice& device = *attachment->Device();
        const HidAttributes attributes = device.Attributes();
        for (const SimAttachment::Node& node : attachment->Nodes()) {
            const SimInterface* iface = device.FindInterface(node.interfaceNumber);
            HidReportDescriptor parsed;
            if (iface == nullptr ||
                !ParseReportDescriptor(iface->descriptor.data(), iface->descriptor.size(), parsed) ||
                parsed.collections.empty()) {
                // A node whose descriptor says nothing still shows up, as
                // one collection without a usage.
                parsed.collections.assign(1, HidTopLevelCollection{});
            }
            const size_t count = parsed.collections.size();
            for (size_t i = 0; i < count; ++i) {
                const HidTopLevelCollection& collection = parsed.collections[i];
                HidInterfaceEntry entry;
                entry.attributes = attributes;
                entry.interfaceNumber = node.interfaceNumber;
                entry.collectionNumber = count > 1 ? static_cast<uint16_t>(i + 1) : 0;
                entry.usagePage = collection.usagePage;
                entry.usage = collection.usage;
                entry.path = FormatPath(node.hidrawNumber, attributes, node.interfaceNumber, count,
                                        entry.collectionNumber, attachment->Instance());
                out.push_back(std::move(entry));
            }
        }
    }
    return true;
}

bool SimHidBackend::Resolve(const std::string& path, std::shared_ptr<SimAttachment>& attachment,
                            uint16_t& interfaceNumber) const {
    ParsedPath parsed;
    if (!ParsePath(path, parsed)) return false;
    std::lock_guard lock(shared_->mutex);
    for (const Plugged& p : shared_->plugged) {
        for (const SimAttachment::Node& node : p.attachment->Nodes()) {
            if (node.hidrawNumber != parsed.hidraw) continue;
            // The node number alone may have been handed to another device
            // since: the instance and identity must match too.
            const HidAttributes attributes = p.attachment->Device()->Attributes();
            if (p.attachment->Instance() != parsed.instance || attributes.vendorId != parsed.vendorId ||
                attributes.productId != parsed.productId || !p.attachment->IsPresent()) {
                return false;
            }
            attachment = p.attachment;
            interfaceNumber = node.interfaceNumber;
            return true;
        }
    }
    return false;
}

std::unique_ptr<IHidNode> SimHidBackend::Open(const std::string& path, bool wantRead, bool wantWrite,
                                              HidOpenError& error) {
    std::shared_ptr<SimAttachment> attachment;
    uint16_t interfaceNumber = 0;
    if (!Resolve(path, attachment, interfaceNumber)) {
        error = HidOpenError::NotFound;
        return nullptr;
    }
    if (attachment->Device()->PermissionDenied()) {
        error = HidOpenError::PermissionDenied;
        return nullptr;
    }
    auto queue = std::make_shared<SimReportQueue>(state_);
    if (!attachment->AddQueue(interfaceNumber, queue)) {
        error = HidOpenError::NotFound;  // unplugged in between
        return nullptr;
    }
    error = HidOpenError::None;
    return std::make_unique<SimHidNode>(std::move(attachment), interfaceNumber, std::move(queue), wantRead, wantWrite);
}

bool SimHidBackend::IsPresent(const std::string& path) {
    std::shared_ptr<SimAttachment> attachment;
    uint16_t interfaceNumber = 0;
    return Resolve(path, attachment, interfaceNumber);
}

}  // namespace ivra::sim
