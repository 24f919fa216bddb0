#include "hid/HidPathMarkers.h"

#include <cctype>

namespace ivra {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

size_t FindNoCase(std::string_view text, std::string_view needle) {
    if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
    for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
        size_t j = 0;
        while (j < needle.size() && std::tolower(static_cast<unsigned char>(text[i + j])) ==
                                        std::tolower(static_cast<unsigned char>(needle[j]))) {
            ++j;
        }
        if (j == needle.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

uint32_t HexAfterMarker(std::string_view path, std::string_view marker) {
    const size_t at = FindNoCase(path, marker);
    if (at == std::string_view::npos) return 0;
    uint32_t value = 0;
    for (size_t i = at + marker.size(); i < path.size(); ++i) {
        const int digit = HexDigit(path[i]);
        if (digit < 0) break;
        if (value > 0x0FFFFFFFu) break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

PathIdentity ParsePathIdentity(std::string_view path) {
    PathIdentity id;
    id.vendorId = static_cast<uint16_t>(HexAfterMarker(path, "vid_"));
    id.productId = static_cast<uint16_t>(HexAfterMarker(path, "pid_"));
    id.interfaceNumber = static_cast<uint16_t>(HexAfterMarker(path, "&mi_"));
    id.collectionNumber = static_cast<uint16_t>(HexAfterMarker(path, "&col"));
    return id;
}

}  // namespace ivra
