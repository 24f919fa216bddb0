#include "controls/RedioMacroButtonUI.h"

#include <QDynamicPropertyChangeEvent>
#include <QEvent>
#include <QIcon>

#include "controls/SkinImage.h"

namespace ivra::controls {

RedioMacroButtonUI::RedioMacroButtonUI(QWidget* parent) : QPushButton(parent) {}

bool RedioMacroButtonUI::event(QEvent* e) {
    const bool handled = QPushButton::event(e);
    // The picture is found through the window's skin once the button is in one.
    if ((e->type() == QEvent::DynamicPropertyChange &&
         static_cast<QDynamicPropertyChangeEvent*>(e)->propertyName() == "redioimage") ||
        e->type() == QEvent::ParentChange) {
        ShowImage();
    }
    return handled;
}

void RedioMacroButtonUI::ShowImage() {
    const QString file = property("redioimage").toString();
    const QPixmap image = SkinImage(this, file);
    setIcon(image.isNull() ? QIcon() : QIcon(image));
}

}  // namespace ivra::controls
