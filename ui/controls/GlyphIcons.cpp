#include "controls/GlyphIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace ivra::controls {
namespace {

bool DrawGlyph(QPainter& p, const QString& glyph, const QRectF& b) {
    const qreal w = b.width();
    if (glyph == QLatin1String("close")) {
        p.drawLine(b.topLeft(), b.bottomRight());
        p.drawLine(b.topRight(), b.bottomLeft());
    } else if (glyph == QLatin1String("min")) {
        p.drawLine(QPointF(b.left(), b.center().y()), QPointF(b.right(), b.center().y()));
    } else if (glyph == QLatin1String("max")) {
        p.drawRect(b);
    } else if (glyph == QLatin1String("restore")) {
        p.drawRect(b.adjusted(0, w * 0.3, -w * 0.3, 0));
        QPainterPath back;
        back.moveTo(b.left() + w * 0.3, b.top() + w * 0.3);
        back.lineTo(b.left() + w * 0.3, b.top());
        back.lineTo(b.right(), b.top());
        back.lineTo(b.right(), b.bottom() - w * 0.3);
        back.lineTo(b.right() - w * 0.3, b.bottom() - w * 0.3);
        p.drawPath(back);
    } else if (glyph == QLatin1String("prev") || glyph == QLatin1String("next")) {
        const bool next = glyph == QLatin1String("next");
        const qreal tip = next ? b.right() - w * 0.25 : b.left() + w * 0.25;
        const qreal tail = next ? b.left() + w * 0.3 : b.right() - w * 0.3;
        p.drawLine(QPointF(tail, b.top()), QPointF(tip, b.center().y()));
        p.drawLine(QPointF(tip, b.center().y()), QPointF(tail, b.bottom()));
    } else if (glyph == QLatin1String("menu")) {
        for (int i = 0; i < 3; ++i) {
            const qreal y = b.top() + w * (0.15 + 0.35 * i);
            p.drawLine(QPointF(b.left(), y), QPointF(b.right(), y));
        }
    } else if (glyph == QLatin1String("skin")) {
        // A palette with three paint wells.
        QPainterPath palette;
        palette.addEllipse(b);
        p.drawPath(palette);
        p.save();
        p.setBrush(p.pen().color());
        const qreal r = w * 0.09;
        p.drawEllipse(QPointF(b.left() + w * 0.32, b.top() + w * 0.34), r, r);
        p.drawEllipse(QPointF(b.left() + w * 0.62, b.top() + w * 0.28), r, r);
        p.drawEllipse(QPointF(b.left() + w * 0.72, b.top() + w * 0.58), r, r);
        p.restore();
    } else if (glyph == QLatin1String("settings")) {
        // A gear: eight teeth around a ring.
        const QPointF c = b.center();
        const qreal outer = w * 0.5;
        const qreal inner = w * 0.36;
        QPainterPath gear;
        for (int i = 0; i < 16; ++i) {
            const qreal a0 = (i * 22.5 - 6) * M_PI / 180.0;
            const qreal a1 = (i * 22.5 + 6) * M_PI / 180.0;
            const qreal r = (i % 2 == 0) ? outer : inner;
            const QPointF p0(c.x() + r * qCos(a0), c.y() + r * qSin(a0));
            const QPointF p1(c.x() + r * qCos(a1), c.y() + r * qSin(a1));
            if (i == 0) gear.moveTo(p0);
            else gear.lineTo(p0);
            gear.lineTo(p1);
        }
        gear.closeSubpath();
        p.drawPath(gear);
        p.drawEllipse(c, w * 0.14, w * 0.14);
    } else {
        return false;
    }
    return true;
}

QPixmap Draw(const QString& glyph, int size, const QColor& colour, bool* known) {
    QPixmap pixmap(size * 2, size * 2);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, qMax(1.2, size / 12.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal m = size * 0.22;
    *known = DrawGlyph(p, glyph, QRectF(m, m, size - 2 * m, size - 2 * m));
    return pixmap;
}

}  // namespace

QIcon GlyphIcon(const QString& glyph, int size, const QColor& normal, const QColor& active) {
    bool known = false;
    const QPixmap idle = Draw(glyph.toLower(), size, normal, &known);
    if (!known) return QIcon();
    const QPixmap hot = Draw(glyph.toLower(), size, active, &known);
    QIcon icon;
    icon.addPixmap(idle, QIcon::Normal);
    icon.addPixmap(hot, QIcon::Active);
    icon.addPixmap(hot, QIcon::Selected);
    return icon;
}

}  // namespace ivra::controls
