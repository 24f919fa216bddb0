// A fake /sys and /dev under a temporary folder, for enumeration tests and
// benchmarks: hidraw class entries link to HID devices below USB interfaces,
// as the kernel lays them out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TemporaryFolder.h"

namespace ivra::sim {

class FakeSysfsTree {
public:
    FakeSysfsTree();
    ~FakeSysfsTree();
    FakeSysfsTree(const FakeSysfsTree&) = delete;
    FakeSysfsTree& operator=(const FakeSysfsTree&) = delete;

    // Adds hidraw<node> for a HID device on USB interface `interfaceNumber`;
    // returns the attach instance ("0003:VVVV:PPPP.NNNN").
    std::string AddNode(int node, uint16_t vendorId, uint16_t productId, int interfaceNumber,
                        const std::vector<uint8_t>& descriptor, uint16_t bcdDevice = 0x0102);
    // Points an existing hidraw<node> at a new HID device (node number reuse).
    std::string ReplaceNode(int node, uint16_t vendorId, uint16_t productId, const std::vector<uint8_t>& descriptor);
    // Removes the HID device behind hidraw<node> but leaves the class link
    // dangling, as a device unplugged in the middle of a walk does.
    void RemoveDevice(int node);

    std::string sysRoot() const { return (root_ / "sys").string(); }
    std::string devRoot() const { return (root_ / "dev").string(); }

private:
    TemporaryFolder folder_;
    std::filesystem::path root_;
    int nextInstance_ = 1;
};

}  // namespace ivra::sim
