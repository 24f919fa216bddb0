#include "models/keys/AssignmentFromName.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <map>
#include <span>

#include "models/keys/EnglishKeyNames.h"
#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/KeyTable.h"

namespace ivra {
namespace {

std::string Folded(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (char c : text) folded.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    // Spaces around the name do not count.
    const size_t first = folded.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const size_t last = folded.find_last_not_of(' ');
    return folded.substr(first, last - first + 1);
}

std::string EnglishName(Assignment assignment, KeyDeviceFamily family) {
    return AssignmentName(assignment, {}, family).Resolve([](std::string_view key) {
        return std::string(EnglishKeyText(key));
    });
}

// Every single assignment the family's key setting panel offers, by its
// folded English name; the first of two with one name wins (keyboard rows
// before the option lists).
std::map<std::string, Assignment> BuildNamedAssignments(KeyDeviceFamily family) {
    std::map<std::string, Assignment> named;
    auto add = [&](Assignment assignment) {
        const std::string name = Folded(EnglishName(assignment, family));
        if (!name.empty()) named.emplace(name, assignment);
    };
    for (const KeyTableRow& row : KeyTable()) {
        if (row.assignment.type == assignment_type::kKeyboardKey) add(row.assignment);
    }
    for (const std::span<const Assignment> options : {MouseButtonOptions(), MediaOptions(), SystemOptions()}) {
        for (const Assignment& assignment : options) add(assignment);
    }
    if (family == KeyDeviceFamily::kMouse) {
        for (const Assignment& assignment : DpiOptions()) add(assignment);
    }
    return named;
}

// The tables are fixed: each family's index is built once.
const std::map<std::string, Assignment>& NamedAssignments(KeyDeviceFamily family) {
    static const std::map<std::string, Assignment> kKeyboardNames = BuildNamedAssignments(KeyDeviceFamily::kKeyboard);
    static const std::map<std::string, Assignment> kMouseNames = BuildNamedAssignments(KeyDeviceFamily::kMouse);
    return family == KeyDeviceFamily::kMouse ? kMouseNames : kKeyboardNames;
}

// The modifier bit a name stands for; 0 when it is no modifier.
uint8_t ModifierBit(const std::string& folded) {
    static constexpr std::array<std::pair<std::string_view, size_t>, 4> kShortNames = {
        {{"ctrl", 0}, {"shift", 1}, {"alt", 2}, {"win", 3}}};
    for (const auto& [name, row] : kShortNames) {
        if (folded == name) return KeyTable()[row].assignment.byte1;
    }
    for (size_t row = 0; row < kModifierRowCount; ++row) {
        const Assignment& modifier = KeyTable()[row].assignment;
        if (Folded(EnglishName(modifier, KeyDeviceFamily::kKeyboard)) == folded) return modifier.byte1;
    }
    return 0;
}

std::vector<std::string> SplitAtPlus(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t plus = text.find('+'); plus != std::string::npos; plus = text.find('+', start)) {
        parts.push_back(text.substr(start, plus - start));
        start = plus + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string Joined(const std::vector<std::string>& parts, size_t from) {
    std::string text;
    for (size_t i = from; i < parts.size(); ++i) {
        if (i > from) text += '+';
        text += parts[i];
    }
    return text;
}

// Modifiers, then one keyboard key (or none): "Ctrl+C", "Ctrl+Shift",
// "Ctrl+Num +". Every split point is tried, so a key whose name holds a
// "+" is found too.
std::optional<Assignment> Combination(const std::string& folded, const std::map<std::string, Assignment>& named) {
    const std::vector<std::string> parts = SplitAtPlus(folded);
    for (size_t keyPart = parts.size() - 1; keyPart >= 1; --keyPart) {
        uint8_t modifiers = 0;
        bool allModifiers = true;
        for (size_t i = 0; i < keyPart && allModifiers; ++i) {
            const uint8_t bit = ModifierBit(Folded(parts[i]));
            allModifiers = bit != 0;
            modifiers |= bit;
        }
        if (allModifiers) {
            const std::string key = Folded(Joined(parts, keyPart));
            if (const uint8_t bit = ModifierBit(key); bit != 0)
                return Assignment{assignment_type::kKeyboardKey, static_cast<uint8_t>(modifiers | bit), 0};
            const auto found = named.find(key);
            if (found != named.end() && found->second.type == assignment_type::kKeyboardKey &&
                found->second.byte1 == 0) {
                return Assignment{assignment_type::kKeyboardKey, modifiers, found->second.byte2};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<Assignment> AssignmentFromName(std::string_view text, const std::vector<std::string>& macroNames,
                                             KeyDeviceFamily family) {
    const std::string folded = Folded(text);
    if (folded.empty()) return std::nullopt;
    static constexpr std::string_view kMacroPrefix = "macro:";
    if (folded.starts_with(kMacroPrefix)) {
        const std::string name = Folded(folded.substr(kMacroPrefix.size()));
        for (size_t i = 0; i < macroNames.size() && i <= 0xFF; ++i) {
            if (Folded(macroNames[i]) == name) return Assignment{assignment_type::kMacro, static_cast<uint8_t>(i), 0};
        }
        return std::nullopt;
    }
    const std::map<std::string, Assignment>& named = NamedAssignments(family);
    if (const auto found = named.find(folded); found != named.end()) return found->second;
    if (folded.find('+') == std::string::npos) return std::nullopt;
    return Combination(folded, named);
}

}  // namespace ivra
