// An image a skin attribute names: a file below the skin folder of the
// window the control is in, else the path as given.
#pragma once

#include <QPixmap>
#include <QString>

class QWidget;

namespace ivra::controls {

QPixmap SkinImage(const QWidget* control, const QString& file);

}  // namespace ivra::controls
