// Every device kind the program knows, in one table: its kind code, the
// names the command line and the data folders use, its page file, its
// transport parameters, how to build its driver and whether it is complete.
// Discovery's per-code helpers (TransportParamsForKind, KindName) stay below
// the services layer; this table reads them so the two cannot disagree.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "discovery/DeviceSlot.h"
#include "drivers/KestrelUSBDevice.h"

namespace ivra {

struct KindTraits {
    uint16_t kindCode = 0;      // cable kind code (receivers map to it)
    std::string_view name;      // data folder and --kind/--simulate name
    std::string_view alias;     // second accepted name, or empty
    std::string_view pageFile;  // under skin/XML/DeviceXml, or empty
    bool complete = false;      // driver, page, default data and simulator all present
    std::unique_ptr<KestrelUSBDevice> (*makeDriver)(IHidBackend&, IClock&) = nullptr;
    uint16_t receiverCode = 0;              // the kind code through its receiver, or 0 when it has none
    KindTransportParams cableTransport;     // how its cable command channel is opened
    KindTransportParams receiverTransport;  // how its receiver command channel is opened (receiverCode != 0)
};

// All kinds in a fixed order (the order help texts list them).
std::span<const KindTraits> AllKinds();

// The kind named `name` or its alias, without regard to case; nullptr if none.
const KindTraits* FindKindByName(std::string_view name);

// The kind of a kind code (a receiver code finds its cable kind); nullptr if none.
const KindTraits* FindKindByCode(uint16_t kindCode);

// How a command channel of a slot's kind code (cable or receiver) is opened:
// the kind's row, or discovery's defaults for a code no kind claims (hub).
KindTransportParams TransportParamsFor(uint16_t slotKind);

// The kind names in table order for help texts: "a, b, c or d".
std::string KindNamesText();

}  // namespace ivra
