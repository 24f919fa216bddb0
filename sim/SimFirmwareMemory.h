// The memory a simulated command firmware answers from and writes into.
//
// Sizes follow the keyboard's information block: byte 5 is the number of
// keys n, byte 6 the macro memory in units of 128 bytes. The per-key areas
// (key table, LED map, streamed light image) are sized from n at the moment
// a frame arrives, so changing byte 5 resizes them; their storage is kept at
// the largest size one byte of key count allows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "transport/CommandFrame.h"

namespace ivra::sim {

struct SimFirmwareMemory {
    static constexpr size_t kInfoBlockSize = 34;
    static constexpr size_t kKeyCountByte = 5;
    static constexpr size_t kMacroUnitsByte = 6;
    static constexpr size_t kMaxKeys = 255;
    static constexpr size_t kKeyEntrySize = 3;

    static constexpr size_t kDataSize = 4096;
    // Settings slot s is the 26-byte record at 25 x s of data memory; byte 0
    // of data memory is the active slot, so neighbouring records share a
    // byte (the last of one is the first of the next).
    static constexpr size_t kSettingsRecordSize = 26;
    static constexpr size_t kSettingsSlotStride = 25;
    // Slot events carry the slot in 4 bits.
    static constexpr size_t kSettingsSlots = 16;

    // The key table is block 0 of the key memory: at least 512 bytes are
    // always addressable, more when 3n exceeds that.
    static constexpr size_t kKeyTableMinimumSize = 512;
    static constexpr size_t kKeyTableCapacity = kKeyEntrySize * kMaxKeys;
    static constexpr size_t kLedMapCapacity = kMaxKeys;
    static constexpr size_t kStreamImageCapacity = kKeyEntrySize * kMaxKeys;

    static constexpr size_t kMacroUnitSize = 128;
    static constexpr size_t kMacroMemoryCapacity = kMacroUnitSize * 255;

    // Custom colour group g is light block g, at 512 x g.
    static constexpr size_t kLightBlockSize = 512;
    static constexpr size_t kDefaultLightGroups = 8;
    // Frame offsets are 16 bits: block 127 is the last one they reach.
    static constexpr size_t kMaxLightGroups = 128;

    static constexpr size_t kBlockBufferSize = 4096;  // command 23
    static constexpr size_t kPowerRecordSize = 6;

    std::array<uint8_t, kInfoBlockSize> infoBlock{};
    std::array<uint8_t, kDataSize> data{};
    // 3 bytes (type, byte 1, byte 2) per key, in the keyboard's key order.
    std::array<uint8_t, kKeyTableCapacity> keyTable{};
    // Entry j: the LED number of key j.
    std::array<uint8_t, kLedMapCapacity> ledMap{};
    std::array<uint8_t, kMacroMemoryCapacity> macroMemory{};
    std::vector<uint8_t> lightBlocks = std::vector<uint8_t>(kLightBlockSize * kDefaultLightGroups);
    std::array<uint8_t, kBlockBufferSize> block23{};
    std::array<uint8_t, kPowerRecordSize> power{};
    // The streamed light image (command 18): each frame's payload lands at
    // its offset, 3 bytes per LED.
    std::array<uint8_t, kStreamImageCapacity> streamImage{};
    // The last light frame streamed, as received.
    Frame lastStreamFrame{};
    bool hasStreamFrame = false;
    // What the 0xAA link query reports.
    bool receiverLinked = true;

    size_t KeyCount() const { return infoBlock[kKeyCountByte]; }
    size_t KeyTableSize() const;
    size_t LedMapSize() const { return KeyCount(); }
    size_t StreamImageSize() const { return kKeyEntrySize * KeyCount(); }
    size_t MacroMemorySize() const { return kMacroUnitSize * infoBlock[kMacroUnitsByte]; }

    size_t LightGroups() const { return lightBlocks.size() / kLightBlockSize; }
    // Resizes the light blocks (at most kMaxLightGroups); kept groups keep
    // their colours.
    void SetLightGroups(size_t count);

    uint8_t ActiveSlot() const { return data[0]; }
    static constexpr size_t SettingsOffset(size_t slot) { return kSettingsSlotStride * slot; }
    // The 26 bytes at slot `slot`'s offset; empty past the last slot.
    std::vector<uint8_t> SettingsRecord(size_t slot) const;
    // Stores bytes 1.. of `record` (at most 26 bytes) as slot `slot`. Byte 0
    // is not written: at slot 0 it is the active slot index, at any other
    // slot the previous slot's last byte. False past the last slot or for a
    // longer record.
    bool StoreSettingsRecord(size_t slot, const std::vector<uint8_t>& record);
};

}  // namespace ivra::sim
