#include "models/keys/KeySetChoice.h"

#include <cctype>
#include <climits>
#include <span>

#include "models/keys/KeyTable.h"

namespace ivra {
namespace {

// The option of `options` at `item`; nothing when no item (or one beyond
// the table) is chosen.
std::optional<Assignment> OptionAt(std::span<const Assignment> options, int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= options.size()) return std::nullopt;
    return options[static_cast<std::size_t>(item)];
}

int ItemOf(std::span<const Assignment> options, Assignment assignment) {
    const std::optional<std::size_t> item = FindOptionItem(options, assignment);
    return item ? static_cast<int>(*item) : kNoItem;
}

RepeatedMove MoveOf(const MoveFields& fields) {
    RepeatedMove move;
    move.direction = fields.directionItem == 1 ? MoveDirection::kSecond : MoveDirection::kFirst;
    move.count = fields.count;
    move.delay = fields.delay;
    move.speed = fields.speed;
    return move;
}

void ShowMove(const RepeatedMove& move, MoveFields& fields) {
    fields.directionItem = move.direction == MoveDirection::kSecond ? 1 : 0;
    fields.count = move.count;
    fields.delay = move.delay;
    fields.speed = move.speed;
}

// 1 + (row mod 4): the right-hand modifiers show as their left-hand option.
int OptionOfModifierRow(std::size_t row) {
    return 1 + static_cast<int>(row % 4);
}

// Shows a keyboard key (type 0x20); true when the slot must become current.
bool ShowKeyboardKey(Assignment assignment, KeySetFields& fields) {
    if (assignment.byte1 > 0x80) {
        // Several modifiers: one of the key combinations, if any matches.
        fields.functionId = static_cast<int>(KeyFunctionId::kCombination);
        fields.combinationItem = ItemOf(CombinationOptions(), assignment);
        return false;
    }
    fields.functionId = static_cast<int>(KeyFunctionId::kKeyboardKey);
    if (assignment.byte1 == 0) {
        const std::optional<std::size_t> row = FindKeyRow(assignment.byte2);
        if (row) {
            fields.modifierOption = modifier_option::kNone;
            fields.keyLabel = KeyTable()[*row].labelKey;
            return false;
        }
        // A usage the key table does not name: no option and no label, and
        // the slot becomes the one being edited.
        fields.modifierOption = kNoItem;
        fields.keyLabel.clear();
        return true;
    }
    const std::optional<std::size_t> modifier = FindModifierRow(assignment.byte1);
    fields.modifierOption = modifier ? OptionOfModifierRow(*modifier) : modifier_option::kNone;
    const std::optional<std::size_t> key = FindKeyRow(assignment.byte2);
    if (key) {
        fields.keyLabel = KeyTable()[*key].labelKey;
    } else {
        fields.keyLabel.clear();
    }
    return false;
}

}  // namespace

int ParseDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

uint8_t ModifierBitOfOption(int option) {
    if (option < modifier_option::kCtrl || option > modifier_option::kWin) return 0;
    return static_cast<uint8_t>(1U << (option - 1));
}

AssignmentSlot BuildKeyAssignment(const KeySetFields& fields, const AssignmentSlot& current,
                                  const AssignmentSlot& defaults) {
    AssignmentSlot result = current;
    std::optional<Assignment> built;
    switch (static_cast<KeyFunctionId>(fields.functionId)) {
        case KeyFunctionId::kDefault: built = defaults.Bytes(); break;
        case KeyFunctionId::kMouseButton: built = OptionAt(MouseButtonOptions(), fields.mouseButtonItem); break;
        case KeyFunctionId::kSwing:
            built = SwingAssignment(MoveOf(fields.swing));
            // Without a direction the count byte stays as it was.
            if (fields.swing.directionItem == kNoItem) built->byte2 = current.byte2;
            break;
        case KeyFunctionId::kWheel:
            built = WheelAssignment(MoveOf(fields.wheel));
            if (fields.wheel.directionItem == kNoItem) built->byte2 = current.byte2;
            break;
        case KeyFunctionId::kDpi: built = OptionAt(DpiOptions(), fields.dpiItem); break;
        case KeyFunctionId::kFire: built = FireAssignment(fields.fireInterval, fields.fireCount); break;
        case KeyFunctionId::kKeyboardKey:
            // The usage is the captured key's, kept in the current slot.
            built = KeyboardKeyAssignment(ModifierBitOfOption(fields.modifierOption),
                                          fields.keyLabel.empty() ? uint8_t{0} : current.byte2);
            break;
        case KeyFunctionId::kMedia: built = OptionAt(MediaOptions(), fields.mediaItem); break;
        case KeyFunctionId::kSystem: built = OptionAt(SystemOptions(), fields.systemItem); break;
        case KeyFunctionId::kMacro:
            if (fields.macroItem < 0) break;
            if (fields.macroOverItem == kMacroRepeatCountItem) {
                built = MacroRepeatedAssignment(static_cast<uint8_t>(fields.macroItem), fields.macroCount);
            } else {
                // Without a repeat mode chosen the macro plays in mode 0.
                const int mode = fields.macroOverItem < 0 ? 0 : fields.macroOverItem;
                built = MacroAssignment(static_cast<uint8_t>(fields.macroItem), static_cast<uint8_t>(mode));
            }
            break;
        case KeyFunctionId::kRecoil:
            if (fields.gunItem >= 0) built = RecoilAssignment(static_cast<uint8_t>(fields.gunItem));
            break;
        case KeyFunctionId::kCombination: built = OptionAt(CombinationOptions(), fields.combinationItem); break;
        default: break;
    }
    if (built) result.SetBytes(*built);
    return result;
}

bool ShowKeyAssignment(const AssignmentSlot& slot, const AssignmentSlot& defaults, int macroCount,
                       KeySetFields& fields) {
    const Assignment assignment = slot.Bytes();
    if (assignment == defaults.Bytes()) {
        fields.functionId = static_cast<int>(KeyFunctionId::kDefault);
        return false;
    }
    auto show = [&fields](KeyFunctionId id) { fields.functionId = static_cast<int>(id); };
    switch (assignment.type) {
        case assignment_type::kNone: show(KeyFunctionId::kDefault); break;
        case assignment_type::kMouseButton:
            show(KeyFunctionId::kMouseButton);
            fields.mouseButtonItem = ItemOf(MouseButtonOptions(), assignment);
            break;
        case assignment_type::kMouseSwing:
            show(KeyFunctionId::kSwing);
            ShowMove(ReadSwing(assignment), fields.swing);
            break;
        case assignment_type::kMouseWheel:
            show(KeyFunctionId::kWheel);
            ShowMove(ReadWheel(assignment), fields.wheel);
            break;
        case assignment_type::kDpi:
            show(KeyFunctionId::kDpi);
            fields.dpiItem = ItemOf(DpiOptions(), assignment);
            break;
        case assignment_type::kFire:
            show(KeyFunctionId::kFire);
            fields.fireInterval = assignment.byte1;
            fields.fireCount = assignment.byte2;
            break;
        case assignment_type::kKeyboardKey: return ShowKeyboardKey(assignment, fields);
        case assignment_type::kConsumer:
            show(KeyFunctionId::kMedia);
            fields.mediaItem = ItemOf(MediaOptions(), assignment);
            break;
        case assignment_type::kSystem:
            show(KeyFunctionId::kSystem);
            fields.systemItem = ItemOf(SystemOptions(), assignment);
            break;
        case assignment_type::kMacro:
            show(KeyFunctionId::kMacro);
            fields.macroItem = assignment.byte1 < macroCount ? assignment.byte1 : kNoItem;
            fields.macroOverItem = assignment.byte2 < kMacroRepeatCountItem ? assignment.byte2 : kNoItem;
            fields.macroCountShown = false;
            break;
        case assignment_type::kMacroRepeated:
            show(KeyFunctionId::kMacro);
            fields.macroItem = assignment.byte1 < macroCount ? assignment.byte1 : kNoItem;
            fields.macroOverItem = kMacroRepeatCountItem;
            fields.macroCount = assignment.byte2;
            fields.macroCountShown = true;
            break;
        case assignment_type::kRecoil:
            show(KeyFunctionId::kRecoil);
            fields.gunItem = assignment.byte1;
            break;
        case assignment_type::kCombination:
            show(KeyFunctionId::kCombination);
            fields.combinationItem = kNoItem;
            break;
        default: fields.functionId = kNoItem; break;
    }
    return false;
}

std::optional<AssignmentSlot> CaptureKey(KeyScanCode scan, const AssignmentSlot& current, KeySetFields& fields) {
    const std::optional<std::size_t> row = FindKeyByScan(scan.scanCode, scan.extended);
    if (!row) return std::nullopt;
    const KeyTableRow& key = KeyTable()[*row];
    AssignmentSlot result = current;
    if (IsModifierRow(*row)) {
        fields.modifierOption = OptionOfModifierRow(*row);
        fields.keyLabel.clear();
        result.SetBytes(key.assignment);
        return result;
    }
    if (fields.modifierOption == kNoItem) {
        fields.modifierOption = modifier_option::kNone;
        result.SetBytes(key.assignment);
    } else {
        result.SetBytes(KeyboardKeyAssignment(ModifierBitOfOption(fields.modifierOption), key.assignment.byte2));
    }
    fields.keyLabel = key.labelKey;
    return result;
}

bool IsLastPrimaryButtonKey(const std::vector<KeyRecord>& keys, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= keys.size()) return false;
    const Assignment primary = MouseButtonAssignment(mouse_button::kLeft);
    if (keys[static_cast<std::size_t>(position)].current.Bytes() != primary) return false;
    for (std::size_t p = 0; p < keys.size(); ++p) {
        if (static_cast<int>(p) != position && keys[p].current.Bytes() == primary) return false;
    }
    return true;
}

}  // namespace ivra
