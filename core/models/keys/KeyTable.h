// The key table: one row per keyboard key or key-like function (142 rows),
// used to name assignments, to turn a captured key into an assignment and to
// turn a recorded key into a macro event.
//
// Rows 0-7 are the modifiers, rows 8-112 are keyboard keys (type 0x20 with
// byte 1 = 0) with the scan code and extended flag a Windows low-level
// keyboard hook reports, rows 113-141 have no scan code and are found only
// by their assignment. Captured keys are matched by scan code and extended
// flag, never by virtual-key code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "models/keys/Assignment.h"

namespace ivra {

struct KeyTableRow {
    uint16_t virtualKey;  // Windows virtual-key code; 0x101, 0x103-0x105 are this system's own; 0 and 0xFF: none
    uint8_t scanCode;     // meaningful only when hasScanCode
    bool extended;
    bool hasScanCode;  // rows 0-112
    Assignment assignment;
    const char* labelKey;  // language key of the key's label
};

constexpr std::size_t kKeyTableRows = 142;
constexpr std::size_t kModifierRowCount = 8;    // rows 0-7
constexpr std::size_t kScanCodeRowCount = 113;  // rows 0-112

std::span<const KeyTableRow, kKeyTableRows> KeyTable();

// Each lookup scans the rows in order and takes the first match.

// Row among 0-112 with this scan code and extended flag.
std::optional<std::size_t> FindKeyByScan(uint8_t scanCode, bool extended);
// Row among 0-7 whose byte 1 equals the mask and byte 2 is 0.
std::optional<std::size_t> FindModifierRow(uint8_t modifierMask);
// Row among 8-141 whose type is 0x20, byte 1 is 0 and byte 2 the usage.
std::optional<std::size_t> FindKeyRow(uint8_t usage);
// Row among 0-141 with all three bytes equal.
std::optional<std::size_t> FindAssignmentRow(Assignment assignment);

inline bool IsModifierRow(std::size_t row) {
    return row < kModifierRowCount;
}

// A captured keyboard key as an assignment: a modifier gives 20 m 00 with m
// its mask, any other key 20 00 u with u its usage. Nothing for a key that
// is not in rows 0-112.
std::optional<Assignment> CapturedKeyAssignment(uint8_t scanCode, bool extended);

}  // namespace ivra
