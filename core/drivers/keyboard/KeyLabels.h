// The key buttons' tooltips on the keyboard page: for each position, the
// label of its factory key (the title) and what the key does now (the
// text), and whether the two agree (then the page does not mark the key as
// changed).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "models/keys/KeyRecord.h"

namespace ivra {

struct KeyLabel {
    bool shown = false;      // the assignment has a name; otherwise the button keeps its texts
    std::string title;       // the factory key's translated label
    std::string text;        // "Key_Set" translated, followed by the name
    bool unchanged = false;  // title and name are equal, compared without case
};

using TranslateFunction = std::function<std::string(std::string_view languageKey)>;

// One label per key record (position), in order.
std::vector<KeyLabel> BuildKeyLabels(const std::vector<KeyRecord>& keys, const std::vector<std::string>& macroNames,
                                     const TranslateFunction& translate);

}  // namespace ivra
