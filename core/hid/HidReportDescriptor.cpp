// Report-descriptor parser: walks the short items of a descriptor, keeps the
// global and local item state the way the HID item grammar defines it, and
// records every Input/Output/Feature main item as a field of the top-level
// collection it belongs to. Report lengths follow the wire: all main items of
// one report kind and report id add their bits to the same report, wherever
// they sit in the descriptor. Main items that come before the first Report
// ID of a descriptor that declares ids stay in report 0, as some devices
// have them; such a report arrives with a leading 0 byte.
#include "hid/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ivra {
namespace {

// Hard bounds that keep a hostile descriptor from costing time or memory.
constexpr uint64_t kMaxReportBytes = 8192;  // one report, id byte included
constexpr uint64_t kMaxReportPayloadBits = (kMaxReportBytes - 1) * 8;
constexpr uint64_t kMaxDescriptorBits = uint64_t{1} << 21;  // all reports together
constexpr size_t kMaxGlobalStackDepth = 32;
constexpr size_t kMaxCollectionDepth = 64;
constexpr size_t kMaxFieldUsages = 4096;  // usages kept for one main item
constexpr uint32_t kMaxReportId = 255;

// Item types (bits 2..3 of the prefix).
constexpr uint8_t kTypeMain = 0;
constexpr uint8_t kTypeGlobal = 1;
constexpr uint8_t kTypeLocal = 2;

// Main item tags.
constexpr uint8_t kMainInput = 0x8;
constexpr uint8_t kMainOutput = 0x9;
constexpr uint8_t kMainCollection = 0xA;
constexpr uint8_t kMainFeature = 0xB;
constexpr uint8_t kMainEndCollection = 0xC;

// Global item tags.
constexpr uint8_t kGlobalUsagePage = 0x0;
constexpr uint8_t kGlobalLogicalMin = 0x1;
constexpr uint8_t kGlobalLogicalMax = 0x2;
constexpr uint8_t kGlobalPhysicalMin = 0x3;
constexpr uint8_t kGlobalPhysicalMax = 0x4;
constexpr uint8_t kGlobalReportSize = 0x7;
constexpr uint8_t kGlobalReportId = 0x8;
constexpr uint8_t kGlobalReportCount = 0x9;
constexpr uint8_t kGlobalPush = 0xA;
constexpr uint8_t kGlobalPop = 0xB;

// Local item tags.
constexpr uint8_t kLocalUsage = 0x0;
constexpr uint8_t kLocalUsageMin = 0x1;
constexpr uint8_t kLocalUsageMax = 0x2;
constexpr uint8_t kLocalDelimiter = 0xA;

// Main item data bits.
constexpr uint32_t kFlagConstant = 0x01;
constexpr uint32_t kFlagVariable = 0x02;

constexpr uint8_t kLongItemPrefix = 0xFE;

int64_t SignExtend(uint32_t data, uint8_t size) {
    switch (size) {
        case 1: return static_cast<int8_t>(data & 0xFF);
        case 2: return static_cast<int16_t>(data & 0xFFFF);
        case 4: return static_cast<int32_t>(data);
        default: return 0;
    }
}

// A logical or physical maximum as written. Whether it is read as signed or
// unsigned depends on the matching minimum, which may come later in the
// descriptor, so the choice is made when a main item uses it: with a negative
// minimum the maximum is signed, otherwise unsigned (so the common
// "Logical Maximum (255)" written in one byte means 255, not -1).
struct RawBound {
    uint32_t data = 0;
    uint8_t size = 0;

    int64_t Resolve(int64_t minimum) const { return minimum < 0 ? SignExtend(data, size) : static_cast<int64_t>(data); }
};

struct GlobalState {
    uint16_t usagePage = 0;
    int64_t logicalMin = 0;
    RawBound logicalMax;
    int64_t physicalMin = 0;
    RawBound physicalMax;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// A usage as written: one or two data bytes take their page from the usage
// page in force at the main item; four data bytes carry the page themselves.
struct LocalUsage {
    uint32_t value = 0;
    bool extended = false;

    uint32_t Resolve(uint16_t usagePage) const {
        return extended ? value : (static_cast<uint32_t>(usagePage) << 16) | (value & 0xFFFF);
    }
};

struct LocalState {
    std::vector<LocalUsage> usages;
    std::optional<LocalUsage> usageMin;
    std::optional<LocalUsage> usageMax;
    bool inDelimiter = false;
    bool delimiterUsageTaken = false;

    void Clear() { *this = LocalState{}; }
};

// Resolved usages of one main item, as full 32-bit usages.
struct ResolvedUsages {
    bool isRange = false;
    uint32_t rangeMin = 0;
    uint32_t rangeMax = 0;
    std::vector<uint32_t> list;
};

void AssignInt32(int32_t& target, int64_t value) {
    // Values come from at most four data bytes, so they fit in 33 bits; one
    // that does not fit int32 keeps its 32-bit pattern.
    target = static_cast<int32_t>(static_cast<uint32_t>(value & 0xFFFFFFFF));
}

class Parser {
public:
    Parser(const uint8_t* data, size_t length) : data_(data), length_(length) {}

    bool Run(HidReportDescriptor& out, std::string& error) {
        size_t pos = 0;
        while (pos < length_) {
            const uint8_t prefix = data_[pos];
            if (prefix == kLongItemPrefix) {
                // Long item: prefix, data size, tag, data. Nothing in it
                // concerns reports; skip it whole.
                if (length_ - pos < 3) return Fail(error, pos, "truncated long item");
                const size_t size = data_[pos + 1];
                if (length_ - pos - 3 < size) return Fail(error, pos, "truncated long item");
                pos += 3 + size;
                continue;
            }
            const uint8_t sizeCode = prefix & 0x3;
            const uint8_t size = sizeCode == 3 ? 4 : sizeCode;
            if (length_ - pos - 1 < size) return Fail(error, pos, "truncated item");
            uint32_t value = 0;
            for (uint8_t i = 0; i < size; ++i) {
                value |= static_cast<uint32_t>(data_[pos + 1 + i]) << (8 * i);
            }
            const uint8_t type = (prefix >> 2) & 0x3;
            const uint8_t tag = (prefix >> 4) & 0xF;
            bool ok = true;
            switch (type) {
                case kTypeMain: ok = Main(tag, value, error); break;
                case kTypeGlobal: ok = Global(tag, value, size, error); break;
                case kTypeLocal: Local(tag, value, size); break;
                default: break;  // reserved item type: no meaning to us
            }
            if (!ok) return Fail(error, pos, nullptr);
            pos += 1 + size;
        }
        if (!collections_.empty()) return Fail(error, length_, "collection not closed");
        if (result_.collections.empty()) return Fail(error, length_, "no top-level collection");
        FillReportLengths();
        out = std::move(result_);
        return true;
    }

private:
    // Adds the item offset to a reason already set by a handler, or sets one.
    bool Fail(std::string& error, size_t pos, const char* reason) {
        if (reason != nullptr) error = reason;
        error += " (at byte " + std::to_string(pos) + ")";
        return false;
    }

    bool Main(uint8_t tag, uint32_t value, std::string& error) {
        bool ok = true;
        switch (tag) {
            case kMainInput: ok = AddField(HidReportKind::Input, value, error); break;
            case kMainOutput: ok = AddField(HidReportKind::Output, value, error); break;
            case kMainFeature: ok = AddField(HidReportKind::Feature, value, error); break;
            case kMainCollection: ok = OpenCollection(error); break;
            case kMainEndCollection:
                if (collections_.empty()) {
                    error = "end of collection without a collection";
                    ok = false;
                } else {
                    collections_.pop_back();
                }
                break;
            default: break;  // reserved main tag: ignored
        }
        local_.Clear();  // local items apply to the next main item only
        return ok;
    }

    bool Global(uint8_t tag, uint32_t value, uint8_t size, std::string& error) {
        switch (tag) {
            case kGlobalUsagePage: global_.usagePage = static_cast<uint16_t>(value & 0xFFFF); break;
            case kGlobalLogicalMin: global_.logicalMin = SignExtend(value, size); break;
            case kGlobalLogicalMax: global_.logicalMax = RawBound{value, size}; break;
            case kGlobalPhysicalMin: global_.physicalMin = SignExtend(value, size); break;
            case kGlobalPhysicalMax: global_.physicalMax = RawBound{value, size}; break;
            case kGlobalReportSize: global_.reportSize = value; break;
            case kGlobalReportCount: global_.reportCount = value; break;
            case kGlobalReportId:
                if (value == 0) {
                    error = "report id 0";
                    return false;
                }
                if (value > kMaxReportId) {
                    error = "report id above 255";
                    return false;
                }
                global_.reportId = static_cast<uint8_t>(value);
                result_.usesReportIds = true;
                break;
            case kGlobalPush:
                if (globalStack_.size() >= kMaxGlobalStackDepth) {
                    error = "global item stack too deep";
                    return false;
                }
                globalStack_.push_back(global_);
                break;
            case kGlobalPop:
                if (globalStack_.empty()) {
                    error = "pop on an empty global item stack";
                    return false;
                }
                global_ = globalStack_.back();
                globalStack_.pop_back();
                break;
            default: break;  // unit, unit exponent, reserved: not needed here
        }
        return true;
    }

    void Local(uint8_t tag, uint32_t value, uint8_t size) {
        const LocalUsage usage{value, size == 4};
        switch (tag) {
            case kLocalUsage:
                // Within a delimiter set the usages are aliases of one
                // control; the first one stands for it.
                if (local_.inDelimiter) {
                    if (local_.delimiterUsageTaken) return;
                    local_.delimiterUsageTaken = true;
                }
                if (local_.usages.size() < kMaxFieldUsages) local_.usages.push_back(usage);
                break;
            case kLocalUsageMin: local_.usageMin = usage; break;
            case kLocalUsageMax: local_.usageMax = usage; break;
            case kLocalDelimiter:
                local_.inDelimiter = value == 1;
                local_.delimiterUsageTaken = false;
                break;
            default: break;  // designators and strings are not needed here
        }
    }

    ResolvedUsages ResolveUsages() const {
        ResolvedUsages resolved;
        const uint16_t page = global_.usagePage;
        for (const LocalUsage& usage : local_.usages) resolved.list.push_back(usage.Resolve(page));
        if (local_.usageMin && local_.usageMax) {
            uint32_t lo = local_.usageMin->Resolve(page);
            uint32_t hi = local_.usageMax->Resolve(page);
            // The range lives on the minimum's page; a maximum below the
            // minimum is read as the minimum alone.
            hi = (lo & 0xFFFF0000) | std::max(hi & 0xFFFF, lo & 0xFFFF);
            if (resolved.list.empty()) {
                resolved.isRange = true;
                resolved.rangeMin = lo;
                resolved.rangeMax = hi;
            } else {
                // Single usages and a range on one item: the range follows
                // the single usages in the item's usage order.
                for (uint64_t u = lo; u <= hi && resolved.list.size() < kMaxFieldUsages; ++u) {
                    resolved.list.push_back(static_cast<uint32_t>(u));
                }
            }
        } else if (local_.usageMin || local_.usageMax) {
            // Half a range: the bound given is the only usage.
            const LocalUsage& lone = local_.usageMin ? *local_.usageMin : *local_.usageMax;
            if (resolved.list.size() < kMaxFieldUsages) resolved.list.push_back(lone.Resolve(page));
        }
        return resolved;
    }

    bool OpenCollection(std::string& error) {
        if (collections_.size() >= kMaxCollectionDepth) {
            error = "collections nested too deeply";
            return false;
        }
        const ResolvedUsages usages = ResolveUsages();
        const uint32_t usage = usages.isRange        ? usages.rangeMin
                               : usages.list.empty() ? static_cast<uint32_t>(global_.usagePage) << 16
                                                     : usages.list.front();
        if (collections_.empty()) {
            HidTopLevelCollection top;
            top.index = static_cast<uint32_t>(result_.collections.size() + 1);
            top.usagePage = static_cast<uint16_t>(usage >> 16);
            top.usage = static_cast<uint16_t>(usage & 0xFFFF);
            result_.collections.push_back(std::move(top));
            linkCount_ = 0;
            collections_.push_back(0);
        } else {
            collections_.push_back(++linkCount_);
        }
        return true;
    }

    bool AddField(HidReportKind kind, uint32_t flags, std::string& error) {
        if (collections_.empty()) {
            error = "main item outside any collection";
            return false;
        }
        if (global_.reportSize == 0 && global_.reportCount > 0) {
            error = "report size 0";
            return false;
        }
        const bool isConstant = (flags & kFlagConstant) != 0;
        const uint64_t bits = static_cast<uint64_t>(global_.reportSize) * global_.reportCount;
        uint64_t& reportBits = reportBits_[static_cast<int>(kind)][global_.reportId];
        if (bits > kMaxReportPayloadBits - reportBits) {
            error = "report longer than 8192 bytes";
            return false;
        }
        if (bits > kMaxDescriptorBits - totalBits_) {
            error = "reports too long in total";
            return false;
        }

        HidField field;
        field.kind = kind;
        field.reportId = global_.reportId;
        field.isConstant = isConstant;
        field.isArray = (flags & kFlagVariable) == 0;
        field.isButton = !isConstant && (field.isArray || global_.reportSize == 1);
        field.bitOffset = static_cast<uint32_t>(reportBits);
        field.bitSize = global_.reportSize;
        field.reportCount = global_.reportCount;
        AssignInt32(field.logicalMin, global_.logicalMin);
        AssignInt32(field.logicalMax, global_.logicalMax.Resolve(global_.logicalMin));
        AssignInt32(field.physicalMin, global_.physicalMin);
        AssignInt32(field.physicalMax, global_.physicalMax.Resolve(global_.physicalMin));
        field.linkCollection = collections_.back();

        const ResolvedUsages usages = ResolveUsages();
        if (usages.isRange) {
            field.isRange = true;
            field.usagePage = static_cast<uint16_t>(usages.rangeMin >> 16);
            field.usageMin = usages.rangeMin & 0xFFFF;
            field.usageMax = usages.rangeMax & 0xFFFF;
        } else if (!usages.list.empty()) {
            field.usagePage = static_cast<uint16_t>(usages.list.front() >> 16);
            field.usageMin = 0xFFFF;
            for (uint32_t usage : usages.list) {
                const uint32_t low = usage & 0xFFFF;
                field.usages.push_back(low);
                field.usageMin = std::min(field.usageMin, low);
                field.usageMax = std::max(field.usageMax, low);
            }
        } else {
            field.usagePage = global_.usagePage;
        }

        reportBits += bits;
        totalBits_ += bits;

        HidTopLevelCollection& top = result_.collections.back();
        std::vector<HidReportSize>& reports = top.reports[static_cast<int>(kind)];
        if (!top.HasReportId(kind, global_.reportId)) {
            reports.push_back(HidReportSize{global_.reportId, 0});
        }
        top.fields.push_back(std::move(field));
        return true;
    }

    void FillReportLengths() {
        for (HidTopLevelCollection& top : result_.collections) {
            for (int kind = 0; kind < kHidReportKindCount; ++kind) {
                for (HidReportSize& report : top.reports[kind]) {
                    const uint64_t bits = reportBits_[kind][report.id];
                    report.bytes = static_cast<uint32_t>(1 + (bits + 7) / 8);
                }
            }
        }
    }

    const uint8_t* data_;
    size_t length_;
    HidReportDescriptor result_;
    GlobalState global_;
    std::vector<GlobalState> globalStack_;
    LocalState local_;
    std::vector<uint32_t> collections_;  // link index of each open collection
    uint32_t linkCount_ = 0;
    std::array<std::array<uint64_t, kMaxReportId + 1>, kHidReportKindCount> reportBits_{};
    uint64_t totalBits_ = 0;
};

}  // namespace

uint32_t HidTopLevelCollection::ReportByteLength(HidReportKind kind) const {
    uint32_t longest = 0;
    for (const HidReportSize& report : Reports(kind)) longest = std::max(longest, report.bytes);
    return longest;
}

bool HidTopLevelCollection::HasReportId(HidReportKind kind, uint8_t id) const {
    const std::vector<HidReportSize>& list = Reports(kind);
    return std::any_of(list.begin(), list.end(), [id](const HidReportSize& report) { return report.id == id; });
}

bool ParseReportDescriptor(const uint8_t* data, size_t length, HidReportDescriptor& out, std::string* error) {
    out = HidReportDescriptor{};
    std::string reason;
    if (data == nullptr && length > 0) {
        if (error != nullptr) *error = "no descriptor data";
        return false;
    }
    Parser parser(data, length);
    if (!parser.Run(out, reason)) {
        out = HidReportDescriptor{};
        if (error != nullptr) *error = reason;
        return false;
    }
    return true;
}

uint32_t ExtractReportBits(const uint8_t* payload, size_t length, uint32_t bitOffset, uint32_t bitSize) {
    bitSize = std::min<uint32_t>(bitSize, 32);
    if (bitSize == 0 || payload == nullptr) return 0;
    const uint64_t firstByte = bitOffset / 8;
    const uint32_t shift = bitOffset % 8;
    const uint32_t byteCount = (shift + bitSize + 7) / 8;  // at most 5
    uint64_t acc = 0;
    for (uint32_t i = 0; i < byteCount; ++i) {
        const uint64_t index = firstByte + i;
        if (index >= length) break;
        acc |= static_cast<uint64_t>(payload[index]) << (8 * i);
    }
    acc >>= shift;
    const uint64_t mask = (uint64_t{1} << bitSize) - 1;
    return static_cast<uint32_t>(acc & mask);
}

}  // namespace ivra
