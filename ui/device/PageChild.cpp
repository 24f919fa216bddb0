#include "device/PageChild.h"

#include <algorithm>
#include <cctype>

namespace ivra::ui {

namespace {

// "key_12" -> ("key_", 12); false when the name does not end in digits.
bool SplitIndexedName(const std::string& name, std::string& prefix, size_t& number) {
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
    if (digits == name.size() || name.size() - digits > 6) return false;
    prefix = name.substr(0, digits);
    number = std::stoul(name.substr(digits));
    return true;
}

bool EqualsNoCase(const std::string& a, const char* b) {
    const std::string other(b);
    return a.size() == other.size() && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::optional<PositionControl> PositionControlOf(const PageChild& child) {
    if (child.className != "DeviceKeyButton") return std::nullopt;
    std::string prefix;
    size_t number = 0;
    if (!SplitIndexedName(child.name, prefix, number)) return std::nullopt;
    if (EqualsNoCase(prefix, "key_")) return PositionControl{child.handle, PositionRole::kKey, number};
    if (EqualsNoCase(prefix, "light_")) return PositionControl{child.handle, PositionRole::kLight, number};
    return std::nullopt;
}

}  // namespace ivra::ui
