// Names for assistive technology: every button of the macro editor says what
// it does (most show only an arrow or a sign), the lists and edits say what
// they hold. The names are language texts and change with the language.
#pragma once

class QWidget;

namespace ivra::panels {

void NameMacroControls(QWidget* root);

}  // namespace ivra::panels
