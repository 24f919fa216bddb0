// The catalogue rows of the simulated keyboard for tests that run discovery:
// the keyboard by cable (slots 0, 1) and through its receiver (2, 3), one
// option row and one page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "discovery/DeviceCatalogue.h"
#include "SimKeyboard.h"
#include "SimReceiver.h"

namespace ivra::testing {

using sim::kKeyboardProductId;
using sim::kKeyboardVendorId;
using sim::kReceiverProductId;

constexpr size_t kCableCommandSlot = 0;
constexpr size_t kCableEventSlot = 1;
constexpr size_t kReceiverCommandSlot = 2;
constexpr size_t kReceiverEventSlot = 3;

// The keyboard by cable (slots 0, 1) and through its receiver (2, 3),
// partners of each other, as the shipped tables would list a receiver.
inline DeviceCatalogue KeyboardCatalogue(uint16_t eventUsagePage = 0x000C) {
    std::vector<DeviceSlot> slots = {
        {kKeyboardVendorId, kKeyboardProductId, 1, 4, kind::kKeyboard, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 2, {}},
        {kKeyboardVendorId, kKeyboardProductId, 1, 3, kind::kKeyboard, kRoleEvent, 0, eventUsagePage, 0x0001, 1, 3, {}},
        {kKeyboardVendorId,
         kReceiverProductId,
         1,
         4,
         kind::kKeyboardReceiver,
         kRoleCommand,
         0,
         0xFF1C,
         0x0092,
         1,
         0,
         {}},
        {kKeyboardVendorId, kReceiverProductId, 1, 3, kind::kKeyboardReceiver, kRoleEvent, 0, 0x000C, 0x0001, 1, 1, {}},
    };
    std::vector<DeviceOptionRow> options = {
        {"option.xml", "tabs", "device_power_switch", "keyboard", 0, kKeyboardVendorId, kKeyboardProductId,
         kind::kKeyboard, 0},
    };
    std::vector<DevicePageRow> pages = {{126, 126, 0, -1, "keyboard.xml", "norvo_light"}};
    return DeviceCatalogue(std::move(slots), std::move(options), std::move(pages), {});
}

}  // namespace ivra::testing
