#include "transport/DeviceTransport.h"

#include <algorithm>
#include <cstring>

#include "base/DebugLines.h"
#include "base/DebugOutput.h"

namespace ivra {
namespace {

void LogFrame(const char* title, const uint8_t* frame) {
    DebugLine(title);
    DebugLine(FrameHexLine(frame, 0));
    DebugLine(FrameHexLine(frame, 1));
}

// Frame offsets are 16 bits wide; a transfer that would run past them would
// wrap onto the start of the device's memory.
constexpr uint32_t kOffsetLimit = 0x10000;

}  // namespace

const char* DescribeResult(int code) {
    switch (code) {
        case result::kSuccess: return "success";
        case result::kNoAnswer: return "no answer (not open, or the read failed or timed out)";
        case result::kWriteFailed: return "the request could not be written";
        case result::kReceiverAnswered: return "the receiver answered in place of the device";
        case result::kStatusError: return "the device reported status 0xFF";
        case result::kStatusBusy: return "the device reported status 0xFE";
        case result::kInvalidKeyTableBlock: return "invalid key table block";
        default: return "unknown result";
    }
}

int StatusResult(const uint8_t* response) {
    if (response[7] == kStatusError) return result::kStatusError;
    if (response[7] == kStatusBusyError) return result::kStatusBusy;
    return result::kSuccess;
}

DeviceTransport::DeviceTransport(IHidBackend& backend, IClock& clock)
    : channelA(backend), channelB(backend), clock_(clock) {}

DeviceTransport::~DeviceTransport() {
    Close();
}

bool DeviceTransport::Open(const std::string& path, const TransportParams& params) {
    std::lock_guard<std::mutex> lock(ioLock_);
    HidChannel& channel = params.receiverMode ? channelB : channelA;
    const bool opened = channel.Open(path, true);
    lastOpenError_ = channel.LastOpenError();
    if (opened) {
        receiverMode_ = params.receiverMode;
        chunkSize_ = params.chunkSize;
        open_ = true;
    }
    return opened;
}

bool DeviceTransport::SwitchTo(const std::string& path, TransportPath to, const TransportParams& params) {
    std::lock_guard<std::mutex> lock(ioLock_);
    open_ = false;
    const bool toCable = to == TransportPath::kCable;
    HidChannel& channel = toCable ? channelA : channelB;
    channel.Close();
    const bool opened = channel.Open(path, true);
    lastOpenError_ = channel.LastOpenError();
    if (opened) {
        receiverMode_ = !toCable;
        chunkSize_ = params.chunkSize;
        open_ = true;
    }
    return opened;
}

void DeviceTransport::Close() {
    open_ = false;
    channelA.Close();
    channelB.Close();
}

void DeviceTransport::CloseWhenIdle() {
    std::lock_guard<std::mutex> lock(ioLock_);
    Close();
}

bool DeviceTransport::ReopenChannel(TransportPath which, const std::string& path) {
    const bool receiver = which == TransportPath::kReceiver;
    std::atomic<bool>& openFlag = ChannelOpenFlag(which);
    HidChannel& channel = Channel(which);
    std::lock_guard<std::mutex> lock(receiver ? channelBLock_ : ioLock_);
    openFlag = false;
    channel.Close();  // wakes a pending read
    const bool opened = channel.Open(path, true);
    openFlag = opened;
    return opened;
}

void DeviceTransport::CloseChannel(TransportPath which) {
    const bool receiver = which == TransportPath::kReceiver;
    std::lock_guard<std::mutex> lock(receiver ? channelBLock_ : ioLock_);
    ChannelOpenFlag(which) = false;
    Channel(which).Close();
}

bool DeviceTransport::ChannelOpen(TransportPath which) const {
    return which == TransportPath::kReceiver ? receiverChannelOpen_.load() : open_.load();
}

HidChannel& DeviceTransport::Channel(TransportPath which) {
    return which == TransportPath::kReceiver ? channelB : channelA;
}

std::atomic<bool>& DeviceTransport::ChannelOpenFlag(TransportPath which) {
    return which == TransportPath::kReceiver ? receiverChannelOpen_ : open_;
}

size_t DeviceTransport::EffectiveChunk() const {
    const size_t chunk = chunkSize_.load();
    return std::clamp<size_t>(chunk, 1, kFrameMaxPayload);
}

int DeviceTransport::Exchange(const uint8_t* request, uint8_t* response, size_t& bytesRead) {
    busy_ = true;
    bytesRead = 0;
    if (!open_) {
        busy_ = false;
        return result::kNoAnswer;
    }
    Frame sent;
    std::memcpy(sent.data(), request, kFrameSize);
    LogFrame(debug::kFrameSent, sent.data());

    const bool receiver = receiverMode_.load();
    HidChannel& channel = receiver ? channelB : channelA;
    const int timeoutMs = receiver ? kReceiverTimeoutMs : kCableTimeoutMs;

    bool written = false;
    {
        std::lock_guard<std::mutex> lock(ioLock_);
        // The handle also queues the reports of the node's other collections
        // (keys, consumer events); make room so the answer is not dropped.
        channel.DiscardQueuedInput();
        size_t bytesWritten = 0;
        written = channel.Write(sent.data(), bytesWritten, timeoutMs);
    }
    if (!written) {
        busy_ = false;
        return result::kWriteFailed;
    }

    int code = result::kNoAnswer;
    {
        std::lock_guard<std::mutex> lock(ioLock_);
        std::memset(response, 0, kFrameSize);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const bool ok = channel.Read(response, kFrameSize, bytesRead, timeoutMs);
            code = ok ? result::kSuccess : result::kNoAnswer;
            if (response[3] == sent[3]) break;
            if (receiver && response[3] == kReceiverAnswer) {
                code = result::kReceiverAnswered;
                break;
            }
            // A stale answer to an earlier request: read once more. After the
            // second read its result stands; callers judge the status byte.
        }
    }
    LogFrame(debug::kFrameAnswered, response);
    busy_ = false;
    return code;
}

int DeviceTransport::ExchangeRaw(const uint8_t* request, uint8_t* response, size_t& bytesRead) {
    bytesRead = 0;
    std::lock_guard<std::mutex> lock(ioLock_);
    channelA.DiscardQueuedInput();
    size_t bytesWritten = 0;
    if (!channelA.Write(request, bytesWritten, kCableTimeoutMs)) return result::kWriteFailed;
    std::memset(response, 0, kFrameSize);
    return channelA.Read(response, kFrameSize, bytesRead, kCableTimeoutMs) ? result::kSuccess : result::kNoAnswer;
}

int DeviceTransport::LockedExchange(LockUse lock, const uint8_t* request, uint8_t* response) {
    size_t bytesRead = 0;
    switch (lock) {
        case LockUse::Command: {
            std::lock_guard<std::mutex> guard(commandLock_);
            return Exchange(request, response, bytesRead);
        }
        case LockUse::Light: {
            std::lock_guard<std::mutex> guard(lightLock_);
            return Exchange(request, response, bytesRead);
        }
        case LockUse::None: break;
    }
    return Exchange(request, response, bytesRead);
}

int DeviceTransport::SingleFrame(uint8_t commandCode, uint8_t length, uint8_t* responseOut) {
    const Frame request = MakeFrame(commandCode, length, 0);
    Frame response{};
    const int code = LockedExchange(LockUse::Command, request.data(), response.data());
    if (code != result::kSuccess) return code;
    const int status = StatusResult(response.data());
    if (status == result::kSuccess && responseOut != nullptr) {
        std::memcpy(responseOut, response.data(), kFrameSize);
    }
    return status;
}

int DeviceTransport::Paged(uint8_t commandCode, const uint8_t* writeData, uint8_t* readData, size_t total,
                           uint32_t baseOffset, LockUse lock, size_t chunk) {
    if (total == 0) return result::kSuccess;
    if (baseOffset >= kOffsetLimit || total > kOffsetLimit - baseOffset) {
        return result::kWriteFailed;  // never sent: it would land at the wrong address
    }
    Frame request{};
    request[0] = kCommandReportId;
    request[3] = commandCode;
    request[7] = 0;
    Frame response{};
    for (size_t offset = 0; offset < total; offset += chunk) {
        const size_t length = std::min(chunk, total - offset);
        const uint32_t frameOffset = baseOffset + static_cast<uint32_t>(offset);
        request[4] = static_cast<uint8_t>(length);
        request[5] = static_cast<uint8_t>(frameOffset & 0xFF);
        request[6] = static_cast<uint8_t>((frameOffset >> 8) & 0xFF);
        if (writeData != nullptr) {
            std::memset(request.data() + kFramePayloadOffset, 0, kFrameMaxPayload);
            std::memcpy(request.data() + kFramePayloadOffset, writeData + offset, length);
        }
        SealFrame(request.data());
        const int code = LockedExchange(lock, request.data(), response.data());
        if (code != result::kSuccess) return code;
        const int status = StatusResult(response.data());
        if (status != result::kSuccess) return status;
        if (readData != nullptr) {
            std::memcpy(readData + offset, response.data() + kFramePayloadOffset, length);
        }
    }
    return result::kSuccess;
}

int DeviceTransport::BeginSession() {
    return SingleFrame(command::kBeginSession, 0, nullptr);
}

int DeviceTransport::EndSession() {
    clock_.SleepMs(10);
    return SingleFrame(command::kEndSession, 0, nullptr);
}

int DeviceTransport::ReadInfoBlock(uint8_t* out) {
    uint8_t block[kInfoBlockSize];
    const int code =
        Paged(command::kReadInfoBlock, nullptr, block, kInfoBlockSize, 0, LockUse::Command, EffectiveChunk());
    if (code == result::kSuccess) std::memcpy(out, block, kInfoBlockSize);
    return code;
}

int DeviceTransport::ReadData(uint8_t* out, size_t length, uint32_t baseOffset) {
    return Paged(command::kReadData, nullptr, out, length, baseOffset, LockUse::Command, EffectiveChunk());
}

int DeviceTransport::WriteData(const uint8_t* data, size_t length, uint32_t baseOffset) {
    return Paged(command::kWriteData, data, nullptr, length, baseOffset, LockUse::Command, EffectiveChunk());
}

int DeviceTransport::ReadKeyTable(uint8_t* out) {
    return Paged(command::kReadKeyTable, nullptr, out, keyTableLength_.load(), 0, LockUse::Command, EffectiveChunk());
}

int DeviceTransport::WriteKeyTable(const uint8_t* data, int block) {
    if (block != 0) return result::kInvalidKeyTableBlock;
    return Paged(command::kWriteKeyTable, data, nullptr, keyTableLength_.load(), 0, LockUse::Command, EffectiveChunk());
}

int DeviceTransport::WriteLightBlock(const uint8_t* data, size_t length, int block) {
    if (block < 0) return result::kWriteFailed;
    return Paged(command::kWriteLightBlock, data, nullptr, length, static_cast<uint32_t>(block) * 512u, LockUse::Light,
                 EffectiveChunk());
}

int DeviceTransport::StreamLightFrame(const uint8_t* data, size_t length) {
    const size_t chunk = EffectiveChunk();
    Frame request{};
    request[0] = kCommandReportId;
    request[3] = command::kStreamLightFrame;
    Frame response{};
    for (size_t offset = 0; offset < length && offset < kOffsetLimit; offset += chunk) {
        // Light frames never wait behind configuration traffic, and are not
        // sent through the receiver at all.
        if (busy_) {
            ++droppedLightChunks_;
            DebugLine(debug::kLightFrameDropped);
            continue;
        }
        if (receiverMode_) continue;
        const size_t n = std::min(chunk, length - offset);
        request[4] = static_cast<uint8_t>(n);
        request[5] = static_cast<uint8_t>(offset & 0xFF);
        request[6] = static_cast<uint8_t>((offset >> 8) & 0xFF);
        std::memset(request.data() + kFramePayloadOffset, 0, kFrameMaxPayload);
        std::memcpy(request.data() + kFramePayloadOffset, data + offset, n);
        SealFrame(request.data());
        int code;
        {
            std::lock_guard<std::mutex> lock(lightLock_);
            size_t bytesRead = 0;
            code = ExchangeRaw(request.data(), response.data(), bytesRead);
        }
        if (code != result::kSuccess) return code;
        const int status = StatusResult(response.data());
        if (status != result::kSuccess) return status;
    }
    return result::kSuccess;
}

int DeviceTransport::HandLightsToDevice() {
    clock_.SleepMs(10);
    return SingleFrame(command::kHandLightsToDevice, 0, nullptr);
}

int DeviceTransport::WriteMacroImage(const uint8_t* data, size_t length) {
    return Paged(command::kWriteMacroImage, data, nullptr, length, 0, LockUse::Command, EffectiveChunk());
}

int DeviceTransport::WriteBuffer(const uint8_t* data, size_t length) {
    return Paged(command::kWriteBuffer, data, nullptr, length, 0, LockUse::None, kFrameMaxPayload);
}

int DeviceTransport::ReadPowerStatus(uint8_t* out) {
    Frame response{};
    const int code = SingleFrame(command::kReadPowerStatus, static_cast<uint8_t>(kPowerStatusSize), response.data());
    if (code == result::kSuccess) {
        std::memcpy(out, response.data() + kFramePayloadOffset, kPowerStatusSize);
    }
    return code;
}

int DeviceTransport::ReadLedMap(uint8_t* out) {
    return Paged(command::kReadLedMap, nullptr, out, keyTableLength_.load() / 3, 0, LockUse::Command, EffectiveChunk());
}

int DeviceTransport::TakeLightControl() {
    return SingleFrame(command::kTakeLightControl, 0, nullptr);
}

bool DeviceTransport::QueryReceiverLink() {
    if (!receiverMode_) return true;
    Frame response{};
    return SingleFrame(command::kQueryReceiverLink, 0, response.data()) == result::kSuccess &&
           response[kFramePayloadOffset] == 0xFF;
}

}  // namespace ivra
