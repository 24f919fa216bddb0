// The command transport of one device: its cable channel (A) and receiver
// channel (B), the locks, and the 64-byte request/answer exchange that every
// configuration command runs on.
//
// Lock order: commandLock or lightLock (never both) before ioLock. ioLock is
// held for one write or one read phase at a time, and by discovery while it
// opens or re-points a channel; channelBLock guards the receiver event
// channel of an event transport.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "transport/CommandFrame.h"
#include "transport/TransportParams.h"
#include "hid/HidChannel.h"
#include "base/Clock.h"

namespace ivra {

// Result codes of exchanges and command operations.
namespace result {
constexpr int kSuccess = 1;
constexpr int kNoAnswer = 0;  // not open, or the read failed or timed out
constexpr int kWriteFailed = -1;
constexpr int kReceiverAnswered = -101;
constexpr int kStatusError = -102;  // status 0xFF
constexpr int kStatusBusy = -103;   // status 0xFE
constexpr int kInvalidKeyTableBlock = -201;
}  // namespace result

const char* DescribeResult(int code);

constexpr int kCableTimeoutMs = 1000;
constexpr int kReceiverTimeoutMs = 5000;
constexpr size_t kInfoBlockSize = 34;
constexpr size_t kPowerStatusSize = 6;

class DeviceTransport {
public:
    explicit DeviceTransport(IHidBackend& backend, IClock& clock = DefaultSystemClock());
    ~DeviceTransport();
    DeviceTransport(const DeviceTransport&) = delete;
    DeviceTransport& operator=(const DeviceTransport&) = delete;

    std::atomic<uint16_t> keyTableLength{512};
    std::atomic<bool> busy{false};
    std::atomic<bool> open{false};
    std::atomic<bool> lightStreaming{false};
    HidChannel channelA;
    HidChannel channelB;
    // Recursive, as the platform locks the device code was written against.
    std::recursive_mutex ioLock;
    std::recursive_mutex channelBLock;
    std::recursive_mutex commandLock;
    std::recursive_mutex lightLock;
    std::atomic<bool> receiverMode{false};
    std::atomic<uint8_t> chunkSize{24};
    // Light frame chunks left out because another exchange was in progress.
    std::atomic<uint64_t> droppedLightChunks{0};

    // Opens the channel of params' path (receiver or cable) for reading and
    // writing and, when it opened, marks the transport open with params'
    // chunk size. The failure's cause is then LastOpenError().
    bool Open(const std::string& path, const TransportParams& params);
    // Re-points a transport from one path to the other: closes it, reopens
    // the channel of `to` on `path` and reopens the transport with params'
    // chunk size. Stays closed when the channel does not open.
    bool SwitchTo(const std::string& path, TransportPath to, const TransportParams& params);
    // Marks the transport closed and closes both channels. Not under ioLock:
    // a worker blocked on a channel is woken by the close.
    void Close();
    HidOpenError LastOpenError() const { return lastOpenError_.load(); }

    // Request and answer are 64 bytes. Writes the debug lines.
    int Exchange(const uint8_t* request, uint8_t* response, size_t& bytesRead);
    // One write and one read on channel A, no echo check, retry or log.
    int ExchangeRaw(const uint8_t* request, uint8_t* response, size_t& bytesRead);

    int BeginSession();
    int EndSession();
    int ReadInfoBlock(uint8_t* out);  // kInfoBlockSize bytes, copied only on success
    int ReadData(uint8_t* out, size_t length, uint32_t baseOffset);
    int WriteData(const uint8_t* data, size_t length, uint32_t baseOffset);
    int ReadKeyTable(uint8_t* out);  // keyTableLength bytes
    int WriteKeyTable(const uint8_t* data, int block);
    int WriteLightBlock(const uint8_t* data, size_t length, int block);
    int StreamLightFrame(const uint8_t* data, size_t length);
    int HandLightsToDevice();
    int WriteMacroImage(const uint8_t* data, size_t length);
    int WriteBuffer(const uint8_t* data, size_t length);
    int ReadPowerStatus(uint8_t* out);  // kPowerStatusSize bytes
    int ReadLedMap(uint8_t* out);  // keyTableLength / 3 bytes
    int TakeLightControl();
    bool QueryReceiverLink();

    IClock& clock() { return clock_; }

private:
    enum class LockUse { Command, Light, None };

    int SingleFrame(uint8_t commandCode, uint8_t length, uint8_t* responseOut);
    int Paged(uint8_t commandCode, const uint8_t* writeData, uint8_t* readData, size_t total,
              uint32_t baseOffset, LockUse lock, size_t chunk);
    int LockedExchange(LockUse lock, const uint8_t* request, uint8_t* response);
    size_t EffectiveChunk() const;

    IClock& clock_;
    std::atomic<HidOpenError> lastOpenError_{HidOpenError::None};
};

// Status byte of an answer as a result code: 1, -102 or -103.
int StatusResult(const uint8_t* response);

}  // namespace ivra
