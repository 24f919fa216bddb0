#include "panels/light/LightPanel.h"

#include "panels/PageContext.h"

namespace ivra::panels {

LightPanel::LightPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {}

void LightPanel::Handle(const PanelNotice& /*notice*/) {}

void LightPanel::ShowSettings() {}

void LightPanel::PaintKey(int /*position*/) {}

}  // namespace ivra::panels
