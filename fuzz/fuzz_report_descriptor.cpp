// Feeds arbitrary bytes to the report-descriptor parser and walks whatever it
// accepts: every collection's lengths, caps and data items.
#include <cstddef>
#include <cstdint>
#include <string>

#include "hid/HidDataItem.h"
#include "hid/HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ivra::HidReportDescriptor descriptor;
    std::string error;
    if (!ivra::ParseReportDescriptor(data, size, descriptor, &error)) {
        if (error.empty() || !descriptor.collections.empty()) __builtin_trap();
        return 0;
    }
    if (descriptor.collections.empty()) __builtin_trap();
    for (const ivra::HidTopLevelCollection& collection : descriptor.collections) {
        for (int k = 0; k < ivra::kHidReportKindCount; ++k) {
            const auto kind = static_cast<ivra::HidReportKind>(k);
            const uint32_t longest = collection.ReportByteLength(kind);
            if (longest > 8192) __builtin_trap();
            for (const ivra::HidReportSize& report : collection.Reports(kind)) {
                if (report.bytes == 0 || report.bytes > longest) __builtin_trap();
                if (!collection.HasReportId(kind, report.id)) __builtin_trap();
            }
            (void)ivra::CountCaps(collection, kind);
            (void)ivra::BuildDataItems(collection, kind);
        }
    }
    return 0;
}
