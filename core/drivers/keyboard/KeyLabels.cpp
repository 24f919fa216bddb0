#include "drivers/keyboard/KeyLabels.h"

#include <algorithm>
#include <cctype>

#include "models/lighting/KeyboardLayout.h"
#include "models/keys/AssignmentName.h"
#include "models/keys/KeyTable.h"

namespace ivra {

namespace {

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string FactoryLabel(size_t position, const TranslateFunction& translate) {
    if (position >= kKeyboardPositions) return {};
    const auto& bytes = kDefaultKeyTable[position];
    const auto row = FindAssignmentRow(Assignment{bytes[0], bytes[1], bytes[2]});
    if (!row) return {};
    return translate(KeyTable()[*row].labelKey);
}

}  // namespace

std::vector<KeyLabel> BuildKeyLabels(const std::vector<KeyRecord>& keys, const std::vector<std::string>& macroNames,
                                     const TranslateFunction& translate) {
    std::vector<KeyLabel> labels(keys.size());
    for (size_t p = 0; p < keys.size(); ++p) {
        const AssignmentNameText name = AssignmentName(keys[p].current.Bytes(), macroNames, KeyDeviceFamily::kKeyboard);
        const std::string shown = name.Resolve(translate);
        if (shown.empty()) continue;
        KeyLabel& label = labels[p];
        label.shown = true;
        label.title = FactoryLabel(p, translate);
        label.text = translate("Key_Set") + shown;
        label.unchanged = EqualNoCase(label.title, shown);
    }
    return labels;
}

}  // namespace ivra
