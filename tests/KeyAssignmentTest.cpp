// The three-byte assignment: builders for every function type, the JSON
// integer form, the panel's reading of swing and wheel assignments, and the
// key records that carry assignments.
#include <gtest/gtest.h>

#include <vector>

#include "models/keys/Assignment.h"
#include "models/keys/KeyRecord.h"

namespace ivra {
namespace {

struct EncodingCase {
    const char* what;
    Assignment built;
    Assignment bytes;
    int32_t integer;
};

TEST(KeyAssignmentTest, EveryFunctionTypeEncodesToItsBytesAndInteger) {
    const EncodingCase cases[] = {
        {"none", NoneAssignment(), {0x00, 0x00, 0x00}, 0},
        {"button 1", MouseButtonAssignment(mouse_button::kLeft), {0x10, 0x01, 0x00}, 1048832},
        {"button 5", MouseButtonAssignment(mouse_button::kForward), {0x10, 0x10, 0x00}, 0x101000},
        {"swing second direction", SwingAssignment({MoveDirection::kSecond, 3, 2, 5}), {0x11, 0x25, 0x83}, 0x112583},
        {"swing first direction", SwingAssignment({MoveDirection::kFirst, 3, 2, 5}), {0x11, 0x25, 0x03}, 0x112503},
        {"swing keeps 4 bits of delay and speed",
         SwingAssignment({MoveDirection::kFirst, 1, 0x12, 0x1F}),
         {0x11, 0x2F, 0x01},
         0x112F01},
        {"wheel second direction", WheelAssignment({MoveDirection::kSecond, 3, 2, 5}), {0x12, 0x25, 0xFD}, 0x1225FD},
        {"wheel first direction drops bit 7",
         WheelAssignment({MoveDirection::kFirst, 200, 2, 5}),
         {0x12, 0x25, 0x48},
         0x122548},
        {"DPI cycle", DpiAssignment(3), {0x13, 0x03, 0x00}, 0x130300},
        {"fire keeps low bytes", FireAssignment(300, 258), {0x14, 0x2C, 0x02}, 0x142C02},
        {"Shift+A", KeyboardKeyAssignment(modifier_bit::kLeftShift, 0x04), {0x20, 0x02, 0x04}, 0x200204},
        {"consumer usage low byte first", ConsumerAssignment(0x0183), {0x30, 0x83, 0x01}, 0x308301},
        {"wake", SystemAssignment(0x04), {0x40, 0x04, 0x00}, 0x400400},
        {"macro 2 mode 3", MacroAssignment(2, 3), {0x70, 0x02, 0x03}, 0x700203},
        {"macro 2 five times", MacroRepeatedAssignment(2, 5), {0x71, 0x02, 0x05}, 0x710205},
        {"recoil 2", RecoilAssignment(1), {0x72, 0x01, 0x00}, 0x720100},
        {"game mode", SpecialFunctionAssignment(0x1B), {0xA0, 0x1B, 0x00}, 0xA01B00},
        {"M5", MacroKeyAssignment(5), {0xD0, 0xA2, 0x05}, 0xD0A205},
    };
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.built, c.bytes);
        EXPECT_EQ(AssignmentToInt(c.built), c.integer);
        EXPECT_EQ(IntToAssignment(c.integer), c.bytes);
    }
}

TEST(KeyAssignmentTest, IntegerDecodingTakesBits16To23And8To15And0To7) {
    EXPECT_EQ(IntToAssignment(1048832), (Assignment{0x10, 0x01, 0x00}));
    EXPECT_EQ(IntToAssignment(0x7F100100), (Assignment{0x10, 0x01, 0x00}));
    EXPECT_EQ(IntToAssignment(-1), (Assignment{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(FormatAssignment({0x20, 0x01, 0x1D}), "20 01 1D");
}

TEST(KeyAssignmentTest, SwingAndWheelReadBackAsThePanelEnteredThem) {
    const RepeatedMove moves[] = {
        {MoveDirection::kSecond, 3, 2, 5},
        {MoveDirection::kFirst, 3, 2, 5},
        {MoveDirection::kFirst, 127, 15, 0},
        {MoveDirection::kSecond, 1, 0, 15},
    };
    for (const RepeatedMove& move : moves) {
        SCOPED_TRACE(move.count);
        EXPECT_EQ(ReadSwing(SwingAssignment(move)), move);
        EXPECT_EQ(ReadWheel(WheelAssignment(move)), move);
    }
}

TEST(KeyAssignmentTest, SlotsCarryTheBytesAndRestoringADefaultCopiesTheWholeSlot) {
    AssignmentSlot slot = AssignmentSlot::FromEncoded(7, 0x700203);
    EXPECT_EQ(slot.keyIndex, 7);
    EXPECT_EQ(slot.Bytes(), MacroAssignment(2, 3));
    slot.SetBytes(MouseButtonAssignment(mouse_button::kRight));
    EXPECT_EQ(slot.Encoded(), 0x100200);
    EXPECT_EQ(slot.keyIndex, 7);

    KeyRecord record{slot, AssignmentSlot::FromEncoded(7, 0x100100)};
    record.RestoreDefault();
    EXPECT_EQ(record.current, record.defaults);
}

TEST(KeyAssignmentTest, MacroAssignmentsAreTypes70And71Only) {
    EXPECT_TRUE(IsMacroAssignment(MacroAssignment(0, 0)));
    EXPECT_TRUE(IsMacroAssignment(MacroRepeatedAssignment(4, 9)));
    EXPECT_FALSE(IsMacroAssignment(RecoilAssignment(0)));
    EXPECT_FALSE(IsMacroAssignment(MacroKeyAssignment(1)));
}

}  // namespace
}  // namespace ivra
