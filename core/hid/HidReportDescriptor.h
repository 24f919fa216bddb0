// Parser for USB HID report descriptors.
//
// Linux hands us the raw report descriptor of a whole interface; the device
// code wants the view Windows gives of one top-level collection: its usage
// page and usage, the byte length of each report kind (counting the report id
// byte, which is 0 for unnumbered reports), and the button and value fields
// that input reports are unpacked with. Malformed descriptors are rejected
// with a reason, never with a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ivra {

enum class HidReportKind : int { Input = 0, Output = 1, Feature = 2 };
constexpr int kHidReportKindCount = 3;

// One report of a collection: its id (0 when the descriptor declares no ids)
// and its length in bytes as Windows counts it (id byte + payload bytes).
struct HidReportSize {
    uint8_t id = 0;
    uint32_t bytes = 0;
};

// One Input, Output or Feature main item, as a button or value capability.
// Buttons are array items and one-bit variable items; everything else that is
// not constant padding is a value.
struct HidField {
    HidReportKind kind = HidReportKind::Input;
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    bool isButton = false;
    bool isArray = false;
    bool isConstant = false;
    bool isRange = false;   // usages given as usageMin..usageMax
    uint32_t usageMin = 0;  // for a single usage both bounds hold it
    uint32_t usageMax = 0;
    std::vector<uint32_t> usages;  // explicit usage list (not a range), low 16 bits
    uint32_t bitOffset = 0;        // within the report, after the report id byte
    uint32_t bitSize = 0;          // report size of one element
    uint32_t reportCount = 0;      // number of elements
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t linkCollection = 0;  // index of the innermost collection (0 = top level)
};

struct HidTopLevelCollection {
    uint32_t index = 0;  // 1-based position among the top-level collections
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<HidReportSize> reports[kHidReportKindCount];
    std::vector<HidField> fields;  // in descriptor order

    const std::vector<HidReportSize>& Reports(HidReportKind kind) const { return reports[static_cast<int>(kind)]; }
    // Longest report of the kind (Windows' *ReportByteLength), 0 when none.
    uint32_t ReportByteLength(HidReportKind kind) const;
    bool HasReportId(HidReportKind kind, uint8_t id) const;
};

struct HidReportDescriptor {
    bool usesReportIds = false;
    std::vector<HidTopLevelCollection> collections;
};

// Parses a descriptor. On failure returns false and names the fault in
// *error (when given); `out` is then left empty.
bool ParseReportDescriptor(const uint8_t* data, size_t length, HidReportDescriptor& out, std::string* error = nullptr);

// Reads `bitSize` bits (at most 32) starting at `bitOffset` of a report
// payload, little-endian as HID lays them out. Bits beyond `length` read 0.
uint32_t ExtractReportBits(const uint8_t* payload, size_t length, uint32_t bitOffset, uint32_t bitSize);

}  // namespace ivra
