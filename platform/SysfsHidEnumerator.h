// Lists the top-level collections of every hidraw node by walking sysfs.
//
//  <sys>/class/hidraw/hidrawN/device            the HID device (name = attach instance,
//                                               e.g. 0003:320F:506A.000B)
//  <sys>/class/hidraw/hidrawN/device/uevent     HID_ID=bus:vendor:product
//  <sys>/class/hidraw/hidrawN/device/report_descriptor
//  <device>/../bInterfaceNumber                 the USB interface (absent off USB)
//  <device>/../../bcdDevice                     the USB device's release number
//
// The roots are parameters so tests can walk a fake tree.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "hid/HidBackend.h"

namespace ivra {

struct SysfsHidNodeInfo {
    std::string nodeName;  // "hidraw5"
    std::string instance;  // "0003:320F:506A.000B"
    HidAttributes attributes;
    uint16_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

class SysfsHidEnumerator {
public:
    SysfsHidEnumerator(std::string sysRoot, std::string devRoot);

    // One entry per top-level collection of every readable node. Nodes that
    // vanish or cannot be parsed mid-walk are skipped. False only when the
    // hidraw class folder exists but cannot be listed.
    bool Enumerate(std::vector<HidInterfaceEntry>& out) const;

    // What sysfs says of one node; false when it is gone.
    bool ReadNode(const std::string& nodeName, SysfsHidNodeInfo& info) const;

    // The node's current attach instance, empty when the node is gone.
    std::string CurrentInstance(const std::string& nodeName) const;

    const std::string& devRoot() const { return devRoot_; }

private:
    // The collections of one attach instance. A node's instance changes
    // whenever a device comes or goes, so what was read of an instance stays
    // true while the instance exists: the scan, which enumerates every
    // 100 ms, reads and parses each device once instead of on every pass.
    struct CachedNode {
        std::vector<HidInterfaceEntry> entries;
        bool seen = false;  // during the current pass
    };
    bool CollectionsOf(const std::string& nodeName, const std::string& instance,
                       std::vector<HidInterfaceEntry>& out) const;

    std::string sysRoot_;
    std::string devRoot_;
    mutable std::mutex cacheMutex_;
    mutable std::map<std::string, CachedNode> cache_;  // by node name + instance
};

// The path text of one collection of a node.
std::string MakeInterfacePath(const std::string& nodePath, const HidAttributes& attributes, uint16_t interfaceNumber,
                              uint16_t collectionNumber, const std::string& instance);

// Splits a path text into its node and attach instance.
bool SplitInterfacePath(const std::string& path, std::string& nodePath, std::string& instance);

}  // namespace ivra
