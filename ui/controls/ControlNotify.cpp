#include "controls/ControlNotify.h"

#include <QWidget>

#include "dui/WindowImplBase.h"

namespace ivra::controls {

dui::PaintManager* PaintManagerOf(QWidget* control) {
    for (QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (auto* window = qobject_cast<dui::WindowImplBase*>(w)) return &window->GetPaintManager();
    }
    return nullptr;
}

bool NotifyFrom(QWidget* control, const QString& type, quintptr wParam, qintptr lParam) {
    dui::PaintManager* pm = PaintManagerOf(control);
    if (pm == nullptr) return false;
    pm->SendNotify(control, type, wParam, lParam);
    return true;
}

}  // namespace ivra::controls
