#include "models/keys/KeyFunctionOptions.h"

#include <array>

namespace ivra {
namespace {

constexpr std::array<Assignment, 5> kMouseButtons = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
}};

constexpr std::array<Assignment, 3> kDpi = {{{0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00}}};

constexpr std::array<Assignment, 3> kSystem = {{{0x40, 0x01, 0x00}, {0x40, 0x02, 0x00}, {0x40, 0x04, 0x00}}};

// Consumer usages of the HID Usage Tables, low byte first.
constexpr std::array<Assignment, 18> kMedia = {{
    {0x30, 0x83, 0x01},  // consumer control configuration (media player)
    {0x30, 0xCD, 0x00},  // play/pause
    {0x30, 0xB7, 0x00},  // stop
    {0x30, 0xB6, 0x00},  // previous track
    {0x30, 0xB5, 0x00},  // next track
    {0x30, 0xEA, 0x00},  // volume down
    {0x30, 0xE9, 0x00},  // volume up
    {0x30, 0xE2, 0x00},  // mute
    {0x30, 0x23, 0x02},  // browser home
    {0x30, 0x27, 0x02},  // browser refresh
    {0x30, 0x26, 0x02},  // browser stop
    {0x30, 0x24, 0x02},  // browser back
    {0x30, 0x25, 0x02},  // browser forward
    {0x30, 0x2A, 0x02},  // browser favourites
    {0x30, 0x21, 0x02},  // search
    {0x30, 0x94, 0x01},  // local machine browser (computer)
    {0x30, 0x92, 0x01},  // calculator
    {0x30, 0x8A, 0x01},  // mail
}};

constexpr std::array<Assignment, 11> kCombinations = {{
    {0x20, 0x01, 0x12},  // Ctrl+O
    {0x20, 0x01, 0x11},  // Ctrl+N
    {0x20, 0x01, 0x1D},  // Ctrl+Z
    {0x20, 0x01, 0x16},  // Ctrl+S
    {0x20, 0x01, 0x06},  // Ctrl+C
    {0x20, 0x01, 0x1B},  // Ctrl+X
    {0x20, 0x01, 0x19},  // Ctrl+V
    {0x20, 0x01, 0x09},  // Ctrl+F
    {0x20, 0x01, 0x04},  // Ctrl+A
    {0x20, 0x01, 0x2D},  // Ctrl+minus
    {0x20, 0x01, 0x2E},  // Ctrl+equals
}};

}  // namespace

std::span<const Assignment> MouseButtonOptions() {
    return kMouseButtons;
}

std::span<const Assignment> DpiOptions() {
    return kDpi;
}

std::span<const Assignment> SystemOptions() {
    return kSystem;
}

std::span<const Assignment> MediaOptions() {
    return kMedia;
}

std::span<const Assignment> CombinationOptions() {
    return kCombinations;
}

std::optional<std::size_t> FindOptionItem(std::span<const Assignment> options, Assignment assignment) {
    for (std::size_t item = 0; item < options.size(); ++item) {
        if (options[item] == assignment) return item;
    }
    return std::nullopt;
}

}  // namespace ivra
