// Names for assistive tools (Qt accessibility, which desktops reach over
// AT-SPI). A control with an "accessibleKey" property is named by that
// language key's text; a button that shows no text is named by its
// tooltip; a slider, combo, edit or list is named by the caption label
// before it in its layout (as a buddy label would), else by its hint or
// tooltip. Names given by code are kept. Runs with every language change.
#pragma once

class QWidget;

namespace ivra::dui {

void NameForAssistiveTools(QWidget* root);

}  // namespace ivra::dui
