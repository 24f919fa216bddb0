#include "models/keys/Assignment.h"

#include <cstdio>

namespace ivra {
namespace {

uint8_t LowByte(int value) {
    return static_cast<uint8_t>(static_cast<unsigned>(value) & 0xFFu);
}

uint8_t DelayAndSpeed(const RepeatedMove& move) {
    return static_cast<uint8_t>(((static_cast<unsigned>(move.delay) & 0x0Fu) << 4) |
                                (static_cast<unsigned>(move.speed) & 0x0Fu));
}

}  // namespace

std::string FormatAssignment(Assignment assignment) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", assignment.type, assignment.byte1, assignment.byte2);
    return text;
}

Assignment NoneAssignment() {
    return {};
}

Assignment MouseButtonAssignment(uint8_t buttonMask) {
    return {assignment_type::kMouseButton, buttonMask, 0};
}

Assignment SwingAssignment(const RepeatedMove& move) {
    uint8_t count = LowByte(move.count);
    if (move.direction == MoveDirection::kSecond) count |= 0x80;
    return {assignment_type::kMouseSwing, DelayAndSpeed(move), count};
}

Assignment WheelAssignment(const RepeatedMove& move) {
    const uint8_t count = move.direction == MoveDirection::kSecond ? static_cast<uint8_t>(LowByte(-move.count) | 0x80)
                                                                   : static_cast<uint8_t>(LowByte(move.count) & 0x7F);
    return {assignment_type::kMouseWheel, DelayAndSpeed(move), count};
}

Assignment DpiAssignment(uint8_t function) {
    return {assignment_type::kDpi, function, 0};
}

Assignment FireAssignment(int interval, int count) {
    return {assignment_type::kFire, LowByte(interval), LowByte(count)};
}

Assignment KeyboardKeyAssignment(uint8_t modifierMask, uint8_t usage) {
    return {assignment_type::kKeyboardKey, modifierMask, usage};
}

Assignment ConsumerAssignment(uint16_t usage) {
    return {assignment_type::kConsumer, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
}

Assignment SystemAssignment(uint8_t function) {
    return {assignment_type::kSystem, function, 0};
}

Assignment MacroAssignment(uint8_t macroIndex, uint8_t repeatMode) {
    return {assignment_type::kMacro, macroIndex, repeatMode};
}

Assignment MacroRepeatedAssignment(uint8_t macroIndex, int count) {
    return {assignment_type::kMacroRepeated, macroIndex, LowByte(count)};
}

Assignment RecoilAssignment(uint8_t gun) {
    return {assignment_type::kRecoil, gun, 0};
}

Assignment SpecialFunctionAssignment(uint8_t function) {
    return {assignment_type::kSpecialFunction, function, 0};
}

Assignment MacroKeyAssignment(uint8_t number) {
    return {assignment_type::kMacroKey, 0xA2, number};
}

RepeatedMove ReadSwing(Assignment assignment) {
    RepeatedMove move;
    move.delay = assignment.byte1 >> 4;
    move.speed = assignment.byte1 & 0x0F;
    move.count = assignment.byte2 & 0x7F;
    move.direction = (assignment.byte2 & 0x80) != 0 ? MoveDirection::kSecond : MoveDirection::kFirst;
    return move;
}

RepeatedMove ReadWheel(Assignment assignment) {
    RepeatedMove move;
    move.delay = assignment.byte1 >> 4;
    move.speed = assignment.byte1 & 0x0F;
    if ((assignment.byte2 & 0x80) != 0) {
        move.direction = MoveDirection::kSecond;
        move.count = 128 - (assignment.byte2 & 0x7F);
    } else {
        move.count = assignment.byte2;
    }
    return move;
}

}  // namespace ivra
