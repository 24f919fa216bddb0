// Naming assignments (language keys, macro names, fixed texts, no name) and
// the English texts of every language key a name can use.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "models/keys/AssignmentName.h"
#include "models/keys/EnglishKeyNames.h"
#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/KeyTable.h"

namespace ivra {
namespace {

using Keys = std::vector<std::string>;

struct NameCase {
    Assignment assignment;
    KeyDeviceFamily family;
    AssignmentNameText name;
};

constexpr auto kKeyboard = KeyDeviceFamily::kKeyboard;
constexpr auto kMouse = KeyDeviceFamily::kMouse;

AssignmentNameText Named(Keys keys) {
    return {std::move(keys), {}};
}
AssignmentNameText Literal(std::string text) {
    return {{}, std::move(text)};
}
const AssignmentNameText kNoName{};

TEST(KeyAssignmentNameTest, EveryTypeIsNamedByItsRule) {
    const std::vector<std::string> macros = {"macro_1", "Rapid fire"};
    const NameCase cases[] = {
        {{0x00, 0x00, 0x00}, kKeyboard, Named({"close_text"})},
        {{0x00, 0x00, 0x04}, kKeyboard, Named({"keyboard_key_A"})},  // the row's type is not compared
        {{0x20, 0x00, 0x00}, kKeyboard, Named({"close_text"})},
        {{0x20, 0x01, 0x00}, kKeyboard, Named({"keyboard_key_LCtrl"})},
        {{0x20, 0x10, 0x00}, kKeyboard, Named({"keyboard_key_RCtrl"})},
        {{0x20, 0x00, 0x04}, kKeyboard, Named({"keyboard_key_A"})},
        {{0x20, 0x00, 0x32}, kKeyboard, Named({"keyboard_key_K42"})},
        {{0x20, 0x01, 0x12}, kKeyboard, Named({"keyboard_key_LCtrl", "keyboard_key_O"})},
        {{0x20, 0x03, 0x04}, kKeyboard, Named({"keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_A"})},
        // Several modifiers alone: their labels, never a media or special row
        // that happens to carry the same two bytes.
        {{0x20, 0x1B, 0x00},
         kKeyboard,
         Named({"keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_LWin", "keyboard_key_RCtrl"})},
        {{0x20, 0x92, 0x01}, kKeyboard, Named({"keyboard_key_LShift", "keyboard_key_RCtrl", "keyboard_key_RWin"})},
        {{0x20, 0x00, 0xFF}, kKeyboard, kNoName},  // an unknown usage is no name, not every key
        {{0x20, 0x01, 0xFF}, kKeyboard, Named({"keyboard_key_LCtrl"})},
        {{0x10, 0x01, 0x00}, kMouse, Named({"mouse_key_left"})},
        {{0x10, 0x04, 0x00}, kMouse, Named({"mouse_key_middle"})},
        {{0x10, 0x08, 0x00}, kMouse, Named({"mouse_key_back"})},
        {{0x10, 0x03, 0x00}, kMouse, kNoName},
        {{0x11, 0x25, 0x83}, kMouse, Named({"mouse_key_right_Swing"})},
        {{0x11, 0x25, 0x03}, kMouse, Named({"mouse_key_left_Swing"})},
        {{0x12, 0x25, 0xFD}, kMouse, Named({"mouse_key_down_Swing"})},
        {{0x12, 0x25, 0x03}, kMouse, Named({"mouse_key_up_Swing"})},
        {{0x13, 0x01, 0x00}, kMouse, Named({"mouse_key_DPI_add"})},
        {{0x13, 0x04, 0x00}, kMouse, kNoName},
        {{0x14, 0x2C, 0x02}, kMouse, Named({"mouse_key_fire_key"})},
        {{0x16, 0x90, 0x01}, kMouse, Named({"mouse_key_DPI_shift"})},
        {{0x22, 0x00, 0x00}, kKeyboard, Named({"custem_cut"})},
        {{0x22, 0x00, 0x08}, kKeyboard, Named({"custem_open"})},
        {{0x22, 0x00, 0x09}, kKeyboard, kNoName},
        {{0x22, 0x01, 0x00}, kKeyboard, kNoName},
        {{0x23, 0x00, 0x00}, kKeyboard, Named({"show_window"})},
        {{0x23, 0x00, 0x01}, kKeyboard, kNoName},
        {{0x30, 0x83, 0x01}, kKeyboard, Named({"media_text"})},
        {{0x30, 0x26, 0x02}, kKeyboard, Named({"wed_stop"})},
        {{0x30, 0x8A, 0x01}, kMouse, Named({"media_mail"})},
        {{0x30, 0x00, 0x00}, kKeyboard, kNoName},
        {{0x40, 0x01, 0x00}, kKeyboard, Named({"system_power"})},
        {{0x40, 0x04, 0x00}, kKeyboard, Named({"system_wake_up"})},
        {{0x40, 0x04, 0x01}, kKeyboard, kNoName},
        {{0x70, 0x01, 0x03}, kKeyboard, Literal("Rapid fire")},
        {{0x71, 0x00, 0x05}, kMouse, Literal("macro_1")},
        {{0x70, 0x02, 0x00}, kKeyboard, kNoName},  // no such macro
        {{0x72, 0x01, 0x00}, kMouse, Named({"gun_2_txt"})},
        {{0x72, 0x04, 0x00}, kMouse, kNoName},
        {{0x72, 0x01, 0x00}, kKeyboard, Literal(kFixedOffText)},
        {{0xA0, 0x01, 0x00}, kKeyboard, Named({"keyboard_key_FN"})},
        {{0xA0, 0x1B, 0x00}, kKeyboard, Named({"keyboard_key_GM"})},
        {{0xA0, 0x02, 0x00}, kMouse, Named({"mouse_key_smart_key"})},
        {{0xA0, 0x00, 0x00}, kKeyboard, Named({"close_text"})},
        {{0xA0, 0x05, 0x00}, kKeyboard, kNoName},
        {{0xD0, 0xA2, 0x03}, kKeyboard, Named({"keyboard_key_M3"})},
        {{0xD0, 0xA2, 0x03}, kMouse, Literal(kFixedOffText)},
        {{0x15, 0x00, 0x00}, kKeyboard, kNoName},
        {{0xB0, 0x01, 0x12}, kKeyboard, kNoName},
        {{0xC0, 0x00, 0x00}, kMouse, kNoName},
        {{0x99, 0x00, 0x00}, kKeyboard, Literal(kFixedOffText)},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(FormatAssignment(c.assignment) + (c.family == kMouse ? " mouse" : " keyboard"));
        EXPECT_EQ(AssignmentName(c.assignment, macros, c.family), c.name);
    }
}

TEST(KeyAssignmentNameTest, NamesResolveThroughTheTranslationAndJoinWithPlus) {
    const auto english = [](std::string_view key) { return std::string(EnglishKeyText(key)); };
    EXPECT_EQ(AssignmentName({0x20, 0x01, 0x12}, {}, kKeyboard).Resolve(english), "Left Ctrl+O");
    EXPECT_EQ(AssignmentName({0x70, 0x00, 0x00}, {"Mein Makro"}, kKeyboard).Resolve(english), "Mein Makro");
    EXPECT_EQ(AssignmentName({0x10, 0x01, 0x00}, {}, kMouse).Resolve(nullptr), "mouse_key_left");
}

// Every language key a name can consist of, and every label of the key
// table, has an English text.
TEST(KeyAssignmentNameTest, EveryLanguageKeyOfANameHasAnEnglishText) {
    std::set<std::string> keys;
    for (const KeyTableRow& row : KeyTable()) keys.insert(row.labelKey);
    for (int type = 0; type < 256; ++type) {
        for (int byte1 = 0; byte1 < 256; ++byte1) {
            for (int byte2 : {0, 1, 2, 3, 4, 5, 6, 7, 8, 0x12, 0x80, 0xFD}) {
                const Assignment a{static_cast<uint8_t>(type), static_cast<uint8_t>(byte1),
                                   static_cast<uint8_t>(byte2)};
                for (KeyDeviceFamily family : {kKeyboard, kMouse}) {
                    for (const std::string& key : AssignmentName(a, {}, family).languageKeys) keys.insert(key);
                }
            }
        }
    }
    for (const auto& options :
         {MediaOptions(), CombinationOptions(), MouseButtonOptions(), DpiOptions(), SystemOptions()}) {
        for (const Assignment& option : options) {
            EXPECT_FALSE(AssignmentName(option, {}, kMouse).Empty()) << FormatAssignment(option);
        }
    }
    for (const std::string& key : keys) EXPECT_FALSE(EnglishKeyText(key).empty()) << key;
    EXPECT_EQ(keys.size(), 188u);  // the sweep reached every key the English table has
    EXPECT_EQ(EnglishKeyText("no_such_key"), "");
}

}  // namespace
}  // namespace ivra
