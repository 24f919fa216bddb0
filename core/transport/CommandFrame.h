// The 64-byte command frame every device kind speaks.
//
//  byte 0     report id, always 4
//  bytes 1-2  checksum: 16-bit sum of bytes 3..63, low byte first
//  byte 3     command code (echoed by the answer)
//  byte 4     payload length in this frame (bytes requested, for reads)
//  bytes 5-6  offset, low byte first
//  byte 7     0 in a request; status in the answer (0xFF and 0xFE are errors)
//  bytes 8-63 payload, at most 56 bytes
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "hid/HidBackend.h"

namespace ivra {

constexpr size_t kFrameSize = kCommandReportSize;
constexpr size_t kFramePayloadOffset = 8;
constexpr size_t kFrameMaxPayload = kFrameSize - kFramePayloadOffset;
constexpr uint8_t kCommandReportId = 4;
constexpr uint8_t kStatusError = 0xFF;
constexpr uint8_t kStatusBusyError = 0xFE;
constexpr uint8_t kReceiverAnswer = 0xAA;

using Frame = std::array<uint8_t, kFrameSize>;

namespace command {
constexpr uint8_t kBeginSession = 1;
constexpr uint8_t kEndSession = 2;
constexpr uint8_t kReadInfoBlock = 3;
constexpr uint8_t kReadData = 5;
constexpr uint8_t kWriteData = 6;
constexpr uint8_t kReadKeyTable = 7;
constexpr uint8_t kWriteKeyTable = 9;
constexpr uint8_t kWriteLightBlock = 11;
constexpr uint8_t kStreamLightFrame = 18;
constexpr uint8_t kHandLightsToDevice = 19;
constexpr uint8_t kWriteMacroImage = 21;
constexpr uint8_t kWriteBuffer = 23;
constexpr uint8_t kReadPowerStatus = 0x1A;
constexpr uint8_t kReadLedMap = 0x1B;
constexpr uint8_t kTakeLightControl = 0x1C;
constexpr uint8_t kQueryReceiverLink = 0xAA;
}  // namespace command

uint16_t FrameChecksum(const uint8_t* frame);
// Computes the checksum and stores it in bytes 1-2.
void SealFrame(uint8_t* frame);
bool FrameChecksumValid(const uint8_t* frame);
uint16_t FrameOffset(const uint8_t* frame);

// A zeroed frame with report id 4, the command, length and offset set and
// the checksum computed.
Frame MakeFrame(uint8_t command, uint8_t length = 0, uint16_t offset = 0);

// The two debug lines of a frame: bytes 0-31 and 32-63, grouped by four.
std::string FrameHexLine(const uint8_t* frame, int half);

}  // namespace ivra
