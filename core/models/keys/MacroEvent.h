// One event of a macro (a key or mouse button pressed or released, or a
// pointer move) followed by a pause, and its 4-byte form in a device's macro
// image.
//
// In a macro file an event is the object
//   { "Type": 10, "Button": 4, "Action": "down", "Delay": "300" }
// with "Delay" as decimal text (the recoil files keep it as a number).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <json/value.h>

namespace ivra {

namespace macro_event_type {
constexpr int kMouseButton = 1;     // "Button": mouse button mask
constexpr int kHorizontalMove = 4;  // "Button": distance; "down" moves left, "up" right
constexpr int kVerticalMove = 5;    // "Button": distance; "down" moves up, "up" down
constexpr int kModifier = 9;        // "Button": modifier mask of the key
constexpr int kKey = 10;            // "Button": HID keyboard usage
}  // namespace macro_event_type

constexpr const char* kActionDown = "down";
constexpr const char* kActionUp = "up";

constexpr std::size_t kMaxMacroEvents = 4000;
constexpr uint16_t kMaxMacroDelay = 65535;

struct MacroEvent {
    int type = 0;
    int button = 0;
    std::string action = kActionUp;  // only exactly "down" is a press on the device
    uint16_t delay = 0;              // milliseconds after this event

    bool IsDown() const { return action == kActionDown; }
    bool operator==(const MacroEvent&) const = default;
};

// The delay a "Delay" value stands for: the leading decimal number of a text
// (white space and a sign allowed before it, anything after it ignored), or a
// JSON number. Negative values give 0; values above 65535 give 65535, as the
// editor shows them, so the device never gets a delay that wrapped around.
uint16_t ParseDelay(const Json::Value& delay);
uint16_t ParseDelayText(std::string_view text);

// Reads one element of an "Events" array; never throws. A "Type" or
// "Button" that is not an integer reads as 0; an "Action" that is not text
// reads as "".
MacroEvent MacroEventFromJson(const Json::Value& element);

// The element as the macro files keep it, "Delay" as decimal text.
Json::Value MacroEventToJson(const MacroEvent& event);

// Bytes 0-1: the delay, low byte first; byte 2: bit 7 set for "down", bits
// 0-6 the type (the low byte of 0x80 or 0 plus "Type"); byte 3: the low byte
// of "Button".
std::array<uint8_t, 4> EventToDeviceEvent(const MacroEvent& event);

// "2C 01 8A 04".
std::string FormatDeviceEvent(const std::array<uint8_t, 4>& bytes);

// Events the editor inserts. A pointer move distance keeps its low byte.
MacroEvent MouseButtonEvent(uint8_t buttonMask, bool down, uint16_t delay);
MacroEvent PointerMoveEvent(int type, bool down, int distance, uint16_t delay);

// A recorded keyboard key as a macro event: a modifier gives a modifier
// event with its mask, another key a key event with its usage. Nothing for a
// key that is not in the key table's rows 0-112.
std::optional<MacroEvent> RecordedKeyEvent(uint8_t scanCode, bool extended, bool down, uint16_t delay);

}  // namespace ivra
