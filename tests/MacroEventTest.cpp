// Macro events: reading them from file elements, their delays, their 4-byte
// device form and the events recording makes from keys.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "models/keys/MacroEvent.h"
#include "base/JsonHelpers.h"

namespace ivra {
namespace {

struct DeviceFormCase {
    const char* element;
    const char* device;
};

TEST(MacroEventTest, ElementsBecomeTheirDeviceForm) {
    const DeviceFormCase cases[] = {
        {R"({"Type": 10, "Button": 4, "Action": "down", "Delay": "300"})", "2C 01 8A 04"},
        {R"({"Type": 10, "Button": 4, "Action": "up", "Delay": "300"})", "2C 01 0A 04"},
        // Only exactly "down" is a press.
        {R"({"Type": 10, "Button": 4, "Action": "Down", "Delay": "300"})", "2C 01 0A 04"},
        {R"({"Type": 10, "Button": 4, "Action": "down ", "Delay": "0"})", "00 00 0A 04"},
        {R"({"Type": 10, "Button": 4, "Action": "DOWN", "Delay": "0"})", "00 00 0A 04"},
        {R"({"Type": 10, "Button": 4, "Delay": "0"})", "00 00 0A 04"},
        {R"({"Type": 1, "Button": 16, "Action": "down", "Delay": "65535"})", "FF FF 81 10"},
        {R"({"Type": 9, "Button": 2, "Action": "down", "Delay": "70000"})", "FF FF 89 02"},  // clamped, not wrapped
        {R"({"Type": 4, "Button": 300, "Action": "down", "Delay": "5"})", "05 00 84 2C"},
        {R"({"Type": 5, "Button": 7, "Action": "up", "Delay": 40})", "28 00 05 07"},  // recoil files: a number
        {R"({"Type": 200, "Button": -1, "Action": "down", "Delay": "1"})", "01 00 48 FF"},
        {R"({"Type": "10", "Button": [4], "Action": 1, "Delay": {}})", "00 00 00 00"},
    };
    for (const DeviceFormCase& c : cases) {
        SCOPED_TRACE(c.element);
        bool ok = false;
        const Json::Value element = ParseJson(c.element, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(FormatDeviceEvent(EventToDeviceEvent(MacroEventFromJson(element))), c.device);
    }
}

TEST(MacroEventTest, DelayTextsReadTheirLeadingNumberWithinTheDelayRange) {
    const std::pair<const char*, uint16_t> cases[] = {
        {"300", 300},  {"", 0},          {"abc", 0},       {"300ms", 300},   {"  42", 42},
        {"+7", 7},     {"-5", 0},        {"- 5", 0},       {"007", 7},       {"1e3", 1},
        {"0x10", 0},   {"65535", 65535}, {"65536", 65535}, {"70000", 65535}, {"99999999999999999999999999", 65535},
        {"12 34", 12},
    };
    for (const auto& [text, delay] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseDelayText(text), delay);
        EXPECT_EQ(ParseDelay(Json::Value(text)), delay);
    }
    EXPECT_EQ(ParseDelay(Json::Value(40)), 40);
    EXPECT_EQ(ParseDelay(Json::Value(-1)), 0);
    EXPECT_EQ(ParseDelay(Json::Value(12.7)), 12);
    EXPECT_EQ(ParseDelay(Json::Value(1e30)), 65535);
    EXPECT_EQ(ParseDelay(Json::Value(std::numeric_limits<double>::quiet_NaN())), 0);
    EXPECT_EQ(ParseDelay(Json::Value(std::numeric_limits<Json::UInt64>::max())), 65535);
    EXPECT_EQ(ParseDelay(Json::Value(true)), 0);
    EXPECT_EQ(ParseDelay(Json::Value()), 0);
}

TEST(MacroEventTest, EventsWriteTheFileFormAndReadBackUnchanged) {
    const MacroEvent event{macro_event_type::kKey, 4, kActionDown, 300};
    const Json::Value element = MacroEventToJson(event);
    EXPECT_EQ(element["Delay"], Json::Value("300"));
    EXPECT_EQ(element["Action"], Json::Value("down"));
    EXPECT_EQ(MacroEventFromJson(element), event);

    EXPECT_EQ(PointerMoveEvent(macro_event_type::kHorizontalMove, true, 300, 10).button, 44);
    EXPECT_EQ(FormatDeviceEvent(EventToDeviceEvent(MouseButtonEvent(0x08, false, 0))), "00 00 01 08");
}

TEST(MacroEventTest, RecordedKeysBecomeModifierOrKeyEvents) {
    EXPECT_EQ(RecordedKeyEvent(0x1D, true, true, 5), (MacroEvent{macro_event_type::kModifier, 0x10, "down", 5}));
    EXPECT_EQ(RecordedKeyEvent(0x2A, false, false, 0), (MacroEvent{macro_event_type::kModifier, 0x02, "up", 0}));
    EXPECT_EQ(RecordedKeyEvent(0x1E, false, true, 0), (MacroEvent{macro_event_type::kKey, 0x04, "down", 0}));
    EXPECT_EQ(RecordedKeyEvent(0x45, false, true, 0)->button, 0x48);  // Pause
    EXPECT_EQ(RecordedKeyEvent(0x45, true, true, 0)->button, 0x53);   // Num Lock
    EXPECT_EQ(RecordedKeyEvent(0x7F, false, true, 0), std::nullopt);
    EXPECT_EQ(RecordedKeyEvent(0x1E, true, true, 0), std::nullopt);
}

}  // namespace
}  // namespace ivra
