#include "panels/macro/MacroPanel.h"

#include "panels/PageContext.h"

namespace ivra::panels {

MacroPanel::MacroPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {}

void MacroPanel::Handle(const PanelNotice& /*notice*/) {}

void MacroPanel::ShowSettings() {}

QStringList MacroPanel::MacroNames() const {
    return {};
}

}  // namespace ivra::panels
