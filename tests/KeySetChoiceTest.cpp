#include "models/keys/KeySetChoice.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <climits>
#include <span>
#include <string>
#include <vector>

#include "models/keys/KeyTable.h"

namespace ivra {
namespace {

constexpr uint8_t kKey = 17;  // the key index the slots carry

AssignmentSlot Slot(Assignment bytes) {
    AssignmentSlot slot;
    slot.keyIndex = kKey;
    slot.SetBytes(bytes);
    return slot;
}

KeySetFields WithFunction(KeyFunctionId id) {
    KeySetFields fields;
    fields.functionId = static_cast<int>(id);
    return fields;
}

const AssignmentSlot kDefaults = Slot({0x20, 0x00, 0x29});  // Esc
const AssignmentSlot kCurrent = Slot({0x20, 0x00, 0x06});   // C, captured before

// The fields the panel reads give the slot it stores: one row per rule of
// the function table, the edge cases of the numbers, and the choices that
// are not made yet (which leave the slot as it was).
TEST(KeySetChoiceTest, FieldsBuildTheAssignmentOfTheirFunction) {
    struct Case {
        const char* what;
        KeySetFields fields;
        Assignment expected;
    };
    std::vector<Case> cases;
    auto add = [&cases](const char* what, KeySetFields fields, Assignment expected) {
        cases.push_back({what, std::move(fields), expected});
    };
    add("default function gives the default", WithFunction(KeyFunctionId::kDefault), kDefaults.Bytes());
    {
        KeySetFields f = WithFunction(KeyFunctionId::kWheel);
        f.wheel = {1, 3, 2, 5};
        add("wheel down, count 3, delay 2, speed 5", f, {0x12, 0x25, 0xFD});
        f.wheel = {0, 200, 2, 5};
        add("wheel up keeps 7 bits of the count", f, {0x12, 0x25, 0x48});
        f.wheel = {kNoItem, 3, 2, 5};
        add("wheel without a direction keeps byte 2", f, {0x12, 0x25, kCurrent.byte2});
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kSwing);
        f.swing = {1, 3, 2, 5};
        add("swing right, count 3, delay 2, speed 5", f, {0x11, 0x25, 0x83});
        f.swing = {0, 3, 18, 21};
        add("delay and speed keep 4 bits", f, {0x11, 0x25, 0x03});
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kFire);
        f.fireInterval = 300;
        f.fireCount = 2;
        add("fire keeps the low bytes", f, {0x14, 0x2C, 0x02});
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kKeyboardKey);
        f.modifierOption = modifier_option::kShift;
        f.keyLabel = "keyboard_key_C";
        add("Shift with the captured key", f, {0x20, 0x02, 0x06});
        f.modifierOption = modifier_option::kWin;
        add("Win is the left GUI bit", f, {0x20, 0x08, 0x06});
        f.modifierOption = modifier_option::kNone;
        add("no modifier", f, {0x20, 0x00, 0x06});
        f.modifierOption = modifier_option::kCtrl;
        f.keyLabel.clear();
        add("an empty key edit is a modifier alone", f, {0x20, 0x01, 0x00});
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kMacro);
        f.macroItem = 2;
        f.macroOverItem = kMacroRepeatCountItem;
        f.macroCount = 5;
        add("macro 2 repeated 5 times", f, {0x71, 0x02, 0x05});
        f.macroOverItem = 3;
        add("macro 2 in repeat mode 3", f, {0x70, 0x02, 0x03});
        f.macroItem = kNoItem;
        add("no macro chosen leaves the slot", f, kCurrent.Bytes());
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kMedia);
        f.mediaItem = 1;
        add("media item 1 is play/pause", f, {0x30, 0xCD, 0x00});
        f.mediaItem = 18;
        add("an item beyond the table leaves the slot", f, kCurrent.Bytes());
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kMouseButton);
        f.mouseButtonItem = 1;
        add("mouse item 1 is the middle button", f, {0x10, 0x04, 0x00});
        f.mouseButtonItem = kNoItem;
        add("no mouse button chosen leaves the slot", f, kCurrent.Bytes());
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kRecoil);
        f.gunItem = 2;
        add("recoil pattern 2", f, {0x72, 0x02, 0x00});
    }
    {
        KeySetFields f = WithFunction(KeyFunctionId::kCombination);
        f.combinationItem = 4;
        add("combination item 4 is Ctrl+C", f, {0x20, 0x01, 0x06});
    }
    add("no function leaves the slot", KeySetFields{}, kCurrent.Bytes());

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AssignmentSlot built = BuildKeyAssignment(c.fields, kCurrent, kDefaults);
        EXPECT_EQ(FormatAssignment(built.Bytes()), FormatAssignment(c.expected));
        EXPECT_EQ(built.keyIndex, kKey);
    }
}

// What the panel shows for an assignment, with the cases where the type
// alone does not decide.
TEST(KeySetChoiceTest, AnAssignmentShowsItsFunctionAndControls) {
    struct Case {
        const char* what;
        Assignment shown;
        Assignment defaults;
        int function;
        int modifier;
        std::string label;
    };
    const int kKeyboard = static_cast<int>(KeyFunctionId::kKeyboardKey);
    const Case cases[] = {
        {"equal to the default: default, whatever its type", {0xA0, 0x01, 0x00}, {0xA0, 0x01, 0x00}, 0, kNoItem, ""},
        {"Fn that is not the default: no function", {0xA0, 0x01, 0x00}, {0x20, 0x00, 0x04}, kNoItem, kNoItem, ""},
        {"none that is not the default: default", {0x00, 0x00, 0x00}, {0x20, 0x00, 0x04}, 0, kNoItem, ""},
        {"plain key", {0x20, 0x00, 0x04}, {0x20, 0x00, 0x05}, kKeyboard, modifier_option::kNone, "keyboard_key_A"},
        {"right Ctrl with C shows the Ctrl option",
         {0x20, 0x10, 0x06},
         {0x20, 0x00, 0x05},
         kKeyboard,
         modifier_option::kCtrl,
         "keyboard_key_C"},
        {"right GUI alone", {0x20, 0x80, 0x00}, {0x20, 0x00, 0x05}, kKeyboard, modifier_option::kWin, ""},
        {"two modifiers: the none option",
         {0x20, 0x03, 0x04},
         {0x20, 0x00, 0x05},
         kKeyboard,
         modifier_option::kNone,
         "keyboard_key_A"},
        {"a mask above 0x80 is a combination", {0x20, 0x81, 0x04}, {0x20, 0x00, 0x05}, 11, kNoItem, ""},
        {"a device function has no function", {0x16, 0x90, 0x01}, {0x20, 0x00, 0x05}, kNoItem, kNoItem, ""},
        {"a macro key has no function", {0xD0, 0xA2, 0x01}, {0x20, 0x00, 0x05}, kNoItem, kNoItem, ""},
        {"0xB0 shows the combination function", {0xB0, 0x01, 0x02}, {0x20, 0x00, 0x05}, 11, kNoItem, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeySetFields fields;
        EXPECT_FALSE(ShowKeyAssignment(Slot(c.shown), Slot(c.defaults), 3, fields));
        EXPECT_EQ(fields.functionId, c.function);
        EXPECT_EQ(fields.modifierOption, c.modifier);
        EXPECT_EQ(fields.keyLabel, c.label);
    }
}

// A key without modifiers that the key table does not name shows nothing
// and becomes the slot being edited; the other functions' fields stay.
TEST(KeySetChoiceTest, AnUnnamedKeyShowsNoOptionAndBecomesCurrent) {
    KeySetFields fields;
    fields.modifierOption = modifier_option::kAlt;
    fields.keyLabel = "keyboard_key_B";
    fields.mediaItem = 7;
    EXPECT_TRUE(ShowKeyAssignment(Slot({0x20, 0x00, 0xE5}), kDefaults, 0, fields));
    EXPECT_EQ(fields.functionId, static_cast<int>(KeyFunctionId::kKeyboardKey));
    EXPECT_EQ(fields.modifierOption, kNoItem);
    EXPECT_EQ(fields.keyLabel, "");
    EXPECT_EQ(fields.mediaItem, 7);
}

// Every assignment the panel can build is shown with the fields that build
// it again, so opening a key and storing it unchanged keeps its assignment.
TEST(KeySetChoiceTest, EveryBuildableAssignmentShowsAsTheFieldsThatBuildIt) {
    std::vector<Assignment> assignments;
    for (std::span<const Assignment> table :
         {MouseButtonOptions(), DpiOptions(), SystemOptions(), MediaOptions(), CombinationOptions()}) {
        assignments.insert(assignments.end(), table.begin(), table.end());
    }
    assignments.push_back(WheelAssignment({MoveDirection::kSecond, 3, 2, 5}));
    assignments.push_back(WheelAssignment({MoveDirection::kFirst, 127, 15, 0}));
    assignments.push_back(WheelAssignment({MoveDirection::kSecond, 128, 0, 15}));
    assignments.push_back(SwingAssignment({MoveDirection::kSecond, 3, 2, 5}));
    assignments.push_back(SwingAssignment({MoveDirection::kFirst, 0, 0, 0}));
    assignments.push_back(FireAssignment(255, 1));
    assignments.push_back(MacroAssignment(2, 0));
    assignments.push_back(MacroAssignment(0, 3));
    assignments.push_back(MacroRepeatedAssignment(2, 5));
    assignments.push_back(RecoilAssignment(3));
    assignments.push_back({0x20, 0x02, 0x04});  // Shift+A
    assignments.push_back({0x20, 0x01, 0x00});  // Ctrl alone
    assignments.push_back({0x20, 0x00, 0x58});  // Num Enter
    for (const Assignment& assignment : assignments) {
        SCOPED_TRACE(FormatAssignment(assignment));
        KeySetFields fields;
        const AssignmentSlot current = Slot(assignment);
        ShowKeyAssignment(current, kDefaults, 3, fields);
        EXPECT_EQ(FormatAssignment(BuildKeyAssignment(fields, current, kDefaults).Bytes()),
                  FormatAssignment(assignment));
    }
}

TEST(KeySetChoiceTest, WheelDownShowsItsCountDelaySpeedAndDirection) {
    KeySetFields fields;
    ShowKeyAssignment(Slot({0x12, 0x25, 0xFD}), kDefaults, 0, fields);
    EXPECT_EQ(fields.functionId, static_cast<int>(KeyFunctionId::kWheel));
    EXPECT_EQ(fields.wheel, (MoveFields{1, 3, 2, 5}));
}

TEST(KeySetChoiceTest, MacrosShowTheirItemModeAndCount) {
    KeySetFields fields;
    ShowKeyAssignment(Slot({0x71, 0x02, 0x05}), kDefaults, 3, fields);
    EXPECT_EQ(fields.functionId, static_cast<int>(KeyFunctionId::kMacro));
    EXPECT_EQ(fields.macroItem, 2);
    EXPECT_EQ(fields.macroOverItem, kMacroRepeatCountItem);
    EXPECT_EQ(fields.macroCount, 5);
    EXPECT_TRUE(fields.macroCountShown);

    ShowKeyAssignment(Slot({0x70, 0x03, 0x01}), kDefaults, 3, fields);
    EXPECT_EQ(fields.macroItem, kNoItem) << "macro 3 is not in a list of three";
    EXPECT_EQ(fields.macroOverItem, 1);
    EXPECT_FALSE(fields.macroCountShown);
}

// Capturing keys: a modifier selects its (left-hand) option and clears the
// label, a key keeps the chosen option; the stored slot is what the fields
// then build.
TEST(KeySetChoiceTest, CapturedKeysGiveTheirAssignment) {
    struct Case {
        const char* what;
        int optionBefore;
        std::vector<int> keys;  // Linux key codes, pressed in order
        int option;
        std::string label;
        Assignment stored;  // what BuildKeyAssignment gives afterwards
    };
    const Case cases[] = {
        {"right Ctrl selects the Ctrl option", kNoItem, {KEY_RIGHTCTRL}, 1, "", {0x20, 0x01, 0x00}},
        {"right GUI selects the Win option", kNoItem, {KEY_RIGHTMETA}, 4, "", {0x20, 0x08, 0x00}},
        {"A after choosing Shift", modifier_option::kShift, {KEY_A}, 2, "keyboard_key_A", {0x20, 0x02, 0x04}},
        {"A with no option selects none", kNoItem, {KEY_A}, 0, "keyboard_key_A", {0x20, 0x00, 0x04}},
        {"Ctrl then C", kNoItem, {KEY_LEFTCTRL, KEY_C}, 1, "keyboard_key_C", {0x20, 0x01, 0x06}},
        {"Num Enter is told from Enter", kNoItem, {KEY_KPENTER}, 0, "keyboard_key_Num Enter", {0x20, 0x00, 0x58}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeySetFields fields = WithFunction(KeyFunctionId::kKeyboardKey);
        fields.modifierOption = c.optionBefore;
        AssignmentSlot current = kCurrent;
        for (int key : c.keys) {
            const std::optional<KeyScanCode> scan = ScanCodeForLinuxKey(key);
            ASSERT_TRUE(scan.has_value());
            const std::optional<AssignmentSlot> captured = CaptureKey(*scan, current, fields);
            ASSERT_TRUE(captured.has_value());
            current = *captured;
        }
        EXPECT_EQ(fields.modifierOption, c.option);
        EXPECT_EQ(fields.keyLabel, c.label);
        EXPECT_EQ(current.keyIndex, kKey);
        EXPECT_EQ(FormatAssignment(BuildKeyAssignment(fields, current, kDefaults).Bytes()), FormatAssignment(c.stored));
    }
}

TEST(KeySetChoiceTest, AKeyOutsideTheTableCapturesNothing) {
    KeySetFields fields = WithFunction(KeyFunctionId::kKeyboardKey);
    fields.modifierOption = modifier_option::kAlt;
    fields.keyLabel = "keyboard_key_B";
    const KeySetFields before = fields;
    EXPECT_FALSE(CaptureKey({0x6A, false}, kCurrent, fields).has_value());
    EXPECT_EQ(fields, before);
}

TEST(KeySetChoiceTest, EditsReadAsDecimalNumbers) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {"  7x", 7},
        {"-3", -3},
        {"+4", 4},
        {"", 0},
        {"abc", 0},
        {"0x10", 0},
        {"1 2", 1},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.value) << '"' << c.text << '"';
}

TEST(KeySetChoiceTest, TheLastPrimaryButtonKeyIsRefused) {
    auto record = [](Assignment current) {
        KeyRecord key;
        key.current.SetBytes(current);
        return key;
    };
    const Assignment left = MouseButtonAssignment(mouse_button::kLeft);
    const Assignment right = MouseButtonAssignment(mouse_button::kRight);
    EXPECT_TRUE(IsLastPrimaryButtonKey({record(right), record(left)}, 1));
    EXPECT_FALSE(IsLastPrimaryButtonKey({record(left), record(left)}, 1));
    EXPECT_FALSE(IsLastPrimaryButtonKey({record(right), record(left)}, 0));
    EXPECT_FALSE(IsLastPrimaryButtonKey({record(left)}, 3));
}

}  // namespace
}  // namespace ivra
