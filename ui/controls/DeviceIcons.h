// The selector strip's device icons, drawn rather than loaded. An icon is
// named as the skin names it ("common/device_ico/ms_device_selected.png"):
// the name's stem gives the device drawn and its state, so the entry keeps
// its icon names and the drawing stays in one place.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace ivra::controls {

enum class DeviceGlyph { Keyboard, Mouse, HardMousePad, SoftMousePad, Headset, Hub, Unknown };

struct DeviceIconImage {
    DeviceGlyph glyph = DeviceGlyph::Unknown;
    bool selected = false;  // "_selected" / "_down"
    bool synchro = false;   // a synchronised device ("_synchro_")
    bool operator==(const DeviceIconImage&) const = default;
};

// "…/kb_device_synchro2_down.png" -> keyboard, selected, synchronised.
DeviceIconImage ParseDeviceIconName(const QString& imageName);

// One icon image, `size` device-independent pixels square.
QPixmap DrawDeviceIcon(const DeviceIconImage& image, int size, qreal devicePixelRatio = 1.0);

// An option's icon: normal when unselected (and when disabled), the
// selected image when selected.
QIcon DeviceOptionIcon(const QString& normalImage, const QString& selectedImage, int size);

// The accent of selected icons and marks.
QColor DeviceIconAccent();

}  // namespace ivra::controls
