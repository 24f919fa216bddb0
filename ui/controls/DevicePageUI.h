// The widget a device page file's root tag makes ("KestrelKeyboardDevice",
// "KestrelMouseDevice", "KestrelMousePadDevice", "KestrelDE6533Device"): a
// container that remembers the tag, so the page says which device class it
// is for. The device object itself lives in the core and reaches the page
// through its view (ui/device/QtDeviceView).
#pragma once

#include <QFrame>
#include <QString>

namespace ivra::controls {

class DevicePageUI : public QFrame {
    Q_OBJECT
public:
    DevicePageUI(QString className, QWidget* parent = nullptr);

    QString GetClass() const { return className_; }

private:
    QString className_;
};

// The page tags, compared without case.
bool IsDevicePageTag(const QString& tag);
// A page for a page tag; null for any other tag (for a window's
// CreateControl).
QWidget* CreateDevicePage(const QString& tag, QWidget* parent);

}  // namespace ivra::controls
