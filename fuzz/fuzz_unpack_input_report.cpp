// Splits the input into a report descriptor and an input report, then
// unpacks the report into the data items of every collection. The first byte
// picks where the split falls; the report is copied to a buffer of its exact
// length so that any read past it is caught.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "hid/HidDataItem.h"
#include "hid/HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t rest = size - 1;
    // The report takes up to 255 bytes from the end of the input.
    const size_t reportLength = std::min<size_t>(data[0], rest);
    const size_t descriptorLength = rest - reportLength;
    const uint8_t* descriptorBytes = data + 1;

    ivra::HidReportDescriptor descriptor;
    if (!ivra::ParseReportDescriptor(descriptorBytes, descriptorLength, descriptor)) return 0;

    std::unique_ptr<uint8_t[]> report(new uint8_t[reportLength == 0 ? 1 : reportLength]);
    if (reportLength > 0) std::memcpy(report.get(), descriptorBytes + descriptorLength, reportLength);

    for (const ivra::HidTopLevelCollection& collection : descriptor.collections) {
        std::vector<ivra::HidDataItem> items = ivra::BuildDataItems(collection, ivra::HidReportKind::Input);
        (void)ivra::UnpackInputReport(report.get(), reportLength, items, collection);
        for (const ivra::HidDataItem& item : items) {
            if (item.isButtonData && item.usages.size() != item.maxUsageLength) __builtin_trap();
        }
    }
    return 0;
}
