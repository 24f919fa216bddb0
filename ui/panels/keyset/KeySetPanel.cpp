#include "panels/keyset/KeySetPanel.h"

#include "panels/PageContext.h"

namespace ivra::panels {

KeySetPanel::KeySetPanel(QWidget* root, PageContext& page) : PagePanel(root, page) {}

void KeySetPanel::Handle(const PanelNotice& /*notice*/) {}

void KeySetPanel::ShowSettings() {}

void KeySetPanel::OpenKey(int /*position*/) {}

void KeySetPanel::SetMacroNames(const QStringList& /*names*/) {}

void KeySetPanel::AddMacroName(const QString& /*name*/) {}

void KeySetPanel::RenameMacroName(int /*index*/, const QString& /*name*/) {}

void KeySetPanel::RemoveMacroName(int /*index*/) {}

void KeySetPanel::EnableSaveButtons(bool /*on*/) {}

bool KeySetPanel::SaveToDevice() {
    return false;
}

}  // namespace ivra::panels
