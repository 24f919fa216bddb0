#include "panels/settings/KeyboardSettingsPanel.h"

#include "panels/PageContext.h"

namespace ivra::panels {

KeyboardSettingsPanel::KeyboardSettingsPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {}

void KeyboardSettingsPanel::Handle(const PanelNotice& /*notice*/) {}

void KeyboardSettingsPanel::ShowSettings() {}

}  // namespace ivra::panels
