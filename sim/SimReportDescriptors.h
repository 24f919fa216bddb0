// Report descriptors of the simulated devices, written for them here.
//
// The simulated keyboard has two interfaces:
//  - interface 0: a boot keyboard (one collection, unnumbered reports);
//  - interface 1: four top-level collections, numbered reports:
//      1. keyboard, N-key rollover bitmap        (page 0x01, usage 0x06, report id 1)
//      2. system control                          (page 0x01, usage 0x80, report id 2)
//      3. consumer event collection               (page 0x0C, usage 0x01, report id 3):
//         one 16-bit array element whose usages and logical range cover
//         the event codes 0x0401..0x11FF
//      4. vendor command collection               (page 0xFF1C, usage 0x92, report id 4):
//         63-byte input and 63-byte output reports (64 with the id byte)
#pragma once

#include <cstdint>
#include <vector>

namespace ivra::sim {

constexpr uint8_t kKeyboardReportId = 1;
constexpr uint8_t kSystemControlReportId = 2;
constexpr uint8_t kConsumerEventReportId = 3;
constexpr uint8_t kVendorCommandReportId = 4;
constexpr uint16_t kFirstEventCode = 0x0401;
constexpr uint16_t kLastEventCode = 0x11FF;

const std::vector<uint8_t>& KeyboardInterface0Descriptor();
const std::vector<uint8_t>& KeyboardInterface1Descriptor();

}  // namespace ivra::sim
