#include "FakeSysfsTree.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

namespace fs = std::filesystem;

namespace ivra::sim {
namespace {

void WriteFile(const fs::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary);
    out << content;
}

}  // namespace

FakeSysfsTree::FakeSysfsTree() : folder_("ivra-sysfs"), root_(folder_.Path()) {
    fs::create_directories(root_ / "sys" / "class" / "hidraw");
    fs::create_directories(root_ / "dev");
}

FakeSysfsTree::~FakeSysfsTree() = default;

std::string FakeSysfsTree::AddNode(int node, uint16_t vendorId, uint16_t productId, int interfaceNumber,
                                   const std::vector<uint8_t>& descriptor, uint16_t bcdDevice) {
    char instance[32];
    std::snprintf(instance, sizeof instance, "0003:%04X:%04X.%04X", vendorId, productId, nextInstance_++);
    const std::string usbDevice = "1-" + std::to_string(node + 1);
    const fs::path usb = root_ / "sys" / "devices" / "usb1" / usbDevice;
    const fs::path usbInterface = usb / (usbDevice + ":1." + std::to_string(interfaceNumber));
    const fs::path hid = usbInterface / instance;
    fs::create_directories(hid / "hidraw" / ("hidraw" + std::to_string(node)));
    char text[64];
    std::snprintf(text, sizeof text, "%04x\n", bcdDevice);
    WriteFile(usb / "bcdDevice", text);
    std::snprintf(text, sizeof text, "%02x\n", interfaceNumber);
    WriteFile(usbInterface / "bInterfaceNumber", text);
    std::snprintf(text, sizeof text, "HID_ID=0003:%08X:%08X\nHID_NAME=Test\n", vendorId, productId);
    WriteFile(hid / "uevent", text);
    WriteFile(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));

    const fs::path classEntry = root_ / "sys" / "class" / "hidraw" / ("hidraw" + std::to_string(node));
    fs::create_directories(classEntry);
    std::error_code ec;
    fs::remove(classEntry / "device", ec);
    fs::create_directory_symlink(fs::relative(hid, classEntry), classEntry / "device");
    WriteFile(root_ / "dev" / ("hidraw" + std::to_string(node)), "");
    return instance;
}

std::string FakeSysfsTree::ReplaceNode(int node, uint16_t vendorId, uint16_t productId,
                                       const std::vector<uint8_t>& descriptor) {
    RemoveDevice(node);
    return AddNode(node, vendorId, productId, 0, descriptor);
}

void FakeSysfsTree::RemoveDevice(int node) {
    const fs::path link = root_ / "sys" / "class" / "hidraw" / ("hidraw" + std::to_string(node)) / "device";
    std::error_code ec;
    const fs::path target = fs::canonical(link, ec);
    if (!ec) fs::remove_all(target, ec);
}

}  // namespace ivra::sim
