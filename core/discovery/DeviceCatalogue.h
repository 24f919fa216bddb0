// The fixed knowledge of which USB interfaces the system serves and how each
// served device is presented: the slot, option, page and update item tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/DeviceSlot.h"

namespace ivra {

struct DeviceOptionRow {
    std::string optionXml;
    std::string tabGroupName;
    std::string powerSwitchName;
    std::string kindName;
    int32_t modelIndex = 0;
    int32_t vendorId = 0;
    int32_t productId = 0;
    int32_t kind = 0;
    int32_t variant = 0;
};

struct DevicePageRow {
    int32_t ledCount = 0;
    int32_t keyCount = 0;
    int32_t batteryPowered = 0;
    int32_t indicatorLed = -1;
    std::string pageXml;
    std::string lightControlName;
};

struct UpdateItemRow {
    int32_t versionFormat = 0;
    int32_t appKeyNumber = 0;
    int32_t currentVersion = 0;
    std::string brand;
    std::string modelCode;
    std::string productName;
    std::string displayName;
    std::string versionLabel;
};

class DeviceCatalogue {
public:
    DeviceCatalogue(std::vector<DeviceSlot> slots, std::vector<DeviceOptionRow> options,
                    std::vector<DevicePageRow> pages, std::vector<UpdateItemRow> updates);

    // The tables as the product ships them.
    static const DeviceCatalogue& Shipped();

    const std::vector<DeviceSlot>& Slots() const { return slots_; }
    const std::vector<DeviceOptionRow>& Options() const { return options_; }
    const std::vector<DevicePageRow>& Pages() const { return pages_; }
    const std::vector<UpdateItemRow>& UpdateItems() const { return updates_; }

    // First option row with these four values, or -1.
    int FindOptionRow(int32_t vendorId, int32_t productId, int32_t kind, int32_t variant) const;
    // First slot row whose kind, role (= the option's variant), vendor and
    // product equal the option row's, or -1.
    int FindSlotForOption(int optionRow) const;
    bool FindSlotRowByCollection(uint16_t vendorId, uint16_t productId, uint16_t collectionNumber,
                                 uint16_t interfaceNumber) const;
    int FindSlotRowByUsage(uint16_t vendorId, uint16_t productId, uint16_t collectionNumber, uint16_t interfaceNumber,
                           uint16_t usagePage, uint16_t usage) const;

    // The option row a slot row's page is built from: for a receiver row with
    // a partner, the partner's vendor and product with the cable kind; -1
    // when none.
    int OptionRowForSlot(int slotRow, int32_t variant = 0) const;

private:
    std::vector<DeviceSlot> slots_;
    std::vector<DeviceOptionRow> options_;
    std::vector<DevicePageRow> pages_;
    std::vector<UpdateItemRow> updates_;
};

}  // namespace ivra
