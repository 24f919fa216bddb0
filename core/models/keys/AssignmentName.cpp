#include "models/keys/AssignmentName.h"

#include <array>

#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/KeyTable.h"

namespace ivra {
namespace {

AssignmentNameText Key(const char* languageKey) {
    return {{languageKey}, {}};
}

AssignmentNameText Literal(std::string text) {
    return {{}, std::move(text)};
}

AssignmentNameText RowLabel(std::size_t row) {
    return Key(KeyTable()[row].labelKey);
}

// Type 0x00: the first row whose bytes 1 and 2 are equal, whatever its type.
AssignmentNameText NameNone(Assignment a) {
    for (const KeyTableRow& row : KeyTable()) {
        if (row.assignment.byte1 == a.byte1 && row.assignment.byte2 == a.byte2) return Key(row.labelKey);
    }
    if (a.byte1 == 0 && a.byte2 == 0) return Key("close_text");
    return {};
}

// Type 0x20: a single key or modifier by its own row; otherwise the label of
// every modifier bit in row order, then the key of the usage. Only rows of
// type 0x20 take part: a combination of several modifiers must not be named
// after a media row that happens to carry the same two bytes.
AssignmentNameText NameKeyboardKey(Assignment a) {
    if (a.byte1 == 0 && a.byte2 == 0) return Key("close_text");
    if (const auto row = FindAssignmentRow(a)) return RowLabel(*row);
    AssignmentNameText name;
    for (std::size_t row = 0; row < kModifierRowCount; ++row) {
        if ((a.byte1 & KeyTable()[row].assignment.byte1) != 0) name.languageKeys.push_back(KeyTable()[row].labelKey);
    }
    if (a.byte2 != 0) {
        if (const auto row = FindKeyRow(a.byte2)) name.languageKeys.push_back(KeyTable()[*row].labelKey);
    }
    return name;
}

AssignmentNameText NameMouseButton(Assignment a) {
    switch (a.byte1) {
        case mouse_button::kLeft: return Key("mouse_key_left");
        case mouse_button::kMiddle: return Key("mouse_key_middle");
        case mouse_button::kRight: return Key("mouse_key_right");
        case mouse_button::kForward: return Key("mouse_key_forward");
        case mouse_button::kBack: return Key("mouse_key_back");
        default: return {};
    }
}

AssignmentNameText NameDpi(Assignment a) {
    switch (a.byte1) {
        case 1: return Key("mouse_key_DPI_add");
        case 2: return Key("mouse_key_DPI_sub");
        case 3: return Key("mouse_key_DPI_loop");
        default: return {};
    }
}

AssignmentNameText NameEditCommand(Assignment a) {
    static constexpr std::array<const char*, 9> kNames = {"custem_cut",  "custem_copy",       "custem_paste",
                                                          "custem_undo", "custem_select_all", "custem_find",
                                                          "custem_new",  "custem_save",       "custem_open"};
    if (a.byte1 == 0 && a.byte2 < kNames.size()) return Key(kNames[a.byte2]);
    return {};
}

AssignmentNameText NameMedia(Assignment a) {
    static constexpr std::array<const char*, 18> kNames = {
        "media_text",    "media_play",   "media_stop", "media_prev",  "media_next", "media_vol_sub",
        "media_vol_add", "media_mute",   "web_text",   "web_refresh", "wed_stop",   "wed_back",
        "wed_forward",   "wed_favorite", "web_search", "media_mypc",  "media_calc", "media_mail"};
    static_assert(kNames.size() == 18);
    if (const auto item = FindOptionItem(MediaOptions(), a)) return Key(kNames[*item]);
    return {};
}

AssignmentNameText NameSystem(Assignment a) {
    if (a.byte2 != 0) return {};
    switch (a.byte1) {
        case 0x01: return Key("system_power");
        case 0x02: return Key("system_sleep");
        case 0x04: return Key("system_wake_up");
        default: return {};
    }
}

AssignmentNameText NameMacro(Assignment a, const std::vector<std::string>& macroNames) {
    if (a.byte1 < macroNames.size()) return Literal(macroNames[a.byte1]);
    return {};
}

AssignmentNameText NameRecoil(Assignment a, KeyDeviceFamily family) {
    static constexpr std::array<const char*, 4> kNames = {"gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt"};
    if (family == KeyDeviceFamily::kKeyboard) return Literal(kFixedOffText);
    if (a.byte1 < kNames.size()) return Key(kNames[a.byte1]);
    return {};
}

AssignmentNameText NameSpecialFunction(Assignment a) {
    if (a.byte1 == 2) return Key("mouse_key_smart_key");
    if (a.byte1 == 0) return Key("close_text");
    if (const auto row = FindAssignmentRow(a)) return RowLabel(*row);
    return {};
}

}  // namespace

std::string AssignmentNameText::Resolve(const std::function<std::string(std::string_view)>& translate) const {
    if (languageKeys.empty()) return literal;
    std::string text;
    for (const std::string& key : languageKeys) {
        if (!text.empty()) text += "+";
        text += translate ? translate(key) : key;
    }
    return text;
}

AssignmentNameText AssignmentName(Assignment assignment, const std::vector<std::string>& macroNames,
                                  KeyDeviceFamily family) {
    namespace t = assignment_type;
    switch (assignment.type) {
        case t::kNone: return NameNone(assignment);
        case t::kKeyboardKey: return NameKeyboardKey(assignment);
        case t::kMouseButton: return NameMouseButton(assignment);
        case t::kMouseSwing: return Key(assignment.byte2 >= 0x80 ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
        case t::kMouseWheel: return Key(assignment.byte2 >= 0x80 ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
        case t::kDpi: return NameDpi(assignment);
        case t::kFire: return Key("mouse_key_fire_key");
        case t::kDeviceFunction: return Key("mouse_key_DPI_shift");
        case t::kEditCommand: return NameEditCommand(assignment);
        case t::kShowWindow:
            return assignment.byte1 == 0 && assignment.byte2 == 0 ? Key("show_window") : AssignmentNameText{};
        case t::kConsumer: return NameMedia(assignment);
        case t::kSystem: return NameSystem(assignment);
        case t::kMacro:
        case t::kMacroRepeated: return NameMacro(assignment, macroNames);
        case t::kRecoil: return NameRecoil(assignment, family);
        case t::kSpecialFunction: return NameSpecialFunction(assignment);
        case t::kMacroKey:
            return family == KeyDeviceFamily::kKeyboard ? NameSpecialFunction(assignment) : Literal(kFixedOffText);
        case 0x15:
        case 0x21:
        case 0x50:
        case 0x60:
        case t::kCombination:
        case 0xC0: return {};
        default: return Literal(kFixedOffText);
    }
}

}  // namespace ivra
