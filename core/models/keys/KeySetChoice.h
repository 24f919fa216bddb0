// What the key setting panel shows and builds, without the widgets: the
// panel's fields (the chosen function, the combo items, the numbers in the
// edits, the modifier option, the captured key and the macro choice) turned
// into the assignment slot of the key being edited, a slot turned back into
// the fields, and a captured key turned into both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "models/keys/KeyFunctionOptions.h"
#include "models/keys/KeyRecord.h"
#include "models/keys/LinuxKeyCodes.h"

namespace ivra {

// No item of a combo box or no option of a group is selected.
constexpr int kNoItem = -1;

// The swing or wheel controls: the direction combo (item 0 or 1) and the
// count, delay and speed edits.
struct MoveFields {
    int directionItem = kNoItem;
    int count = 0;
    int delay = 0;
    int speed = 0;

    bool operator==(const MoveFields&) const = default;
};

// The five modifier options of the keyboard-key function, in their order.
namespace modifier_option {
constexpr int kNone = 0;
constexpr int kCtrl = 1;
constexpr int kShift = 2;
constexpr int kAlt = 3;
constexpr int kWin = 4;
}  // namespace modifier_option

struct KeySetFields {
    int functionId = kNoItem;  // a KeyFunctionId, or kNoItem when no function is shown
    int mouseButtonItem = kNoItem;
    MoveFields swing;
    MoveFields wheel;
    int dpiItem = kNoItem;
    int fireInterval = 0;
    int fireCount = 0;
    int modifierOption = kNoItem;
    // The label key of the key the keyboard-key edit shows; empty when the
    // edit is empty (a modifier alone, or nothing captured).
    std::string keyLabel;
    int mediaItem = kNoItem;
    int systemItem = kNoItem;
    int macroItem = kNoItem;
    int macroOverItem = kNoItem;  // repeat mode 0-3, or kMacroRepeatCountItem
    int macroCount = 0;
    bool macroCountShown = false;  // the repeat count is shown
    int gunItem = kNoItem;
    int combinationItem = kNoItem;

    bool operator==(const KeySetFields&) const = default;
};

// A number typed into an edit, read as a decimal integer the way the panel
// always has: leading blanks and a sign are allowed, reading stops at the
// first other character, and text without digits reads as 0. Values beyond
// the int range are clamped.
int ParseDecimal(std::string_view text);

// The modifier bit of option 1-4 (left Ctrl, Shift, Alt, GUI); 0 for the
// "none" option and for no option.
uint8_t ModifierBitOfOption(int option);

// The new current slot of the key from the fields. The key index and the
// reserved bytes are those of `current`. The default function gives the
// default assignment; a function whose item is not chosen (and no function
// at all) leaves `current` as it is.
AssignmentSlot BuildKeyAssignment(const KeySetFields& fields, const AssignmentSlot& current,
                                  const AssignmentSlot& defaults);

// Shows `slot` in `fields`: the function id and the controls of that
// function; the fields of the other functions keep their values. An
// assignment equal to the key's default shows the default function,
// whatever its type; a type the panel has no function for shows no
// function (functionId = kNoItem). `macroCount` is the number of macros the
// macro combo lists. True when `slot` must become the current slot: a
// keyboard key without modifiers whose usage the key table does not name.
bool ShowKeyAssignment(const AssignmentSlot& slot, const AssignmentSlot& defaults, int macroCount,
                       KeySetFields& fields);

// A key pressed while the keyboard-key edit captures. A modifier selects
// its option (the right-hand modifiers select the left-hand option) and
// empties the label; another key keeps the selected option (selecting
// "none" when there is none) and shows its label. The result is the new
// current slot, to be stored; nothing (and no field changed) for a key the
// key table has no scan code for.
std::optional<AssignmentSlot> CaptureKey(KeyScanCode scan, const AssignmentSlot& current, KeySetFields& fields);

// A mouse must keep one key on the primary button (10 01 00): true when the
// key at `position` is the only one that has it, so the panel refuses to
// edit it.
bool IsLastPrimaryButtonKey(const std::vector<KeyRecord>& keys, int position);

}  // namespace ivra
