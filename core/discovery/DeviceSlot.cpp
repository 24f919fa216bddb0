#include "discovery/DeviceSlot.h"

namespace ivra {

bool IdentityMatch(const DeviceSlot& a, const DeviceSlot& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
           a.collectionNumber == b.collectionNumber && a.kind == b.kind && a.role == b.role &&
           a.usagePage == b.usagePage && a.usage == b.usage;
}

bool ShortMatch(const DeviceSlot& a, const DeviceSlot& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.kind == b.kind;
}

uint16_t CableKindOf(uint16_t deviceKind) {
    if (deviceKind == kind::kKeyboardReceiver) return kind::kKeyboard;
    if (deviceKind == kind::kMouseReceiver) return kind::kMouse;
    return deviceKind;
}

bool IsReceiverKind(uint16_t deviceKind) {
    return deviceKind == kind::kKeyboardReceiver || deviceKind == kind::kMouseReceiver;
}

KindTransportParams TransportParamsForKind(uint16_t deviceKind) {
    switch (deviceKind) {
        case kind::kKeyboardReceiver:
        case kind::kMouseReceiver: return {true, 24, 5000};
        case kind::kKeyboard:
        case kind::kMouse: return {false, 56, 1000};
        default: return {false, 24, 1000};
    }
}

const char* KindName(uint16_t deviceKind) {
    switch (deviceKind) {
        case kind::kKeyboard: return "keyboard";
        case kind::kKeyboardReceiver: return "keyboard (receiver)";
        case kind::kMouse: return "mouse";
        case kind::kMouseReceiver: return "mouse (receiver)";
        case kind::kMousePad: return "mouse pad";
        case kind::kHeadset: return "headset";
        case kind::kHeadsetIcon: return "headset icon";
        case kind::kHub: return "hub";
        default: return "unknown";
    }
}

}  // namespace ivra
