// How a control of our own raises a notification: through the paint manager
// of the window it sits in, found when the notification is sent (pages and
// panels are built first and placed into their window later).
#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

namespace ivra::dui {
class PaintManager;
}

namespace ivra::controls {

// The paint manager of the window `control` is in; null when it is in none.
dui::PaintManager* PaintManagerOf(QWidget* control);

// Sends the notification; false when the control is in no window.
bool NotifyFrom(QWidget* control, const QString& type, quintptr wParam = 0, qintptr lParam = 0);

}  // namespace ivra::controls
