#include "models/keys/LinuxKeyCodes.h"

#include <linux/input-event-codes.h>

#include <array>

namespace ivra {
namespace {

struct LinuxKeyRow {
    int linuxKey;
    KeyScanCode scan;
};

constexpr KeyScanCode Plain(uint8_t code) {
    return {code, false};
}
constexpr KeyScanCode Extended(uint8_t code) {
    return {code, true};
}

// One row for every key of the key table that has a scan code (rows 0-112).
constexpr auto kRows = std::to_array<LinuxKeyRow>({
    // Modifiers. The right-hand ones carry the extended flag, right Shift
    // included, as the key table has it.
    {KEY_LEFTCTRL, Plain(0x1D)},
    {KEY_LEFTSHIFT, Plain(0x2A)},
    {KEY_LEFTALT, Plain(0x38)},
    {KEY_LEFTMETA, Extended(0x5B)},
    {KEY_RIGHTCTRL, Extended(0x1D)},
    {KEY_RIGHTSHIFT, Extended(0x36)},
    {KEY_RIGHTALT, Extended(0x38)},
    {KEY_RIGHTMETA, Extended(0x5C)},
    // Letters.
    {KEY_A, Plain(0x1E)},
    {KEY_B, Plain(0x30)},
    {KEY_C, Plain(0x2E)},
    {KEY_D, Plain(0x20)},
    {KEY_E, Plain(0x12)},
    {KEY_F, Plain(0x21)},
    {KEY_G, Plain(0x22)},
    {KEY_H, Plain(0x23)},
    {KEY_I, Plain(0x17)},
    {KEY_J, Plain(0x24)},
    {KEY_K, Plain(0x25)},
    {KEY_L, Plain(0x26)},
    {KEY_M, Plain(0x32)},
    {KEY_N, Plain(0x31)},
    {KEY_O, Plain(0x18)},
    {KEY_P, Plain(0x19)},
    {KEY_Q, Plain(0x10)},
    {KEY_R, Plain(0x13)},
    {KEY_S, Plain(0x1F)},
    {KEY_T, Plain(0x14)},
    {KEY_U, Plain(0x16)},
    {KEY_V, Plain(0x2F)},
    {KEY_W, Plain(0x11)},
    {KEY_X, Plain(0x2D)},
    {KEY_Y, Plain(0x15)},
    {KEY_Z, Plain(0x2C)},
    // Digits.
    {KEY_1, Plain(0x02)},
    {KEY_2, Plain(0x03)},
    {KEY_3, Plain(0x04)},
    {KEY_4, Plain(0x05)},
    {KEY_5, Plain(0x06)},
    {KEY_6, Plain(0x07)},
    {KEY_7, Plain(0x08)},
    {KEY_8, Plain(0x09)},
    {KEY_9, Plain(0x0A)},
    {KEY_0, Plain(0x0B)},
    // Main block.
    {KEY_ENTER, Plain(0x1C)},
    {KEY_ESC, Plain(0x01)},
    {KEY_BACKSPACE, Plain(0x0E)},
    {KEY_TAB, Plain(0x0F)},
    {KEY_SPACE, Plain(0x39)},
    {KEY_MINUS, Plain(0x0C)},
    {KEY_EQUAL, Plain(0x0D)},
    {KEY_LEFTBRACE, Plain(0x1A)},
    {KEY_RIGHTBRACE, Plain(0x1B)},
    {KEY_BACKSLASH, Plain(0x2B)},
    {KEY_SEMICOLON, Plain(0x27)},
    {KEY_APOSTROPHE, Plain(0x28)},
    {KEY_GRAVE, Plain(0x29)},
    {KEY_COMMA, Plain(0x33)},
    {KEY_DOT, Plain(0x34)},
    {KEY_SLASH, Plain(0x35)},
    {KEY_CAPSLOCK, Plain(0x3A)},
    // Function keys: F11 and F12 do not follow F10.
    {KEY_F1, Plain(0x3B)},
    {KEY_F2, Plain(0x3C)},
    {KEY_F3, Plain(0x3D)},
    {KEY_F4, Plain(0x3E)},
    {KEY_F5, Plain(0x3F)},
    {KEY_F6, Plain(0x40)},
    {KEY_F7, Plain(0x41)},
    {KEY_F8, Plain(0x42)},
    {KEY_F9, Plain(0x43)},
    {KEY_F10, Plain(0x44)},
    {KEY_F11, Plain(0x57)},
    {KEY_F12, Plain(0x58)},
    // Print Screen shares 0x37 with Num * and is told apart by the flag;
    // Pause and Num Lock share 0x45 the other way round.
    {KEY_SYSRQ, Extended(0x37)},
    {KEY_SCROLLLOCK, Plain(0x46)},
    {KEY_PAUSE, Plain(0x45)},
    // Navigation keys: the keypad's scan codes with the extended flag.
    {KEY_INSERT, Extended(0x52)},
    {KEY_HOME, Extended(0x47)},
    {KEY_PAGEUP, Extended(0x49)},
    {KEY_DELETE, Extended(0x53)},
    {KEY_END, Extended(0x4F)},
    {KEY_PAGEDOWN, Extended(0x51)},
    {KEY_RIGHT, Extended(0x4D)},
    {KEY_LEFT, Extended(0x4B)},
    {KEY_DOWN, Extended(0x50)},
    {KEY_UP, Extended(0x48)},
    // Keypad.
    {KEY_NUMLOCK, Extended(0x45)},
    {KEY_KPSLASH, Extended(0x35)},
    {KEY_KPASTERISK, Plain(0x37)},
    {KEY_KPMINUS, Plain(0x4A)},
    {KEY_KPPLUS, Plain(0x4E)},
    {KEY_KPENTER, Extended(0x1C)},
    {KEY_KP1, Plain(0x4F)},
    {KEY_KP2, Plain(0x50)},
    {KEY_KP3, Plain(0x51)},
    {KEY_KP4, Plain(0x4B)},
    {KEY_KP5, Plain(0x4C)},
    {KEY_KP6, Plain(0x4D)},
    {KEY_KP7, Plain(0x47)},
    {KEY_KP8, Plain(0x48)},
    {KEY_KP9, Plain(0x49)},
    {KEY_KP0, Plain(0x52)},
    {KEY_KPDOT, Plain(0x53)},
    {KEY_COMPOSE, Extended(0x5D)},  // the menu (application) key
    // International keys.
    {KEY_102ND, Plain(0x56)},             // the extra key left of Z (HID 0x64)
    {KEY_RO, Plain(0x73)},                // HID 0x87
    {KEY_YEN, Plain(0x7D)},               // HID 0x89
    {KEY_KPCOMMA, Plain(0x7E)},           // HID 0x85
    {KEY_MUHENKAN, Plain(0x7B)},          // HID 0x8B
    {KEY_HENKAN, Plain(0x79)},            // HID 0x8A
    {KEY_KATAKANAHIRAGANA, Plain(0x70)},  // HID 0x88
    {KEY_HANJA, Plain(0x71)},             // HID 0x91
    {KEY_HANGEUL, Plain(0x72)},           // HID 0x90
});

}  // namespace

std::optional<KeyScanCode> ScanCodeForLinuxKey(int linuxKeyCode) {
    for (const LinuxKeyRow& row : kRows) {
        if (row.linuxKey == linuxKeyCode) return row.scan;
    }
    return std::nullopt;
}

std::optional<int> LinuxKeyForScanCode(KeyScanCode scanCode) {
    for (const LinuxKeyRow& row : kRows) {
        if (row.scan == scanCode) return row.linuxKey;
    }
    return std::nullopt;
}

std::optional<int> LinuxKeyFromXKeycode(uint32_t xKeycode) {
    constexpr uint32_t kXKeycodeOffset = 8;
    if (xKeycode < kXKeycodeOffset || xKeycode > 0xFFFF) return std::nullopt;
    return static_cast<int>(xKeycode - kXKeycodeOffset);
}

}  // namespace ivra
