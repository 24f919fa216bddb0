// The assignment an English name stands for: the names `ivractl key name`
// prints ("A", "Left Ctrl+C", "Volume Up", "Left Button") and a macro as
// "macro:NAME", compared without regard to case. A keyboard key may follow
// any number of modifiers joined with "+" ("Ctrl+Shift+Esc"); "Ctrl",
// "Shift", "Alt" and "Win" stand for the left ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "models/keys/Assignment.h"
#include "models/keys/AssignmentName.h"

namespace ivra {

// `macroNames` are the kind's macros in list order. Nothing when the text
// names no assignment the family offers.
std::optional<Assignment> AssignmentFromName(std::string_view text, const std::vector<std::string>& macroNames,
                                             KeyDeviceFamily family);

}  // namespace ivra
