// English names back to assignments: what `key name` prints reads back as
// the same assignment, in any case, with modifiers, macros by name, and
// names the family does not offer refused.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "models/keys/AssignmentFromName.h"
#include "models/keys/EnglishKeyNames.h"
#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/KeyTable.h"

namespace ivra {
namespace {

std::string EnglishName(Assignment assignment, const std::vector<std::string>& macros, KeyDeviceFamily family) {
    return AssignmentName(assignment, macros, family).Resolve([](std::string_view key) {
        return std::string(EnglishKeyText(key));
    });
}

TEST(AssignmentFromNameTest, NamesReadInAnyCaseWithModifiersAndMacros) {
    const std::vector<std::string> macros = {"Build", "Reload All"};
    const struct {
        const char* text;
        std::optional<Assignment> expected;
        KeyDeviceFamily family;
    } cases[] = {
        {"A", Assignment{0x20, 0x00, 0x04}, KeyDeviceFamily::kKeyboard},
        {"a", Assignment{0x20, 0x00, 0x04}, KeyDeviceFamily::kKeyboard},
        {"Ctrl+C", Assignment{0x20, 0x01, 0x06}, KeyDeviceFamily::kKeyboard},
        {"left ctrl+c", Assignment{0x20, 0x01, 0x06}, KeyDeviceFamily::kKeyboard},
        {"Ctrl+Shift+Esc", Assignment{0x20, 0x03, 0x29}, KeyDeviceFamily::kKeyboard},
        {"Ctrl+Shift", Assignment{0x20, 0x03, 0x00}, KeyDeviceFamily::kKeyboard},
        {"Ctrl+Num +", Assignment{0x20, 0x01, 0x57}, KeyDeviceFamily::kKeyboard},
        {"Volume Up", Assignment{0x30, 0xE9, 0x00}, KeyDeviceFamily::kKeyboard},
        {"LEFT BUTTON", Assignment{0x10, 0x01, 0x00}, KeyDeviceFamily::kKeyboard},
        {"Sleep", Assignment{0x40, 0x02, 0x00}, KeyDeviceFamily::kKeyboard},
        {"macro:reload all", Assignment{0x70, 0x01, 0x00}, KeyDeviceFamily::kKeyboard},
        {"  Space ", Assignment{0x20, 0x00, 0x2C}, KeyDeviceFamily::kKeyboard},
        {"DPI Up", Assignment{0x13, 0x01, 0x00}, KeyDeviceFamily::kMouse},
        {"DPI Up", std::nullopt, KeyDeviceFamily::kKeyboard},  // no DPI on a keyboard
        {"macro:missing", std::nullopt, KeyDeviceFamily::kKeyboard},
        {"Ctrl+Volume Up", std::nullopt, KeyDeviceFamily::kKeyboard},  // a modifier goes with keys only
        {"C+Ctrl", std::nullopt, KeyDeviceFamily::kKeyboard},
        {"Hyper", std::nullopt, KeyDeviceFamily::kKeyboard},
        {"", std::nullopt, KeyDeviceFamily::kKeyboard},
        {"+", std::nullopt, KeyDeviceFamily::kKeyboard},
    };
    for (const auto& c : cases) {
        const std::optional<Assignment> got = AssignmentFromName(c.text, macros, c.family);
        EXPECT_EQ(got, c.expected) << '"' << c.text << '"';
    }
}

TEST(AssignmentFromNameTest, EveryOfferedAssignmentReadsBackFromItsPrintedName) {
    std::vector<Assignment> offered;
    for (const KeyTableRow& row : KeyTable()) {
        if (row.assignment.type == assignment_type::kKeyboardKey) offered.push_back(row.assignment);
    }
    for (const std::span<const Assignment> options :
         {MouseButtonOptions(), MediaOptions(), SystemOptions(), CombinationOptions()}) {
        offered.insert(offered.end(), options.begin(), options.end());
    }
    for (const Assignment& assignment : offered) {
        const std::string name = EnglishName(assignment, {}, KeyDeviceFamily::kKeyboard);
        if (name.empty()) continue;
        const std::optional<Assignment> back = AssignmentFromName(name, {}, KeyDeviceFamily::kKeyboard);
        ASSERT_TRUE(back.has_value()) << name;
        // Two assignments may share a name (a key row and a media item):
        // the one read back prints the same name.
        EXPECT_EQ(EnglishName(*back, {}, KeyDeviceFamily::kKeyboard), name);
    }
}

}  // namespace
}  // namespace ivra
