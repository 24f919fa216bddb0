#include "models/keys/MacroEvent.h"

#include <cmath>
#include <cstdio>

#include "models/keys/KeyTable.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

uint16_t ClampDelay(long long value) {
    if (value < 0) return 0;
    if (value > kMaxMacroDelay) return kMaxMacroDelay;
    return static_cast<uint16_t>(value);
}

}  // namespace

uint16_t ParseDelayText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    bool anyDigit = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        anyDigit = true;
        // Past the largest delay the rest of the digits cannot matter.
        if (value <= kMaxMacroDelay) value = value * 10 + (text[i] - '0');
    }
    if (!anyDigit) return 0;
    return ClampDelay(negative ? -value : value);
}

uint16_t ParseDelay(const Json::Value& delay) {
    if (delay.isString()) return ParseDelayText(delay.asString());
    if (delay.isInt64()) return ClampDelay(delay.asInt64());
    if (delay.isUInt64()) return kMaxMacroDelay;  // beyond every signed 64-bit value
    if (delay.isDouble()) {
        const double value = delay.asDouble();
        if (std::isnan(value) || value <= 0) return 0;
        if (value >= kMaxMacroDelay) return kMaxMacroDelay;
        return static_cast<uint16_t>(value);
    }
    return 0;
}

MacroEvent MacroEventFromJson(const Json::Value& element) {
    MacroEvent event;
    event.type = IntMember(element, "Type").value_or(0);
    event.button = IntMember(element, "Button").value_or(0);
    event.action = StringMember(element, "Action");
    event.delay = ParseDelay(MemberOf(element, "Delay"));
    return event;
}

Json::Value MacroEventToJson(const MacroEvent& event) {
    Json::Value element(Json::objectValue);
    element["Type"] = event.type;
    element["Button"] = event.button;
    element["Action"] = event.action;
    element["Delay"] = std::to_string(event.delay);
    return element;
}

std::array<uint8_t, 4> EventToDeviceEvent(const MacroEvent& event) {
    const unsigned flags = event.IsDown() ? 0x80u : 0x00u;
    return {static_cast<uint8_t>(event.delay & 0xFF), static_cast<uint8_t>(event.delay >> 8),
            static_cast<uint8_t>((flags + static_cast<unsigned>(event.type)) & 0xFFu),
            static_cast<uint8_t>(static_cast<unsigned>(event.button) & 0xFFu)};
}

std::string FormatDeviceEvent(const std::array<uint8_t, 4>& bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

MacroEvent MouseButtonEvent(uint8_t buttonMask, bool down, uint16_t delay) {
    return {macro_event_type::kMouseButton, buttonMask, down ? kActionDown : kActionUp, delay};
}

MacroEvent PointerMoveEvent(int type, bool down, int distance, uint16_t delay) {
    return {type, static_cast<int>(static_cast<unsigned>(distance) & 0xFFu), down ? kActionDown : kActionUp, delay};
}

std::optional<MacroEvent> RecordedKeyEvent(uint8_t scanCode, bool extended, bool down, uint16_t delay) {
    const std::optional<std::size_t> row = FindKeyByScan(scanCode, extended);
    if (!row) return std::nullopt;
    const Assignment& assignment = KeyTable()[*row].assignment;
    const char* action = down ? kActionDown : kActionUp;
    if (IsModifierRow(*row)) return MacroEvent{macro_event_type::kModifier, assignment.byte1, action, delay};
    if (assignment.byte2 == 0) return std::nullopt;
    return MacroEvent{macro_event_type::kKey, assignment.byte2, action, delay};
}

}  // namespace ivra
