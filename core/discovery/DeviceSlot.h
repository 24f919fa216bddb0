// The identity of one HID top-level collection the system serves: a row of
// the slot table, an entry of the slot list, and a device object's identity.
#pragma once

#include "transport/TransportParams.h"
#include <cstdint>
#include <string>

#include "base/KindCodes.h"

namespace ivra {

// Collection roles.
constexpr uint16_t kRoleCommand = 0x0000;
constexpr uint16_t kRoleEvent = 0x00FF;

struct DeviceSlot {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t kind = 0;
    uint16_t role = kRoleCommand;
    uint16_t connected = 0;  // runtime: 1 while a present interface is bound
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t hasPartner = 0;
    uint16_t partnerIndex = 0;
    std::string path;  // runtime: the bound interface's path

    bool IsFree() const { return connected == 0 && path.empty(); }
};

// Vendor, product, interface, collection, kind, role, usage page and usage.
bool IdentityMatch(const DeviceSlot& a, const DeviceSlot& b);
// Vendor, product and kind.
bool ShortMatch(const DeviceSlot& a, const DeviceSlot& b);

// The cable kind of a receiver kind (9 -> 1, 6 -> 2); other kinds unchanged.
uint16_t CableKindOf(uint16_t deviceKind);
bool IsReceiverKind(uint16_t deviceKind);

// How a transport talks to a device of this kind.
using KindTransportParams = TransportParams;
KindTransportParams TransportParamsForKind(uint16_t deviceKind);

const char* KindName(uint16_t deviceKind);

}  // namespace ivra
