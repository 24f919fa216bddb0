#include "discovery/DeviceCatalogue.h"

namespace ivra {

DeviceCatalogue::DeviceCatalogue(std::vector<DeviceSlot> slots, std::vector<DeviceOptionRow> options,
                                 std::vector<DevicePageRow> pages, std::vector<UpdateItemRow> updates)
    : slots_(std::move(slots)), options_(std::move(options)), pages_(std::move(pages)), updates_(std::move(updates)) {}

const DeviceCatalogue& DeviceCatalogue::Shipped() {
    static const DeviceCatalogue catalogue = [] {
        // vendor, product, interface, collection, kind, role, connected,
        // usage page, usage, has partner, partner index
        std::vector<DeviceSlot> slots = {
            {0x320F, 0x506A, 1, 4, kind::kKeyboard, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 2, {}},
            {0x320F, 0x506A, 1, 3, kind::kKeyboard, kRoleEvent, 0, 0x000C, 0x0001, 1, 3, {}},
            {0x320F, 0x0000, 1, 4, kind::kKeyboard, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 0, {}},
            {0x320F, 0x0000, 1, 3, kind::kKeyboard, kRoleEvent, 0, 0x000C, 0x0001, 1, 1, {}},
        };
        const std::string optionXml = "XML\\CustomControlXML\\DeviceOption.xml";
        const std::string tabGroup = "tab_header_device";
        const std::string powerSwitch = "device_power_switch";
        std::vector<DeviceOptionRow> options = {
            {optionXml, tabGroup, powerSwitch, "mouse", 1, 0x0000, 0x0000, kind::kMouse, 0},
            {optionXml, tabGroup, powerSwitch, "keyboard", 0, 0x320F, 0x506A, kind::kKeyboard, 0},
            {optionXml, tabGroup, powerSwitch, "keyboard_7210", 4, 0x320F, 0x0000, kind::kKeyboard, 0},
            {optionXml, tabGroup, powerSwitch, "MousePad", 2, 0x0000, 0x0000, kind::kMousePad, 0},
            {optionXml, tabGroup, powerSwitch, "HD", 3, 0x0C76, 0x1630, kind::kHeadset, 0},
        };
        std::vector<DevicePageRow> pages = {
            {6, 7, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "norvo_light"},
            {126, 126, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "norvo_light"},
            {126, 126, 0, -1, "XML\\DeviceXml\\keyboarddevice_7210.xml", "norvo_light"},
            {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "norvo_light"},
            {13, 0, 0, -1, "XML\\DeviceXml\\de6533device.xml", "norvo_light"},
        };
        const std::string app = "Ivra Wireless Manager 1.0";
        std::vector<UpdateItemRow> updates = {
            {1, 1, 0, "NORVO", "TB80R2CX", app, app, ""},
            {1, 1, 0, "NORVO", "TB80R2CX", app, app, ""},
            {1, 1, 0, "NORVO", "TB80R3DX", "QR3", "QR3", ""},
            {2, 1, 0, "NORVO", "TB80R5EX_1", "M40", "M40", ""},
            {0, 1, 0, "NORVO", "ALL", "M40_QR2_QR3", "AP", "Beta 1.0"},
        };
        return DeviceCatalogue(std::move(slots), std::move(options), std::move(pages), std::move(updates));
    }();
    return catalogue;
}

int DeviceCatalogue::FindOptionRow(int32_t vendorId, int32_t productId, int32_t deviceKind, int32_t variant) const {
    for (size_t i = 0; i < options_.size(); ++i) {
        const DeviceOptionRow& row = options_[i];
        if (row.vendorId == vendorId && row.productId == productId && row.kind == deviceKind &&
            row.variant == variant) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DeviceCatalogue::FindSlotForOption(int optionRow) const {
    if (optionRow < 0 || static_cast<size_t>(optionRow) >= options_.size()) return -1;
    const DeviceOptionRow& option = options_[static_cast<size_t>(optionRow)];
    for (size_t i = 0; i < slots_.size(); ++i) {
        const DeviceSlot& slot = slots_[i];
        if (slot.kind == option.kind && slot.role == option.variant && slot.vendorId == option.vendorId &&
            slot.productId == option.productId) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DeviceCatalogue::FindSlotRowByCollection(uint16_t vendorId, uint16_t productId, uint16_t collectionNumber,
                                              uint16_t interfaceNumber) const {
    for (const DeviceSlot& slot : slots_) {
        if (slot.vendorId == vendorId && slot.productId == productId && slot.collectionNumber == collectionNumber &&
            slot.interfaceNumber == interfaceNumber) {
            return true;
        }
    }
    return false;
}

int DeviceCatalogue::FindSlotRowByUsage(uint16_t vendorId, uint16_t productId, uint16_t collectionNumber,
                                        uint16_t interfaceNumber, uint16_t usagePage, uint16_t usage) const {
    for (size_t i = 0; i < slots_.size(); ++i) {
        const DeviceSlot& slot = slots_[i];
        if (slot.vendorId == vendorId && slot.productId == productId && slot.collectionNumber == collectionNumber &&
            slot.interfaceNumber == interfaceNumber && slot.usagePage == usagePage && slot.usage == usage) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int DeviceCatalogue::OptionRowForSlot(int slotRow, int32_t variant) const {
    if (slotRow < 0 || static_cast<size_t>(slotRow) >= slots_.size()) return -1;
    const DeviceSlot* identity = &slots_[static_cast<size_t>(slotRow)];
    if (IsReceiverKind(identity->kind) && identity->hasPartner && identity->partnerIndex < slots_.size()) {
        identity = &slots_[identity->partnerIndex];
    }
    const uint16_t cableKind = CableKindOf(slots_[static_cast<size_t>(slotRow)].kind);
    return FindOptionRow(identity->vendorId, identity->productId, cableKind, variant);
}

}  // namespace ivra
