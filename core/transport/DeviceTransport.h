// The command transport of one device: its cable channel (A) and receiver
// channel (B), the locks, and the 64-byte request/answer exchange that every
// configuration command runs on.
//
// Lock order: the command or the light lock (never both) before the I/O
// lock. The I/O lock is held for one write or one read phase at a time, and
// while a channel is opened or re-pointed; the receiver channel lock guards
// the receiver event channel of an event transport. All are private: callers
// use the named operations.
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

    HidChannel channelA;
    HidChannel channelB;

    bool IsOpen() const { return open_.load(); }
    bool ReceiverMode() const { return receiverMode_.load(); }
    uint8_t ChunkSize() const { return chunkSize_.load(); }
    bool ExchangeInProgress() const { return busy_.load(); }
    bool LightStreaming() const { return lightStreaming_.load(); }
    // Light frame chunks left out because another exchange was in progress.
    uint64_t DroppedLightChunks() const { return droppedLightChunks_.load(); }
    // Bytes of the key table (the LED map is a third of it).
    uint16_t KeyTableLength() const { return keyTableLength_.load(); }
    void SetKeyTableLength(uint16_t length) { keyTableLength_ = length; }

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
    // Close() after the exchange in progress: waits for the channel lock.
    void CloseWhenIdle();
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
    int ReadLedMap(uint8_t* out);       // keyTableLength / 3 bytes
    int TakeLightControl();
    bool QueryReceiverLink();

    IClock& clock() { return clock_; }

    // Event transports: the channel of `which`, closed and reopened on
    // `path` under that channel's lock (which wakes a pending read). The
    // cable channel's state is IsOpen(), the receiver's ChannelOpen().
    bool ReopenChannel(TransportPath which, const std::string& path);
    void CloseChannel(TransportPath which);
    bool ChannelOpen(TransportPath which) const;
    HidChannel& Channel(TransportPath which);
    // The flag an event listener of `which` stops on.
    std::atomic<bool>& ChannelOpenFlag(TransportPath which);

    // Tests only: makes the transport look as if an exchange were in
    // progress, so light chunks are dropped.
    void SimulateExchangeInProgressForTest(bool inProgress) { busy_ = inProgress; }
    // Tests only: the open flag and the path a device model sees, with no
    // channel behind them.
    void SimulateOpenForTest(bool isOpen) { open_ = isOpen; }
    void SimulateReceiverPathForTest(bool onReceiver) { receiverMode_ = onReceiver; }

private:
    enum class LockUse { Command, Light, None };

    int SingleFrame(uint8_t commandCode, uint8_t length, uint8_t* responseOut);
    int Paged(uint8_t commandCode, const uint8_t* writeData, uint8_t* readData, size_t total, uint32_t baseOffset,
              LockUse lock, size_t chunk);
    int LockedExchange(LockUse lock, const uint8_t* request, uint8_t* response);
    size_t EffectiveChunk() const;

    IClock& clock_;
    std::atomic<uint16_t> keyTableLength_{512};
    std::atomic<bool> busy_{false};
    std::atomic<bool> open_{false};
    std::atomic<bool> receiverChannelOpen_{false};
    std::atomic<bool> lightStreaming_{false};
    // Plain locks: none is taken while the transport already holds it (an
    // exchange takes commandLock_ or lightLock_, then ioLock_ around each
    // write and read; opening, switching and closing take ioLock_ alone).
    std::mutex ioLock_;
    std::mutex channelBLock_;
    std::mutex commandLock_;
    std::mutex lightLock_;
    std::atomic<bool> receiverMode_{false};
    std::atomic<uint8_t> chunkSize_{24};
    std::atomic<uint64_t> droppedLightChunks_{0};
    std::atomic<HidOpenError> lastOpenError_{HidOpenError::None};
};

// Status byte of an answer as a result code: 1, -102 or -103.
int StatusResult(const uint8_t* response);

}  // namespace ivra
