#include "controls/DeviceIcons.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>

namespace ivra::controls {
namespace {

const QColor kAccent(0x3D, 0xA5, 0xFF);
const QColor kIdle(0x9A, 0xA3, 0xB5);
const QColor kSynchro(0x3C, 0xD0, 0x8A);

struct GlyphPrefix {
    const char* prefix;
    DeviceGlyph glyph;
};

// Longest prefixes first: "hard_mp_device" before anything shorter.
constexpr GlyphPrefix kPrefixes[] = {
    {"hard_mp_device", DeviceGlyph::HardMousePad}, {"soft_mp_device", DeviceGlyph::SoftMousePad},
    {"unknow_device", DeviceGlyph::Unknown},       {"hub_device", DeviceGlyph::Hub},
    {"kb_device", DeviceGlyph::Keyboard},          {"ms_device", DeviceGlyph::Mouse},
    {"hd_device", DeviceGlyph::Headset},
};

void DrawKeyboard(QPainter& p, const QRectF& box, const QColor& ink) {
    const QRectF body(box.left(), box.top() + box.height() * 0.24, box.width(), box.height() * 0.52);
    p.setPen(QPen(ink, box.width() * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, box.width() * 0.08, box.width() * 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const qreal key = body.width() * 0.09;
    const qreal pitch = body.width() * 0.145;
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 6; ++col) {
            p.drawRect(QRectF(body.left() + body.width() * 0.1 + col * pitch,
                              body.top() + body.height() * 0.2 + row * body.height() * 0.24, key, key));
        }
    }
    p.drawRoundedRect(
        QRectF(body.left() + body.width() * 0.26, body.top() + body.height() * 0.7, body.width() * 0.48, key), key / 3,
        key / 3);
}

void DrawMouse(QPainter& p, const QRectF& box, const QColor& ink) {
    const QRectF body(box.left() + box.width() * 0.26, box.top() + box.height() * 0.08, box.width() * 0.48,
                      box.height() * 0.84);
    const qreal pen = box.width() * 0.06;
    p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, body.width() / 2, body.width() / 2);
    const qreal split = body.top() + body.height() * 0.4;
    p.drawLine(QPointF(body.left(), split), QPointF(body.right(), split));
    p.drawLine(QPointF(body.center().x(), body.top()), QPointF(body.center().x(), split));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(
        QRectF(body.center().x() - pen * 0.9, body.top() + body.height() * 0.12, pen * 1.8, body.height() * 0.16), pen,
        pen);
}

void DrawMousePad(QPainter& p, const QRectF& box, const QColor& ink, bool soft) {
    const QRectF pad(box.left(), box.top() + box.height() * 0.2, box.width(), box.height() * 0.6);
    const qreal pen = box.width() * 0.06;
    if (soft) {
        // Cloth: well rounded, with a stitched edge.
        p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(pad, pad.height() * 0.3, pad.height() * 0.3);
        QPen stitch(ink, pen * 0.5, Qt::DashLine, Qt::RoundCap);
        p.setPen(stitch);
        p.drawRoundedRect(pad.adjusted(pen * 2, pen * 2, -pen * 2, -pen * 2), pad.height() * 0.2, pad.height() * 0.2);
    } else {
        // Hard: sharp corners and a sheen.
        p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRect(pad);
        p.setPen(QPen(ink, pen * 0.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(pad.left() + pad.width() * 0.55, pad.bottom() - pen * 1.5),
                   QPointF(pad.left() + pad.width() * 0.85, pad.top() + pen * 1.5));
        p.drawLine(QPointF(pad.left() + pad.width() * 0.68, pad.bottom() - pen * 1.5),
                   QPointF(pad.left() + pad.width() * 0.93, pad.top() + pad.height() * 0.35));
    }
    // The charging spot.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(pad.left() + pad.width() * 0.25, pad.center().y()), pen * 1.3, pen * 1.3);
}

void DrawHeadset(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal pen = box.width() * 0.07;
    p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF band(box.left() + box.width() * 0.14, box.top() + box.height() * 0.1, box.width() * 0.72,
                      box.height() * 0.9);
    p.drawArc(band, 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const qreal cupW = box.width() * 0.2;
    const qreal cupH = box.height() * 0.34;
    const qreal cupTop = band.center().y() - cupH * 0.15;
    p.drawRoundedRect(QRectF(band.left() - cupW / 2, cupTop, cupW, cupH), cupW / 3, cupW / 3);
    p.drawRoundedRect(QRectF(band.right() - cupW / 2, cupTop, cupW, cupH), cupW / 3, cupW / 3);
}

void DrawHub(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal pen = box.width() * 0.06;
    const QPointF root(box.center().x(), box.bottom() - box.height() * 0.12);
    const QPointF fork(box.center().x(), box.center().y() + box.height() * 0.05);
    p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(root, fork);
    const QPointF ends[] = {{box.left() + box.width() * 0.2, box.top() + box.height() * 0.25},
                            {box.center().x(), box.top() + box.height() * 0.14},
                            {box.right() - box.width() * 0.2, box.top() + box.height() * 0.25}};
    for (const QPointF& end : ends) p.drawLine(fork, end);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (const QPointF& end : ends) p.drawEllipse(end, pen * 1.4, pen * 1.4);
    p.drawRect(QRectF(root.x() - pen * 1.6, root.y() - pen * 0.5, pen * 3.2, pen * 2.2));
}

void DrawUnknown(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal pen = box.width() * 0.06;
    p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF frame =
        box.adjusted(box.width() * 0.12, box.height() * 0.12, -box.width() * 0.12, -box.height() * 0.12);
    p.drawRoundedRect(frame, frame.width() * 0.2, frame.width() * 0.2);
    QFont font;
    font.setBold(true);
    font.setPixelSize(static_cast<int>(frame.height() * 0.62));
    p.setFont(font);
    p.drawText(frame, Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QColor DeviceIconAccent() {
    return kAccent;
}

DeviceIconImage ParseDeviceIconName(const QString& imageName) {
    const QString stem = QFileInfo(imageName).completeBaseName().toLower();
    DeviceIconImage image;
    for (const GlyphPrefix& entry : kPrefixes) {
        if (stem.startsWith(QLatin1String(entry.prefix))) {
            image.glyph = entry.glyph;
            break;
        }
    }
    image.selected = stem.endsWith(QLatin1String("_selected")) || stem.endsWith(QLatin1String("_down"));
    image.synchro = stem.contains(QLatin1String("_synchro_"));
    return image;
}

QPixmap DrawDeviceIcon(const DeviceIconImage& image, int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF full(0, 0, size, size);
    if (image.selected) {
        // A soft disc behind the selected device.
        QColor disc = kAccent;
        disc.setAlpha(52);
        p.setPen(Qt::NoPen);
        p.setBrush(disc);
        p.drawEllipse(full.adjusted(1, 1, -1, -1));
    }
    const QColor ink = image.selected ? kAccent : kIdle;
    const QRectF box = full.adjusted(size * 0.18, size * 0.18, -size * 0.18, -size * 0.18);
    switch (image.glyph) {
        case DeviceGlyph::Keyboard: DrawKeyboard(p, box, ink); break;
        case DeviceGlyph::Mouse: DrawMouse(p, box, ink); break;
        case DeviceGlyph::HardMousePad: DrawMousePad(p, box, ink, false); break;
        case DeviceGlyph::SoftMousePad: DrawMousePad(p, box, ink, true); break;
        case DeviceGlyph::Headset: DrawHeadset(p, box, ink); break;
        case DeviceGlyph::Hub: DrawHub(p, box, ink); break;
        case DeviceGlyph::Unknown: DrawUnknown(p, box, ink); break;
    }
    if (image.synchro) {
        // Synchronised lighting: a green dot in the corner.
        const qreal r = size * 0.11;
        p.setPen(QPen(QColor(0x16, 0x18, 0x1F), r * 0.5));
        p.setBrush(kSynchro);
        p.drawEllipse(QPointF(size - r * 1.6, r * 1.6), r, r);
    }
    return pixmap;
}

QIcon DeviceOptionIcon(const QString& normalImage, const QString& selectedImage, int size) {
    QIcon icon;
    const QPixmap normal = DrawDeviceIcon(ParseDeviceIconName(normalImage), size);
    const QPixmap selected = DrawDeviceIcon(ParseDeviceIconName(selectedImage), size);
    icon.addPixmap(normal, QIcon::Normal, QIcon::Off);
    icon.addPixmap(selected, QIcon::Normal, QIcon::On);
    icon.addPixmap(normal, QIcon::Disabled, QIcon::Off);
    icon.addPixmap(normal, QIcon::Disabled, QIcon::On);
    icon.addPixmap(normal, QIcon::Active, QIcon::Off);
    icon.addPixmap(selected, QIcon::Active, QIcon::On);
    return icon;
}

}  // namespace ivra::controls
