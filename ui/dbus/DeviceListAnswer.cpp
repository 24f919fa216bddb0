#include "dbus/DeviceListAnswer.h"

#include <algorithm>

namespace ivra::dbus {
namespace {

void PutValue(std::vector<uint8_t>& out, size_t index, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (size_t b = 0; b < 4; ++b) out[index * 4 + b] = static_cast<uint8_t>(bits >> (8 * b));
}

}  // namespace

std::vector<uint8_t> BuildDeviceListAnswer(const DeviceCatalogue& catalogue) {
    std::vector<uint8_t> out(kDeviceListAnswerBytes, 0);
    size_t index = 0;
    for (int32_t value : {2, 3, 0, 2, static_cast<int32_t>(kDeviceListRows)}) PutValue(out, index++, value);
    const auto& options = catalogue.Options();
    const size_t rows = std::min(options.size(), kDeviceListRows);
    for (size_t row = 0; row < rows; ++row) {
        PutValue(out, index++, options[row].vendorId);
        PutValue(out, index++, options[row].productId);
        PutValue(out, index++, options[row].kind);
    }
    return out;
}

}  // namespace ivra::dbus
