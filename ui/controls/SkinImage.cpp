#include "controls/SkinImage.h"

#include <QWidget>

#include "dui/WindowImplBase.h"

namespace ivra::controls {

QPixmap SkinImage(const QWidget* control, const QString& file) {
    if (file.isEmpty()) return {};
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (const auto* window = qobject_cast<const dui::WindowImplBase*>(w)) {
            QPixmap image(window->GetSkinFolder() + QLatin1Char('/') + file);
            if (!image.isNull()) return image;
            break;
        }
    }
    return QPixmap(file);
}

}  // namespace ivra::controls
