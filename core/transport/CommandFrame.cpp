#include "transport/CommandFrame.h"

#include <cstdio>

namespace ivra {

uint16_t FrameChecksum(const uint8_t* frame) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kFrameSize; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void SealFrame(uint8_t* frame) {
    const uint16_t sum = FrameChecksum(frame);
    frame[1] = static_cast<uint8_t>(sum & 0xFF);
    frame[2] = static_cast<uint8_t>(sum >> 8);
}

bool FrameChecksumValid(const uint8_t* frame) {
    const uint16_t sum = FrameChecksum(frame);
    return frame[1] == (sum & 0xFF) && frame[2] == (sum >> 8);
}

uint16_t FrameOffset(const uint8_t* frame) {
    return static_cast<uint16_t>(frame[5] | (frame[6] << 8));
}

Frame MakeFrame(uint8_t commandCode, uint8_t length, uint16_t offset) {
    Frame frame{};
    frame[0] = kCommandReportId;
    frame[3] = commandCode;
    frame[4] = length;
    frame[5] = static_cast<uint8_t>(offset & 0xFF);
    frame[6] = static_cast<uint8_t>(offset >> 8);
    SealFrame(frame.data());
    return frame;
}

std::string FrameHexLine(const uint8_t* frame, int half) {
    const uint8_t* b = frame + (half == 0 ? 0 : 32);
    char line[160];
    std::snprintf(line, sizeof line,
                  "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15],
                  b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24], b[25], b[26], b[27], b[28], b[29],
                  b[30], b[31]);
    return line;
}

}  // namespace ivra
