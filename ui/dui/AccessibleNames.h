// Names for assistive tools (Qt accessibility, which desktops reach over
// AT-SPI). A control with an "accessibleKey" property is named by that
// language key's text; a button that shows no text is named by its
// tooltip; a slider, combo, edit or list is named by the caption label
// before it in its layout (as a buddy label would), else by its hint or
// tooltip. Names given by code are kept. Runs with every language change.
#pragma once

#include <span>

class QWidget;

namespace ivra::dui {

void NameForAssistiveTools(QWidget* root);

// A control of a panel and the language key of what assistive tools call it.
struct AccessibleKey {
    const char* control;
    const char* textKey;
};
// Gives each control below `root` that `keys` names its key ("accessibleKey",
// so that the name follows the language) and its name; a control the skin
// lacks is passed over. With `tooltips`, a control without a tooltip shows
// the name as its tooltip too (icon-only buttons).
void SetAccessibleKeys(QWidget* root, std::span<const AccessibleKey> keys, bool tooltips = false);

}  // namespace ivra::dui
