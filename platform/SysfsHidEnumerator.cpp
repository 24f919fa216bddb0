#include "SysfsHidEnumerator.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "hid/HidReportDescriptor.h"

namespace fs = std::filesystem;

namespace ivra {
namespace {

constexpr size_t kMaxDescriptorBytes = 4096;  // HID_MAX_DESCRIPTOR_SIZE

bool ReadSmallFile(const fs::path& file, std::string& out, size_t limit = 4096) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    out.assign(limit + 1, '\0');
    in.read(out.data(), static_cast<std::streamsize>(out.size()));
    const auto got = in.gcount();
    if (got < 0 || static_cast<size_t>(got) > limit) return false;
    out.resize(static_cast<size_t>(got));
    return true;
}

bool ParseHexField(const std::string& text, uint32_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(text.c_str(), &end, 16);
    if (end == text.c_str()) return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

// HID_ID=0003:0000320F:0000506A
bool ParseHidId(const std::string& uevent, HidAttributes& attributes) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) != 0) continue;
        const std::string value = line.substr(7);
        const size_t first = value.find(':');
        const size_t second = value.find(':', first == std::string::npos ? first : first + 1);
        if (first == std::string::npos || second == std::string::npos) return false;
        uint32_t vendor = 0, product = 0;
        if (!ParseHexField(value.substr(first + 1, second - first - 1), vendor) ||
            !ParseHexField(value.substr(second + 1), product)) {
            return false;
        }
        attributes.vendorId = static_cast<uint16_t>(vendor);
        attributes.productId = static_cast<uint16_t>(product);
        return true;
    }
    return false;
}

}  // namespace

SysfsHidEnumerator::SysfsHidEnumerator(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

std::string SysfsHidEnumerator::CurrentInstance(const std::string& nodeName) const {
    // One readlink per node: this runs for every node on every scan pass.
    const std::string link = sysRoot_ + "/class/hidraw/" + nodeName + "/device";
    char target[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) return {};
    std::string_view text(target, static_cast<size_t>(n));
    const size_t slash = text.rfind('/');
    if (slash != std::string_view::npos) text.remove_prefix(slash + 1);
    // A dangling link is a device that is going away.
    if (::access(link.c_str(), F_OK) != 0) return {};
    return std::string(text);
}

bool SysfsHidEnumerator::ReadNode(const std::string& nodeName, SysfsHidNodeInfo& info) const {
    std::error_code ec;
    const fs::path device = fs::canonical(fs::path(sysRoot_) / "class" / "hidraw" / nodeName / "device", ec);
    if (ec) return false;
    info = SysfsHidNodeInfo{};
    info.nodeName = nodeName;
    info.instance = device.filename().string();

    std::string text;
    if (!ReadSmallFile(device / "uevent", text) || !ParseHidId(text, info.attributes)) return false;
    std::string descriptor;
    if (!ReadSmallFile(device / "report_descriptor", descriptor, kMaxDescriptorBytes)) return false;
    info.reportDescriptor.assign(descriptor.begin(), descriptor.end());

    // Off USB (Bluetooth, I2C) there is no interface or release number.
    uint32_t value = 0;
    if (ReadSmallFile(device.parent_path() / "bInterfaceNumber", text) && ParseHexField(text, value)) {
        info.interfaceNumber = static_cast<uint16_t>(value);
    }
    if (ReadSmallFile(device.parent_path().parent_path() / "bcdDevice", text) && ParseHexField(text, value)) {
        info.attributes.versionNumber = static_cast<uint16_t>(value);
    }
    return true;
}

bool SysfsHidEnumerator::Enumerate(std::vector<HidInterfaceEntry>& out) const {
    out.clear();
    const fs::path classDir = fs::path(sysRoot_) / "class" / "hidraw";
    std::error_code ec;
    if (!fs::exists(classDir, ec)) return !ec;  // no hidraw node at all

    std::vector<std::string> names;
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    if (ec) return false;
    // hidraw2 before hidraw10: the order nodes were made in.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });

    std::lock_guard<std::mutex> lock(cacheMutex_);
    for (auto& [key, node] : cache_) node.seen = false;
    for (const std::string& name : names) {
        const std::string instance = CurrentInstance(name);
        if (instance.empty()) continue;  // vanished mid-walk
        const std::string key = name + "#" + instance;
        auto it = cache_.find(key);
        if (it == cache_.end()) {
            // A node that cannot be read or parsed is remembered as serving
            // nothing, rather than re-read on every pass.
            CachedNode node;
            if (!CollectionsOf(name, instance, node.entries)) node.entries.clear();
            it = cache_.emplace(key, std::move(node)).first;
        }
        it->second.seen = true;
        out.insert(out.end(), it->second.entries.begin(), it->second.entries.end());
    }
    std::erase_if(cache_, [](const auto& entry) { return !entry.second.seen; });
    return true;
}

bool SysfsHidEnumerator::CollectionsOf(const std::string& nodeName, const std::string& instance,
                                       std::vector<HidInterfaceEntry>& out) const {
    SysfsHidNodeInfo info;
    if (!ReadNode(nodeName, info) || info.instance != instance) return false;
    HidReportDescriptor descriptor;
    if (!ParseReportDescriptor(info.reportDescriptor.data(), info.reportDescriptor.size(), descriptor)) {
        return false;
    }
    const std::string nodePath = devRoot_ + "/" + nodeName;
    const size_t count = descriptor.collections.size();
    for (size_t i = 0; i < count; ++i) {
        const HidTopLevelCollection& collection = descriptor.collections[i];
        HidInterfaceEntry entry;
        entry.attributes = info.attributes;
        entry.interfaceNumber = info.interfaceNumber;
        entry.collectionNumber = count > 1 ? static_cast<uint16_t>(i + 1) : 0;
        entry.usagePage = collection.usagePage;
        entry.usage = collection.usage;
        entry.path =
            MakeInterfacePath(nodePath, info.attributes, entry.interfaceNumber, entry.collectionNumber, info.instance);
        out.push_back(std::move(entry));
    }
    return true;
}

std::string MakeInterfacePath(const std::string& nodePath, const HidAttributes& attributes, uint16_t interfaceNumber,
                              uint16_t collectionNumber, const std::string& instance) {
    char markers[64];
    if (collectionNumber != 0) {
        std::snprintf(markers, sizeof markers, "vid_%04x&pid_%04x&mi_%02x&col%02x", attributes.vendorId,
                      attributes.productId, interfaceNumber, collectionNumber);
    } else {
        std::snprintf(markers, sizeof markers, "vid_%04x&pid_%04x&mi_%02x", attributes.vendorId, attributes.productId,
                      interfaceNumber);
    }
    return nodePath + "#" + markers + "#" + instance;
}

bool SplitInterfacePath(const std::string& path, std::string& nodePath, std::string& instance) {
    const size_t first = path.find('#');
    const size_t last = path.rfind('#');
    if (first == std::string::npos || last == first) return false;
    nodePath = path.substr(0, first);
    instance = path.substr(last + 1);
    return !nodePath.empty() && !instance.empty();
}

}  // namespace ivra
