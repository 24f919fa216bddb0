#include "panels/PagePanel.h"

#include "dui/PaintManager.h"
#include "panels/PageContext.h"

namespace ivra::panels {

PagePanel::PagePanel(QWidget* root, PageContext& page) : QObject(&page), root_(root), page_(page) {}

QWidget* PagePanel::FindControl(const QString& name) const {
    if (!root_) return nullptr;
    return dui::PaintManager::FindSubControlByName(root_, name);
}

}  // namespace ivra::panels
