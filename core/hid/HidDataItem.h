// Data items of one report kind of an opened collection, and the unpacking of
// input reports into them (what the event listeners read their event codes
// from).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hid/HidReportDescriptor.h"

namespace ivra {

constexpr int32_t kHidStatusSuccess = 0x00110000;  // HIDP_STATUS_SUCCESS
constexpr int32_t kHidStatusInvalidReportLength = static_cast<int32_t>(0xC0110003);
constexpr int32_t kHidStatusUsageNotFound = static_cast<int32_t>(0xC0110004);
constexpr int32_t kHidStatusValueOutOfRange = static_cast<int32_t>(0xC0110005);
constexpr int32_t kHidStatusBadLogPhyValues = static_cast<int32_t>(0xC0110006);
constexpr int32_t kHidStatusIncompatibleReportId = static_cast<int32_t>(0xC011000A);

struct HidDataItem {
    bool isButtonData = false;
    uint16_t usagePage = 0;
    int32_t status = kHidStatusSuccess;
    uint32_t reportId = 0;
    bool isDataSet = false;
    // Button part.
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint32_t maxUsageLength = 0;
    std::vector<uint16_t> usages;  // maxUsageLength entries, 0-terminated when shorter
    // Value part.
    uint16_t usage = 0;
    uint32_t value = 0;
    int32_t scaledValue = 0;
};

// Capability counts of one report kind, as Windows reports them.
struct HidKindCaps {
    uint32_t buttonCaps = 0;
    uint32_t valueCaps = 0;
};

HidKindCaps CountCaps(const HidTopLevelCollection& collection, HidReportKind kind);

// One item per button capability, and one per usage of each value
// capability (a range yields one item per usage).
std::vector<HidDataItem> BuildDataItems(const HidTopLevelCollection& collection, HidReportKind kind);

// Decodes one input report (first byte = report id, 0 when unnumbered) into
// the items whose report id matches. Returns false only when a value cannot
// be read from the report.
bool UnpackInputReport(const uint8_t* report, size_t reportLength, std::vector<HidDataItem>& items,
                       const HidTopLevelCollection& collection);

}  // namespace ivra
