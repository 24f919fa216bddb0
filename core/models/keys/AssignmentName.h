// The name of an assignment, as the keyboard page's key tooltips and the
// mouse page's key information list show it. A name is one or more language
// keys that the user interface translates (several are joined with "+"), or
// a text shown as it is (a macro's name, a fixed text), or nothing: then the
// caller leaves the key's texts as they are.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "models/keys/Assignment.h"

namespace ivra {

// Some types are named differently on the two device families.
enum class KeyDeviceFamily { kKeyboard, kMouse };

struct AssignmentNameText {
    std::vector<std::string> languageKeys;  // translated one by one, joined with "+"
    std::string literal;                    // shown as it is; used when there are no language keys

    bool Empty() const { return languageKeys.empty() && literal.empty(); }

    // The text to show, with `translate` turning a language key into text.
    std::string Resolve(const std::function<std::string(std::string_view)>& translate) const;

    bool operator==(const AssignmentNameText&) const = default;
};

// The fixed text some types are named with, shown untranslated.
constexpr const char* kFixedOffText = "\xE5\x85\xB3\xE9\x97\xAD";  // "关闭"

// `macroNames` are the device kind's macros in list order (for types 0x70
// and 0x71).
AssignmentNameText AssignmentName(Assignment assignment, const std::vector<std::string>& macroNames,
                                  KeyDeviceFamily family);

}  // namespace ivra
