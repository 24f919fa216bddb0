// A key's assignment as the device objects keep it in memory: the current
// slot followed by the default slot. An assignment is three bytes (type,
// byte 1, byte 2); in JSON it is the integer type * 65536 + byte 1 * 256 +
// byte 2.
#pragma once

#include <cstdint>

#include "models/keys/Assignment.h"

namespace ivra {

struct AssignmentSlot {
    uint8_t keyIndex = 0;  // the key's position on the device
    uint8_t reserved0 = 0;
    uint8_t type = 0;
    uint8_t byte1 = 0;
    uint8_t byte2 = 0;
    uint8_t reserved1 = 0;

    // The JSON integer form of the three assignment bytes.
    int32_t Encoded() const { return type * 65536 + byte1 * 256 + byte2; }

    static AssignmentSlot FromEncoded(uint8_t keyIndex, int64_t encoded) {
        AssignmentSlot slot;
        slot.keyIndex = keyIndex;
        slot.type = static_cast<uint8_t>((encoded >> 16) & 0xFF);
        slot.byte1 = static_cast<uint8_t>((encoded >> 8) & 0xFF);
        slot.byte2 = static_cast<uint8_t>(encoded & 0xFF);
        return slot;
    }

    ivra::Assignment Bytes() const { return {type, byte1, byte2}; }
    void SetBytes(ivra::Assignment assignment) {
        type = assignment.type;
        byte1 = assignment.byte1;
        byte2 = assignment.byte2;
    }

    bool operator==(const AssignmentSlot&) const = default;
};

struct KeyRecord {
    AssignmentSlot current;
    AssignmentSlot defaults;

    // Restoring the key's default copies the default slot over the current one.
    void RestoreDefault() { current = defaults; }

    bool operator==(const KeyRecord&) const = default;
};

}  // namespace ivra
