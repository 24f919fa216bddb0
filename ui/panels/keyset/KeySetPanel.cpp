#include "panels/keyset/KeySetPanel.h"

#include "panels/PageContext.h"

namespace ivra::panels {

KeySetPanel::KeySetPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {}

void KeySetPanel::Handle(const PanelNotice& /*notice*/) {}

void KeySetPanel::ShowSettings() {}

void KeySetPanel::OpenKey(int /*position*/) {}

}  // namespace ivra::panels
