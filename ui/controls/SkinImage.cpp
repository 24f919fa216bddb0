#include "controls/SkinImage.h"

#include <QPixmapCache>
#include <QWidget>

#include "dui/WindowImplBase.h"

namespace ivra::controls {

namespace {

// Buttons ask at every paint: a file is read once, then kept in Qt's cache.
QPixmap CachedImage(const QString& path) {
    QPixmap image;
    if (QPixmapCache::find(path, &image)) return image;
    if (image.load(path)) QPixmapCache::insert(path, image);
    return image;
}

}  // namespace

QPixmap SkinImage(const QWidget* control, const QString& file) {
    if (file.isEmpty()) return {};
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (const auto* window = qobject_cast<const dui::WindowImplBase*>(w)) {
            const QPixmap image = CachedImage(window->GetSkinFolder() + QLatin1Char('/') + file);
            if (!image.isNull()) return image;
            break;
        }
    }
    return CachedImage(file);
}

}  // namespace ivra::controls
