// The memory a simulated command firmware answers from and writes into.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/CommandFrame.h"

namespace ivra::sim {

struct SimFirmwareMemory {
    static constexpr size_t kInfoBlockSize = 34;
    static constexpr size_t kDataSize = 4096;
    static constexpr size_t kKeyTableSize = 512;
    // Command 0x1B reaches only the first third of the key table.
    static constexpr size_t kKeyTableThirdSize = kKeyTableSize / 3;
    static constexpr size_t kLightBlockSize = 512;
    static constexpr size_t kLightBlockCount = 8;
    static constexpr size_t kBlockBufferSize = 4096;  // for commands 21 and 23
    static constexpr size_t kPowerRecordSize = 6;

    std::array<uint8_t, kInfoBlockSize> infoBlock{};
    std::array<uint8_t, kDataSize> data{};
    std::array<uint8_t, kKeyTableSize> keyTable{};
    std::array<uint8_t, kLightBlockSize * kLightBlockCount> lightBlocks{};
    std::array<uint8_t, kBlockBufferSize> block21{};
    std::array<uint8_t, kBlockBufferSize> block23{};
    std::array<uint8_t, kPowerRecordSize> power{};
    // The last light frame streamed with command 18, as received.
    Frame lastStreamFrame{};
    bool hasStreamFrame = false;
    // What the 0xAA link query reports.
    bool receiverLinked = true;
};

}  // namespace ivra::sim
