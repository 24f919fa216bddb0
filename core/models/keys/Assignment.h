// The three-byte key assignment: what a programmable key of a keyboard or
// mouse does when pressed. Byte 0 is the function type, bytes 1 and 2 its
// parameters. The same three bytes are kept in profiles (as the integer
// type * 65536 + byte 1 * 256 + byte 2), in the device objects' key records
// and in the devices' own key tables.
#pragma once

#include <cstdint>
#include <string>

namespace ivra {

struct Assignment {
    uint8_t type = 0;
    uint8_t byte1 = 0;
    uint8_t byte2 = 0;

    bool operator==(const Assignment&) const = default;
};

// Function types (byte 0).
namespace assignment_type {
constexpr uint8_t kNone = 0x00;
constexpr uint8_t kMouseButton = 0x10;
constexpr uint8_t kMouseSwing = 0x11;
constexpr uint8_t kMouseWheel = 0x12;
constexpr uint8_t kDpi = 0x13;
constexpr uint8_t kFire = 0x14;
constexpr uint8_t kDeviceFunction = 0x16;  // device defined, from the mouse's factory table
constexpr uint8_t kKeyboardKey = 0x20;
constexpr uint8_t kEditCommand = 0x22;  // named only: cut, copy, paste, ...
constexpr uint8_t kShowWindow = 0x23;   // named only
constexpr uint8_t kConsumer = 0x30;
constexpr uint8_t kSystem = 0x40;
constexpr uint8_t kMacro = 0x70;
constexpr uint8_t kMacroRepeated = 0x71;
constexpr uint8_t kRecoil = 0x72;
constexpr uint8_t kSpecialFunction = 0xA0;
constexpr uint8_t kCombination = 0xB0;  // shown under "key combination"; produced by no panel
constexpr uint8_t kMacroKey = 0xD0;
}  // namespace assignment_type

// Mouse button masks (byte 1 of a mouse button assignment, "Button" of a
// mouse button macro event).
namespace mouse_button {
constexpr uint8_t kLeft = 0x01;
constexpr uint8_t kRight = 0x02;
constexpr uint8_t kMiddle = 0x04;
constexpr uint8_t kBack = 0x08;
constexpr uint8_t kForward = 0x10;
}  // namespace mouse_button

// HID keyboard modifier bits (byte 1 of a keyboard key assignment).
namespace modifier_bit {
constexpr uint8_t kLeftCtrl = 0x01;
constexpr uint8_t kLeftShift = 0x02;
constexpr uint8_t kLeftAlt = 0x04;
constexpr uint8_t kLeftGui = 0x08;
constexpr uint8_t kRightCtrl = 0x10;
constexpr uint8_t kRightShift = 0x20;
constexpr uint8_t kRightAlt = 0x40;
constexpr uint8_t kRightGui = 0x80;
}  // namespace modifier_bit

// The JSON integer form: type * 65536 + byte 1 * 256 + byte 2.
constexpr int32_t AssignmentToInt(Assignment assignment) {
    return assignment.type * 65536 + assignment.byte1 * 256 + assignment.byte2;
}

// Bits 16-23, 8-15 and 0-7 of the integer; higher bits are ignored.
constexpr Assignment IntToAssignment(int64_t value) {
    return {static_cast<uint8_t>((value >> 16) & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
            static_cast<uint8_t>(value & 0xFF)};
}

// "20 01 12": the three bytes in upper-case hex.
std::string FormatAssignment(Assignment assignment);

// Which way a swing or wheel assignment goes: the first direction (left,
// wheel up) or the second (right, wheel down).
enum class MoveDirection { kFirst = 0, kSecond = 1 };

// The parameters of a swing or wheel assignment as the key setting panel
// shows them. Delay and speed are 0-15.
struct RepeatedMove {
    MoveDirection direction = MoveDirection::kFirst;
    int count = 0;
    int delay = 0;
    int speed = 0;

    bool operator==(const RepeatedMove&) const = default;
};

// Builders for every function type. Numbers a user enters keep their low
// 8 bits where they go into a byte; delay and speed keep their low 4 bits.
Assignment NoneAssignment();
Assignment MouseButtonAssignment(uint8_t buttonMask);
// 11, (delay & 15) * 16 + (speed & 15), count with bit 7 set for the second direction.
Assignment SwingAssignment(const RepeatedMove& move);
// 12, (delay & 15) * 16 + (speed & 15), count & 0x7F for the first direction,
// the low byte of -count OR 0x80 for the second.
Assignment WheelAssignment(const RepeatedMove& move);
// 1 DPI up, 2 DPI down, 3 DPI cycle.
Assignment DpiAssignment(uint8_t function);
Assignment FireAssignment(int interval, int count);
Assignment KeyboardKeyAssignment(uint8_t modifierMask, uint8_t usage);
Assignment ConsumerAssignment(uint16_t usage);
// 0x01 power, 0x02 sleep, 0x04 wake.
Assignment SystemAssignment(uint8_t function);
// Repeat mode 0-3.
Assignment MacroAssignment(uint8_t macroIndex, uint8_t repeatMode);
Assignment MacroRepeatedAssignment(uint8_t macroIndex, int count);
Assignment RecoilAssignment(uint8_t gun);
// 0x01 Fn, 0x1B game mode.
Assignment SpecialFunctionAssignment(uint8_t function);
// Keyboard macro keys M1-M5.
Assignment MacroKeyAssignment(uint8_t number);

// The panel's reading of a swing (type 0x11) or wheel (type 0x12)
// assignment; the swing count is byte 2 & 0x7F, the wheel count in the
// second direction is 128 - (byte 2 & 0x7F).
RepeatedMove ReadSwing(Assignment assignment);
RepeatedMove ReadWheel(Assignment assignment);

// The consumer usage of a type 0x30 assignment (byte 1 low, byte 2 high).
constexpr uint16_t ConsumerUsage(Assignment assignment) {
    return static_cast<uint16_t>(assignment.byte1 | (assignment.byte2 << 8));
}

// Types 0x70 and 0x71: byte 1 is the position of a macro in the macro list.
constexpr bool IsMacroAssignment(Assignment assignment) {
    return assignment.type == assignment_type::kMacro || assignment.type == assignment_type::kMacroRepeated;
}

}  // namespace ivra
