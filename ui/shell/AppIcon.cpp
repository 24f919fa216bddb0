#include "shell/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ivra::shell {

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1E, 0x22, 0x2B));
        painter.drawRoundedRect(QRectF(0, 0, s, s), s * 0.22, s * 0.22);
        // A stylised "I" between two arcs: a device sending light.
        QLinearGradient glow(0, 0, s, s);
        glow.setColorAt(0, QColor(0x00, 0xD1, 0xFF));
        glow.setColorAt(1, QColor(0x9B, 0x5C, 0xFF));
        painter.setBrush(glow);
        painter.drawRoundedRect(QRectF(s * 0.43, s * 0.22, s * 0.14, s * 0.56), s * 0.05, s * 0.05);
        QPen arc(QBrush(glow), s * 0.07, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(arc);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(s * 0.16, s * 0.2, s * 0.68, s * 0.6), 120 * 16, 120 * 16);
        painter.drawArc(QRectF(s * 0.16, s * 0.2, s * 0.68, s * 0.6), -60 * 16, 120 * 16);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace ivra::shell
