// The key table and its lookups, the captured-key rule and the key setting
// panel's option tables.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <utility>

#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/KeyTable.h"

namespace ivra {
namespace {

TEST(KeyTableTest, RowsWithScanCodesAreExactlyTheFirst113AndNoTwoShareAScanCode) {
    const auto table = KeyTable();
    std::set<std::pair<int, bool>> seen;
    for (std::size_t row = 0; row < table.size(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(table[row].hasScanCode, row < kScanCodeRowCount);
        if (table[row].hasScanCode) {
            EXPECT_TRUE(seen.insert({table[row].scanCode, table[row].extended}).second);
        }
        if (row >= kModifierRowCount && row < kScanCodeRowCount) {
            EXPECT_EQ(table[row].assignment.type, assignment_type::kKeyboardKey);
            EXPECT_EQ(table[row].assignment.byte1, 0);
            EXPECT_NE(table[row].assignment.byte2, 0);
        }
    }
}

struct CaptureCase {
    const char* key;
    uint8_t scanCode;
    bool extended;
    std::optional<Assignment> assignment;
};

TEST(KeyTableTest, CapturedKeysAreMatchedByScanCodeAndExtendedFlag) {
    const CaptureCase cases[] = {
        {"left Ctrl", 0x1D, false, Assignment{0x20, 0x01, 0x00}},
        {"right Ctrl", 0x1D, true, Assignment{0x20, 0x10, 0x00}},
        {"left Shift", 0x2A, false, Assignment{0x20, 0x02, 0x00}},
        {"right Shift", 0x36, true, Assignment{0x20, 0x20, 0x00}},
        {"left Alt", 0x38, false, Assignment{0x20, 0x04, 0x00}},
        {"right Alt", 0x38, true, Assignment{0x20, 0x40, 0x00}},
        {"left Win", 0x5B, true, Assignment{0x20, 0x08, 0x00}},
        {"right Win", 0x5C, true, Assignment{0x20, 0x80, 0x00}},
        {"Enter", 0x1C, false, Assignment{0x20, 0x00, 0x28}},
        {"Num Enter", 0x1C, true, Assignment{0x20, 0x00, 0x58}},
        {"Pause", 0x45, false, Assignment{0x20, 0x00, 0x48}},
        {"Num Lock", 0x45, true, Assignment{0x20, 0x00, 0x53}},
        {"Num *", 0x37, false, Assignment{0x20, 0x00, 0x55}},
        {"Print Screen", 0x37, true, Assignment{0x20, 0x00, 0x46}},
        {"Num /", 0x35, true, Assignment{0x20, 0x00, 0x54}},
        {"/", 0x35, false, Assignment{0x20, 0x00, 0x38}},
        {"Home", 0x47, true, Assignment{0x20, 0x00, 0x4A}},
        {"Num 7", 0x47, false, Assignment{0x20, 0x00, 0x5F}},
        {"App", 0x5D, true, Assignment{0x20, 0x00, 0x65}},
        {"Han/Yeong", 0x72, false, Assignment{0x20, 0x00, 0x90}},
        {"A", 0x1E, false, Assignment{0x20, 0x00, 0x04}},
        {"A with a flag it never has", 0x1E, true, std::nullopt},
        {"right Shift without the flag", 0x36, false, std::nullopt},
        {"scan code not in the table", 0x7F, false, std::nullopt},
        {"F13 (0x64)", 0x64, false, std::nullopt},
    };
    for (const CaptureCase& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(CapturedKeyAssignment(c.scanCode, c.extended), c.assignment);
    }
}

TEST(KeyTableTest, LookupsSearchTheirOwnRowsAndTakeTheFirstMatch) {
    EXPECT_EQ(FindModifierRow(modifier_bit::kLeftCtrl), 0u);
    EXPECT_EQ(FindModifierRow(modifier_bit::kRightGui), 7u);
    EXPECT_EQ(FindModifierRow(0x03), std::nullopt);  // two modifiers are no row
    EXPECT_EQ(FindModifierRow(0x00), std::nullopt);

    EXPECT_EQ(FindKeyRow(0x04), 8u);
    EXPECT_EQ(FindKeyRow(0x32), 113u);  // the key found only by its assignment
    EXPECT_EQ(FindKeyRow(0x00), std::nullopt);
    EXPECT_EQ(FindKeyRow(0xE0), std::nullopt);  // a modifier usage has no key row

    EXPECT_EQ(FindAssignmentRow({0x20, 0x01, 0x00}), 0u);
    EXPECT_EQ(FindAssignmentRow({0x30, 0x92, 0x01}), 114u);
    EXPECT_EQ(FindAssignmentRow({0xA0, 0x1B, 0x00}), 141u);
    EXPECT_EQ(FindAssignmentRow({0x40, 0x01, 0x00}), 132u);  // not row 0: the type counts
    EXPECT_EQ(FindAssignmentRow({0x20, 0x00, 0xFF}), std::nullopt);

    EXPECT_EQ(FindKeyByScan(0x1D, true), 4u);
    EXPECT_STREQ(KeyTable()[*FindKeyByScan(0x1D, true)].labelKey, "keyboard_key_RCtrl");
}

TEST(KeyTableTest, EveryMediaOptionHasAKeyTableRowAndEveryCombinationIsLeftCtrlWithAKey) {
    ASSERT_EQ(MediaOptions().size(), 18u);
    for (const Assignment& option : MediaOptions()) {
        SCOPED_TRACE(FormatAssignment(option));
        EXPECT_TRUE(FindAssignmentRow(option).has_value());
    }
    ASSERT_EQ(CombinationOptions().size(), 11u);
    for (const Assignment& option : CombinationOptions()) {
        SCOPED_TRACE(FormatAssignment(option));
        EXPECT_EQ(option.byte1, modifier_bit::kLeftCtrl);
        EXPECT_TRUE(FindKeyRow(option.byte2).has_value());
    }
    for (const Assignment& option : SystemOptions()) EXPECT_TRUE(FindAssignmentRow(option).has_value());
    EXPECT_EQ(FindOptionItem(MouseButtonOptions(), MouseButtonAssignment(mouse_button::kRight)), 2u);
    EXPECT_EQ(FindOptionItem(DpiOptions(), DpiAssignment(4)), std::nullopt);
}

}  // namespace
}  // namespace ivra
