#include "models/keys/KeyTable.h"

#include <array>

namespace ivra {
namespace {

// virtual key, scan code, extended, has scan code, assignment, label key
constexpr std::array<KeyTableRow, kKeyTableRows> kRows = {{
    {0xA2, 0x1D, false, true, {0x20, 0x01, 0x00}, "keyboard_key_LCtrl"},                 // 0
    {0xA0, 0x2A, false, true, {0x20, 0x02, 0x00}, "keyboard_key_LShift"},                // 1
    {0xA4, 0x38, false, true, {0x20, 0x04, 0x00}, "keyboard_key_LAlt"},                  // 2
    {0x5B, 0x5B, true, true, {0x20, 0x08, 0x00}, "keyboard_key_LWin"},                   // 3
    {0xA3, 0x1D, true, true, {0x20, 0x10, 0x00}, "keyboard_key_RCtrl"},                  // 4
    {0xA1, 0x36, true, true, {0x20, 0x20, 0x00}, "keyboard_key_RShift"},                 // 5
    {0xA5, 0x38, true, true, {0x20, 0x40, 0x00}, "keyboard_key_RAlt"},                   // 6
    {0x5C, 0x5C, true, true, {0x20, 0x80, 0x00}, "keyboard_key_RWin"},                   // 7
    {0x41, 0x1E, false, true, {0x20, 0x00, 0x04}, "keyboard_key_A"},                     // 8
    {0x42, 0x30, false, true, {0x20, 0x00, 0x05}, "keyboard_key_B"},                     // 9
    {0x43, 0x2E, false, true, {0x20, 0x00, 0x06}, "keyboard_key_C"},                     // 10
    {0x44, 0x20, false, true, {0x20, 0x00, 0x07}, "keyboard_key_D"},                     // 11
    {0x45, 0x12, false, true, {0x20, 0x00, 0x08}, "keyboard_key_E"},                     // 12
    {0x46, 0x21, false, true, {0x20, 0x00, 0x09}, "keyboard_key_F"},                     // 13
    {0x47, 0x22, false, true, {0x20, 0x00, 0x0A}, "keyboard_key_G"},                     // 14
    {0x48, 0x23, false, true, {0x20, 0x00, 0x0B}, "keyboard_key_H"},                     // 15
    {0x49, 0x17, false, true, {0x20, 0x00, 0x0C}, "keyboard_key_I"},                     // 16
    {0x4A, 0x24, false, true, {0x20, 0x00, 0x0D}, "keyboard_key_J"},                     // 17
    {0x4B, 0x25, false, true, {0x20, 0x00, 0x0E}, "keyboard_key_K"},                     // 18
    {0x4C, 0x26, false, true, {0x20, 0x00, 0x0F}, "keyboard_key_L"},                     // 19
    {0x4D, 0x32, false, true, {0x20, 0x00, 0x10}, "keyboard_key_M"},                     // 20
    {0x4E, 0x31, false, true, {0x20, 0x00, 0x11}, "keyboard_key_N"},                     // 21
    {0x4F, 0x18, false, true, {0x20, 0x00, 0x12}, "keyboard_key_O"},                     // 22
    {0x50, 0x19, false, true, {0x20, 0x00, 0x13}, "keyboard_key_P"},                     // 23
    {0x51, 0x10, false, true, {0x20, 0x00, 0x14}, "keyboard_key_Q"},                     // 24
    {0x52, 0x13, false, true, {0x20, 0x00, 0x15}, "keyboard_key_R"},                     // 25
    {0x53, 0x1F, false, true, {0x20, 0x00, 0x16}, "keyboard_key_S"},                     // 26
    {0x54, 0x14, false, true, {0x20, 0x00, 0x17}, "keyboard_key_T"},                     // 27
    {0x55, 0x16, false, true, {0x20, 0x00, 0x18}, "keyboard_key_U"},                     // 28
    {0x56, 0x2F, false, true, {0x20, 0x00, 0x19}, "keyboard_key_V"},                     // 29
    {0x57, 0x11, false, true, {0x20, 0x00, 0x1A}, "keyboard_key_W"},                     // 30
    {0x58, 0x2D, false, true, {0x20, 0x00, 0x1B}, "keyboard_key_X"},                     // 31
    {0x59, 0x15, false, true, {0x20, 0x00, 0x1C}, "keyboard_key_Y"},                     // 32
    {0x5A, 0x2C, false, true, {0x20, 0x00, 0x1D}, "keyboard_key_Z"},                     // 33
    {0x31, 0x02, false, true, {0x20, 0x00, 0x1E}, "keyboard_key_1"},                     // 34
    {0x32, 0x03, false, true, {0x20, 0x00, 0x1F}, "keyboard_key_2"},                     // 35
    {0x33, 0x04, false, true, {0x20, 0x00, 0x20}, "keyboard_key_3"},                     // 36
    {0x34, 0x05, false, true, {0x20, 0x00, 0x21}, "keyboard_key_4"},                     // 37
    {0x35, 0x06, false, true, {0x20, 0x00, 0x22}, "keyboard_key_5"},                     // 38
    {0x36, 0x07, false, true, {0x20, 0x00, 0x23}, "keyboard_key_6"},                     // 39
    {0x37, 0x08, false, true, {0x20, 0x00, 0x24}, "keyboard_key_7"},                     // 40
    {0x38, 0x09, false, true, {0x20, 0x00, 0x25}, "keyboard_key_8"},                     // 41
    {0x39, 0x0A, false, true, {0x20, 0x00, 0x26}, "keyboard_key_9"},                     // 42
    {0x30, 0x0B, false, true, {0x20, 0x00, 0x27}, "keyboard_key_0"},                     // 43
    {0x0D, 0x1C, false, true, {0x20, 0x00, 0x28}, "keyboard_key_Enter"},                 // 44
    {0x1B, 0x01, false, true, {0x20, 0x00, 0x29}, "keyboard_key_Esc"},                   // 45
    {0x08, 0x0E, false, true, {0x20, 0x00, 0x2A}, "keyboard_key_BackSpace"},             // 46
    {0x09, 0x0F, false, true, {0x20, 0x00, 0x2B}, "keyboard_key_Tab"},                   // 47
    {0x20, 0x39, false, true, {0x20, 0x00, 0x2C}, "keyboard_key_Space"},                 // 48
    {0xBD, 0x0C, false, true, {0x20, 0x00, 0x2D}, "keyboard_key_-"},                     // 49
    {0xBB, 0x0D, false, true, {0x20, 0x00, 0x2E}, "keyboard_key_="},                     // 50
    {0xDB, 0x1A, false, true, {0x20, 0x00, 0x2F}, "keyboard_key_["},                     // 51
    {0xDD, 0x1B, false, true, {0x20, 0x00, 0x30}, "keyboard_key_]"},                     // 52
    {0xDC, 0x2B, false, true, {0x20, 0x00, 0x31}, "keyboard_key_xiegang"},               // 53
    {0xBA, 0x27, false, true, {0x20, 0x00, 0x33}, "keyboard_key_;"},                     // 54
    {0xDE, 0x28, false, true, {0x20, 0x00, 0x34}, "keyboard_key_'"},                     // 55
    {0xC0, 0x29, false, true, {0x20, 0x00, 0x35}, "keyboard_key_`"},                     // 56
    {0xBC, 0x33, false, true, {0x20, 0x00, 0x36}, "keyboard_key_<"},                     // 57
    {0xBE, 0x34, false, true, {0x20, 0x00, 0x37}, "keyboard_key_."},                     // 58
    {0xBF, 0x35, false, true, {0x20, 0x00, 0x38}, "keyboard_key_/"},                     // 59
    {0x14, 0x3A, false, true, {0x20, 0x00, 0x39}, "keyboard_key_Caplk"},                 // 60
    {0x70, 0x3B, false, true, {0x20, 0x00, 0x3A}, "keyboard_key_F1"},                    // 61
    {0x71, 0x3C, false, true, {0x20, 0x00, 0x3B}, "keyboard_key_F2"},                    // 62
    {0x72, 0x3D, false, true, {0x20, 0x00, 0x3C}, "keyboard_key_F3"},                    // 63
    {0x73, 0x3E, false, true, {0x20, 0x00, 0x3D}, "keyboard_key_F4"},                    // 64
    {0x74, 0x3F, false, true, {0x20, 0x00, 0x3E}, "keyboard_key_F5"},                    // 65
    {0x75, 0x40, false, true, {0x20, 0x00, 0x3F}, "keyboard_key_F6"},                    // 66
    {0x76, 0x41, false, true, {0x20, 0x00, 0x40}, "keyboard_key_F7"},                    // 67
    {0x77, 0x42, false, true, {0x20, 0x00, 0x41}, "keyboard_key_F8"},                    // 68
    {0x78, 0x43, false, true, {0x20, 0x00, 0x42}, "keyboard_key_F9"},                    // 69
    {0x79, 0x44, false, true, {0x20, 0x00, 0x43}, "keyboard_key_F10"},                   // 70
    {0x7A, 0x57, false, true, {0x20, 0x00, 0x44}, "keyboard_key_F11"},                   // 71
    {0x7B, 0x58, false, true, {0x20, 0x00, 0x45}, "keyboard_key_F12"},                   // 72
    {0x2C, 0x37, true, true, {0x20, 0x00, 0x46}, "keyboard_key_Print Scr"},              // 73
    {0x91, 0x46, false, true, {0x20, 0x00, 0x47}, "keyboard_key_Scroll Lock"},           // 74
    {0x13, 0x45, false, true, {0x20, 0x00, 0x48}, "keyboard_key_Pause"},                 // 75
    {0x2D, 0x52, true, true, {0x20, 0x00, 0x49}, "keyboard_key_Insert"},                 // 76
    {0x24, 0x47, true, true, {0x20, 0x00, 0x4A}, "keyboard_key_Home"},                   // 77
    {0x21, 0x49, true, true, {0x20, 0x00, 0x4B}, "keyboard_key_Page Up"},                // 78
    {0x2E, 0x53, true, true, {0x20, 0x00, 0x4C}, "keyboard_key_Delete"},                 // 79
    {0x23, 0x4F, true, true, {0x20, 0x00, 0x4D}, "keyboard_key_End"},                    // 80
    {0x22, 0x51, true, true, {0x20, 0x00, 0x4E}, "keyboard_key_Page Down"},              // 81
    {0x27, 0x4D, true, true, {0x20, 0x00, 0x4F}, "keyboard_key_Right"},                  // 82
    {0x25, 0x4B, true, true, {0x20, 0x00, 0x50}, "keyboard_key_Left"},                   // 83
    {0x28, 0x50, true, true, {0x20, 0x00, 0x51}, "keyboard_key_Down"},                   // 84
    {0x26, 0x48, true, true, {0x20, 0x00, 0x52}, "keyboard_key_Up"},                     // 85
    {0x90, 0x45, true, true, {0x20, 0x00, 0x53}, "keyboard_key_Num Lock"},               // 86
    {0x6F, 0x35, true, true, {0x20, 0x00, 0x54}, "keyboard_key_Num /"},                  // 87
    {0x6A, 0x37, false, true, {0x20, 0x00, 0x55}, "keyboard_key_Num *"},                 // 88
    {0x6D, 0x4A, false, true, {0x20, 0x00, 0x56}, "keyboard_key_Num -"},                 // 89
    {0x6B, 0x4E, false, true, {0x20, 0x00, 0x57}, "keyboard_key_Num +"},                 // 90
    {0x101, 0x1C, true, true, {0x20, 0x00, 0x58}, "keyboard_key_Num Enter"},             // 91
    {0x61, 0x4F, false, true, {0x20, 0x00, 0x59}, "keyboard_key_Num 1"},                 // 92
    {0x62, 0x50, false, true, {0x20, 0x00, 0x5A}, "keyboard_key_Num 2"},                 // 93
    {0x63, 0x51, false, true, {0x20, 0x00, 0x5B}, "keyboard_key_Num 3"},                 // 94
    {0x64, 0x4B, false, true, {0x20, 0x00, 0x5C}, "keyboard_key_Num 4"},                 // 95
    {0x65, 0x4C, false, true, {0x20, 0x00, 0x5D}, "keyboard_key_Num 5"},                 // 96
    {0x66, 0x4D, false, true, {0x20, 0x00, 0x5E}, "keyboard_key_Num 6"},                 // 97
    {0x67, 0x47, false, true, {0x20, 0x00, 0x5F}, "keyboard_key_Num 7"},                 // 98
    {0x68, 0x48, false, true, {0x20, 0x00, 0x60}, "keyboard_key_Num 8"},                 // 99
    {0x69, 0x49, false, true, {0x20, 0x00, 0x61}, "keyboard_key_Num 9"},                 // 100
    {0x60, 0x52, false, true, {0x20, 0x00, 0x62}, "keyboard_key_Num 0"},                 // 101
    {0x6E, 0x53, false, true, {0x20, 0x00, 0x63}, "keyboard_key_Decimal"},               // 102
    {0x5D, 0x5D, true, true, {0x20, 0x00, 0x65}, "keyboard_key_App"},                    // 103
    {0xE2, 0x56, false, true, {0x20, 0x00, 0x64}, "keyboard_key_K45"},                   // 104
    {0xC1, 0x73, false, true, {0x20, 0x00, 0x87}, "keyboard_key_K56"},                   // 105
    {0xFF, 0x7D, false, true, {0x20, 0x00, 0x89}, "keyboard_key_K14"},                   // 106
    {0xC2, 0x7E, false, true, {0x20, 0x00, 0x85}, "keyboard_key_K107"},                  // 107
    {0xEB, 0x7B, false, true, {0x20, 0x00, 0x8B}, "keyboard_key_K131"},                  // 108
    {0xFF, 0x79, false, true, {0x20, 0x00, 0x8A}, "keyboard_key_K132"},                  // 109
    {0xFF, 0x70, false, true, {0x20, 0x00, 0x88}, "keyboard_key_K133"},                  // 110
    {0xE9, 0x71, false, true, {0x20, 0x00, 0x91}, "keyboard_key_K150"},                  // 111
    {0xFF, 0x72, false, true, {0x20, 0x00, 0x90}, "keyboard_key_K151"},                  // 112
    {0xBF, 0x00, false, false, {0x20, 0x00, 0x32}, "keyboard_key_K42"},                  // 113
    {0xB7, 0x00, false, false, {0x30, 0x92, 0x01}, "media_calc"},                        // 114
    {0xAC, 0x00, false, false, {0x30, 0x23, 0x02}, "keyboard_key_Browaer Home"},         // 115
    {0xB3, 0x00, false, false, {0x30, 0xCD, 0x00}, "keyboard_key_Media Play Pause"},     // 116
    {0xAA, 0x00, false, false, {0x30, 0x21, 0x02}, "keyboard_key_Browser Search"},       // 117
    {0xB4, 0x00, false, false, {0x30, 0x8A, 0x01}, "keyboard_key_Launch Mail"},          // 118
    {0xAF, 0x00, false, false, {0x30, 0xE9, 0x00}, "media_vol_add"},                     // 119
    {0xAD, 0x00, false, false, {0x30, 0xE2, 0x00}, "media_mute"},                        // 120
    {0xB2, 0x00, false, false, {0x30, 0xB7, 0x00}, "keyboard_key_Media Stop"},           // 121
    {0xAE, 0x00, false, false, {0x30, 0xEA, 0x00}, "media_vol_sub"},                     // 122
    {0xAB, 0x00, false, false, {0x30, 0x2A, 0x02}, "keyboard_key_Browser Favorites"},    // 123
    {0xA7, 0x00, false, false, {0x30, 0x25, 0x02}, "keyboard_key_Browser ForWard"},      // 124
    {0xA6, 0x00, false, false, {0x30, 0x24, 0x02}, "keyboard_key_Browser Back"},         // 125
    {0xB1, 0x00, false, false, {0x30, 0xB6, 0x00}, "keyboard_key_Media Prev Track"},     // 126
    {0xB0, 0x00, false, false, {0x30, 0xB5, 0x00}, "keyboard_key_Media Next Track"},     // 127
    {0xB6, 0x00, false, false, {0x30, 0x94, 0x01}, "keyboard_key_Computer"},             // 128
    {0xA8, 0x00, false, false, {0x30, 0x27, 0x02}, "keyboard_key_Browser Refresh"},      // 129
    {0xA9, 0x00, false, false, {0x30, 0x26, 0x02}, "wed_stop"},                          // 130
    {0xB5, 0x00, false, false, {0x30, 0x83, 0x01}, "keyboard_key_Launch Media Select"},  // 131
    {0x103, 0x00, false, false, {0x40, 0x01, 0x00}, "keyboard_key_Power"},               // 132
    {0x104, 0x00, false, false, {0x40, 0x02, 0x00}, "keyboard_key_Sleep"},               // 133
    {0x105, 0x00, false, false, {0x40, 0x04, 0x00}, "keyboard_key_Wakeup"},              // 134
    {0x00, 0x00, false, false, {0xD0, 0xA2, 0x01}, "keyboard_key_M1"},                   // 135
    {0x00, 0x00, false, false, {0xD0, 0xA2, 0x02}, "keyboard_key_M2"},                   // 136
    {0x00, 0x00, false, false, {0xD0, 0xA2, 0x03}, "keyboard_key_M3"},                   // 137
    {0x00, 0x00, false, false, {0xD0, 0xA2, 0x04}, "keyboard_key_M4"},                   // 138
    {0x00, 0x00, false, false, {0xD0, 0xA2, 0x05}, "keyboard_key_M5"},                   // 139
    {0x00, 0x00, false, false, {0xA0, 0x01, 0x00}, "keyboard_key_FN"},                   // 140
    {0x00, 0x00, false, false, {0xA0, 0x1B, 0x00}, "keyboard_key_GM"},                   // 141
}};

}  // namespace

std::span<const KeyTableRow, kKeyTableRows> KeyTable() {
    return kRows;
}

std::optional<std::size_t> FindKeyByScan(uint8_t scanCode, bool extended) {
    for (std::size_t row = 0; row < kScanCodeRowCount; ++row) {
        if (kRows[row].hasScanCode && kRows[row].scanCode == scanCode && kRows[row].extended == extended) {
            return row;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> FindModifierRow(uint8_t modifierMask) {
    for (std::size_t row = 0; row < kModifierRowCount; ++row) {
        if (kRows[row].assignment.byte1 == modifierMask && kRows[row].assignment.byte2 == 0) return row;
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKeyRow(uint8_t usage) {
    for (std::size_t row = kModifierRowCount; row < kKeyTableRows; ++row) {
        const Assignment& a = kRows[row].assignment;
        if (a.type == assignment_type::kKeyboardKey && a.byte1 == 0 && a.byte2 == usage) return row;
    }
    return std::nullopt;
}

std::optional<std::size_t> FindAssignmentRow(Assignment assignment) {
    for (std::size_t row = 0; row < kKeyTableRows; ++row) {
        if (kRows[row].assignment == assignment) return row;
    }
    return std::nullopt;
}

std::optional<Assignment> CapturedKeyAssignment(uint8_t scanCode, bool extended) {
    const std::optional<std::size_t> row = FindKeyByScan(scanCode, extended);
    if (!row) return std::nullopt;
    const Assignment& a = kRows[*row].assignment;
    if (IsModifierRow(*row)) return KeyboardKeyAssignment(a.byte1, 0);
    return KeyboardKeyAssignment(0, a.byte2);
}

}  // namespace ivra
