// Linux input event key codes (KEY_*) and the key table's scan codes.
//
// Key capture and macro recording on Linux see Linux key codes (from evdev,
// or from the window system: X11 and Wayland hand Qt the X keycode, which is
// the Linux code + 8). The key table is matched by the scan code and
// extended flag a Windows keyboard hook reports. The two numberings agree for
// many keys but not for all (right-hand modifiers, Num Lock and Pause, Print
// Screen, the navigation keys, the international keys), so this is an
// explicit table, never arithmetic.
#pragma once

#include <cstdint>
#include <optional>

namespace ivra {

struct KeyScanCode {
    uint8_t scanCode = 0;
    bool extended = false;

    bool operator==(const KeyScanCode&) const = default;
};

// The key table's scan code and extended flag for a Linux key code; nothing
// for a key the key table has no scan code for.
std::optional<KeyScanCode> ScanCodeForLinuxKey(int linuxKeyCode);

// The Linux key code of a scan code and extended flag of the key table.
std::optional<int> LinuxKeyForScanCode(KeyScanCode scanCode);

// The Linux key code from an X keycode (what Qt reports as the native scan
// code on X11 and Wayland); nothing below 8.
std::optional<int> LinuxKeyFromXKeycode(uint32_t xKeycode);

}  // namespace ivra
