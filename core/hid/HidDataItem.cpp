// Button and value data items of a collection, and input-report unpacking.
//
// Button items receive the usages that are on in a report (for their usage
// page, limited to their own usage range); value items receive the raw and
// the scaled value of their usage. Every read is bounded by the report's
// length.
#include "hid/HidDataItem.h"

#include <algorithm>
#include <map>
#include <utility>

namespace ivra {
namespace {

// Upper bound of a button item's usage list. It is the most usages one
// report of the longest allowed length can hold with byte-sized array
// elements; it only matters for hostile descriptors, where it bounds memory.
constexpr uint32_t kMaxUsageListLength = 8192;

bool IsDataField(const HidField& field, HidReportKind kind) {
    return field.kind == kind && !field.isConstant;
}

int64_t SignExtendBits(uint32_t raw, uint32_t bitSize) {
    if (bitSize == 0 || bitSize >= 32) return static_cast<int32_t>(raw);
    const uint32_t sign = uint32_t{1} << (bitSize - 1);
    if ((raw & sign) == 0) return raw;
    return static_cast<int64_t>(raw) - (int64_t{1} << bitSize);
}

// The element value as its logical range reads it: signed when the logical
// minimum is negative.
int64_t LogicalValue(const HidField& field, uint32_t raw) {
    return field.logicalMin < 0 ? SignExtendBits(raw, field.bitSize) : static_cast<int64_t>(raw);
}

// The usage of variable element `element`: when there are more elements than
// usages, the last usage applies to the rest.
uint32_t VariableElementUsage(const HidField& field, uint32_t element) {
    if (field.isRange) {
        return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{field.usageMin} + element, field.usageMax));
    }
    if (field.usages.empty()) return 0;
    return field.usages[std::min<size_t>(element, field.usages.size() - 1)];
}

// The usage an array element reports with the value it holds, 0 for none.
uint32_t ArrayElementUsage(const HidField& field, uint32_t raw) {
    const int64_t value = LogicalValue(field, raw);
    if (value < field.logicalMin || value > field.logicalMax) return 0;
    const uint64_t index = static_cast<uint64_t>(value - field.logicalMin);
    if (field.isRange) {
        if (field.usageMax < field.usageMin || index > field.usageMax - field.usageMin) return 0;
        return field.usageMin + static_cast<uint32_t>(index);
    }
    if (index >= field.usages.size()) return 0;
    return field.usages[index];
}

// Appends the usages a button field has on in the report payload. Elements
// that do not lie wholly inside the payload are not read.
void CollectButtonUsages(const HidField& field, const uint8_t* payload, size_t payloadLength,
                         std::vector<uint16_t>& out) {
    if (field.bitSize == 0 || field.bitSize > 32) return;
    const uint64_t payloadBits = static_cast<uint64_t>(payloadLength) * 8;
    for (uint32_t element = 0; element < field.reportCount; ++element) {
        const uint64_t start = field.bitOffset + uint64_t{element} * field.bitSize;
        if (start + field.bitSize > payloadBits) break;
        const uint32_t raw = ExtractReportBits(payload, payloadLength, static_cast<uint32_t>(start), field.bitSize);
        uint32_t usage = 0;
        if (field.isArray) {
            usage = ArrayElementUsage(field, raw);
        } else if (raw != 0) {
            usage = VariableElementUsage(field, element);
        }
        if (usage != 0) out.push_back(static_cast<uint16_t>(usage));
    }
}

// Calls fn(usage, element) once for each usage of a value field that has an
// element: a range gives its usages in order (no more than there are
// elements), a usage list its distinct usages at their first element.
template <typename Fn>
void ForEachValueUsage(const HidField& field, Fn&& fn) {
    if (field.reportCount == 0) return;
    if (field.isRange) {
        const uint64_t span = uint64_t{field.usageMax} - field.usageMin + 1;
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(span, field.reportCount));
        for (uint32_t i = 0; i < count; ++i) fn(static_cast<uint16_t>(field.usageMin + i), i);
        return;
    }
    if (field.usages.empty()) {
        fn(uint16_t{0}, 0u);
        return;
    }
    const size_t count = std::min<size_t>(field.usages.size(), field.reportCount);
    if (count == 1) {
        fn(static_cast<uint16_t>(field.usages.front()), 0u);
        return;
    }
    std::vector<bool> seen(0x10000, false);
    for (size_t i = 0; i < count; ++i) {
        const uint16_t usage = static_cast<uint16_t>(field.usages[i]);
        if (seen[usage]) continue;
        seen[usage] = true;
        fn(usage, static_cast<uint32_t>(i));
    }
}

uint32_t UsageKey(uint16_t usagePage, uint16_t usage) {
    return (static_cast<uint32_t>(usagePage) << 16) | usage;
}

// Scales a logical value into the physical range. Falls back to the logical
// value (with a status saying so) when the ranges cannot be used.
void ScaleValue(const HidField& field, int64_t logical, HidDataItem& item) {
    const int64_t logMin = field.logicalMin;
    const int64_t logMax = field.logicalMax;
    const int64_t phyMin = field.physicalMin;
    const int64_t phyMax = field.physicalMax;
    const bool physicalUsable = !(phyMin == 0 && phyMax == 0) && phyMin < phyMax;
    if (logMin >= logMax || !physicalUsable) {
        item.scaledValue = static_cast<int32_t>(std::clamp<int64_t>(logical, INT32_MIN, INT32_MAX));
        item.status = kHidStatusBadLogPhyValues;
        return;
    }
    if (logical < logMin || logical > logMax) {
        item.scaledValue = 0;
        item.status = kHidStatusValueOutOfRange;
        return;
    }
    // Both differences are below 2^32, so their product fits 64 bits.
    const uint64_t offset = static_cast<uint64_t>(logical - logMin);
    const uint64_t physicalSpan = static_cast<uint64_t>(phyMax - phyMin);
    const uint64_t logicalSpan = static_cast<uint64_t>(logMax - logMin);
    const int64_t scaled = phyMin + static_cast<int64_t>(offset * physicalSpan / logicalSpan);
    item.scaledValue = static_cast<int32_t>(scaled);
    item.status = kHidStatusSuccess;
}

struct ValueLocation {
    const HidField* field = nullptr;
    uint32_t element = 0;
};

}  // namespace

HidKindCaps CountCaps(const HidTopLevelCollection& collection, HidReportKind kind) {
    HidKindCaps caps;
    for (const HidField& field : collection.fields) {
        if (!IsDataField(field, kind)) continue;
        if (field.isButton) {
            ++caps.buttonCaps;
        } else {
            ++caps.valueCaps;
        }
    }
    return caps;
}

std::vector<HidDataItem> BuildDataItems(const HidTopLevelCollection& collection, HidReportKind kind) {
    // The usage-list length of a button item is the number of usages that
    // can be on across every button field of its kind and usage page.
    std::map<uint16_t, uint64_t> buttonElementsPerPage;
    for (const HidField& field : collection.fields) {
        if (IsDataField(field, kind) && field.isButton) {
            buttonElementsPerPage[field.usagePage] += field.reportCount;
        }
    }

    std::vector<HidDataItem> items;
    for (const HidField& field : collection.fields) {
        if (!IsDataField(field, kind)) continue;
        if (field.isButton) {
            HidDataItem item;
            item.isButtonData = true;
            item.usagePage = field.usagePage;
            item.reportId = field.reportId;
            item.usageMin = field.usageMin;
            item.usageMax = field.usageMax;
            item.maxUsageLength =
                static_cast<uint32_t>(std::min<uint64_t>(buttonElementsPerPage[field.usagePage], kMaxUsageListLength));
            item.usages.assign(item.maxUsageLength, 0);
            items.push_back(std::move(item));
            continue;
        }
        // Values wider than 32 bits cannot be held by an item.
        if (field.bitSize > 32) continue;
        ForEachValueUsage(field, [&](uint16_t usage, uint32_t) {
            HidDataItem item;
            item.usagePage = field.usagePage;
            item.reportId = field.reportId;
            item.usage = usage;
            item.usageMin = usage;
            item.usageMax = usage;
            items.push_back(std::move(item));
        });
    }
    return items;
}

bool UnpackInputReport(const uint8_t* report, size_t reportLength, std::vector<HidDataItem>& items,
                       const HidTopLevelCollection& collection) {
    if (report == nullptr || reportLength == 0) return true;
    const uint8_t reportId = report[0];
    const uint8_t* payload = report + 1;
    const size_t payloadLength = reportLength - 1;
    const uint64_t payloadBits = static_cast<uint64_t>(payloadLength) * 8;

    const bool anyMatch =
        std::any_of(items.begin(), items.end(), [&](const HidDataItem& item) { return item.reportId == reportId; });
    if (!anyMatch) return true;

    // Where each value usage of this report lives. A usage can occur in
    // several fields (one per finger of a touch screen, say); the n-th item
    // of a usage takes its n-th occurrence, the order BuildDataItems uses.
    std::map<uint32_t, std::vector<ValueLocation>> valueLocations;
    for (const HidField& field : collection.fields) {
        if (!IsDataField(field, HidReportKind::Input) || field.isButton) continue;
        if (field.reportId != reportId || field.bitSize > 32) continue;
        ForEachValueUsage(field, [&](uint16_t usage, uint32_t element) {
            valueLocations[UsageKey(field.usagePage, usage)].push_back(ValueLocation{&field, element});
        });
    }
    std::map<uint32_t, size_t> occurrences;
    std::map<uint16_t, std::vector<uint16_t>> onUsagesPerPage;

    bool ok = true;
    for (HidDataItem& item : items) {
        if (item.reportId != reportId) continue;
        if (item.isButtonData) {
            auto found = onUsagesPerPage.find(item.usagePage);
            if (found == onUsagesPerPage.end()) {
                std::vector<uint16_t> on;
                for (const HidField& field : collection.fields) {
                    if (IsDataField(field, HidReportKind::Input) && field.isButton && field.reportId == reportId &&
                        field.usagePage == item.usagePage) {
                        CollectButtonUsages(field, payload, payloadLength, on);
                    }
                }
                found = onUsagesPerPage.emplace(item.usagePage, std::move(on)).first;
            }
            item.usages.resize(item.maxUsageLength);
            size_t written = 0;
            for (uint16_t usage : found->second) {
                if (written == item.usages.size()) break;
                if (usage < item.usageMin || usage > item.usageMax) continue;
                item.usages[written++] = usage;
            }
            std::fill(item.usages.begin() + static_cast<std::ptrdiff_t>(written), item.usages.end(), uint16_t{0});
            item.status = kHidStatusSuccess;
            item.isDataSet = true;
            continue;
        }

        const uint32_t key = UsageKey(item.usagePage, item.usage);
        const auto located = valueLocations.find(key);
        if (located == valueLocations.end()) {
            item.status = kHidStatusUsageNotFound;
            item.isDataSet = false;
            ok = false;
            continue;
        }
        const size_t occurrence = occurrences[key]++;
        const ValueLocation& where =
            occurrence < located->second.size() ? located->second[occurrence] : located->second.front();
        const HidField& field = *where.field;
        const uint64_t start = field.bitOffset + uint64_t{where.element} * field.bitSize;
        if (start + field.bitSize > payloadBits) {
            item.status = kHidStatusInvalidReportLength;
            item.isDataSet = false;
            ok = false;
            continue;
        }
        const uint32_t raw = ExtractReportBits(payload, payloadLength, static_cast<uint32_t>(start), field.bitSize);
        item.value = raw;
        ScaleValue(field, LogicalValue(field, raw), item);
        item.isDataSet = true;
    }
    return ok;
}

}  // namespace ivra
