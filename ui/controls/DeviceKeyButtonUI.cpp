#include "controls/DeviceKeyButtonUI.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <QDynamicPropertyChangeEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "controls/ControlNotify.h"
#include "controls/SelectPanelUI.h"

namespace ivra::controls {
namespace {

const QColor kLegend(0xD8, 0xDC, 0xE6);
const QColor kLegendDisabled(0x6A, 0x70, 0x80);
const QColor kHover(0x7C, 0x86, 0x9C);
const QColor kSelection(0x3D, 0xA5, 0xFF);
const QColor kKeySetMark(0xFF, 0xB0, 0x3A);

}  // namespace

DeviceKeyButtonUI::DeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    FollowParent();
}

SelectPanelUI* DeviceKeyButtonUI::Panel() const {
    return qobject_cast<SelectPanelUI*>(parentWidget());
}

void DeviceKeyButtonUI::focusInEvent(QFocusEvent* e) {
    if (SelectPanelUI* panel = Panel()) panel->SetFocusKey(this);
    Repaint();
    QPushButton::focusInEvent(e);
}

void DeviceKeyButtonUI::focusOutEvent(QFocusEvent* e) {
    Repaint();
    QPushButton::focusOutEvent(e);
}

void DeviceKeyButtonUI::keyPressEvent(QKeyEvent* e) {
    // On a picture the arrow keys move between the keys; Tab leaves it.
    SelectPanelUI* panel = Panel();
    const int key = e->key();
    if (panel != nullptr && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        if (DeviceKeyButtonUI* next = panel->NeighbourOf(this, static_cast<Qt::Key>(key))) {
            next->setFocus(Qt::TabFocusReason);
        }
        e->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        click();
        e->accept();
        return;
    }
    QPushButton::keyPressEvent(e);
}

void DeviceKeyButtonUI::FollowParent() {
    // On a panel the button paints nothing itself, so Qt has no background
    // to fill behind it either.
    const bool onPanel = Panel() != nullptr;
    setAttribute(Qt::WA_NoSystemBackground, onPanel);
    if (onPanel) setAttribute(Qt::WA_OpaquePaintEvent, false);
    // The picture is one stop of the focus chain: the panel says which key.
    if (SelectPanelUI* panel = Panel()) panel->AdoptKeyFocus(this);
}

void DeviceKeyButtonUI::Repaint() {
    // The panel draws the button, so its area of the panel is repainted; the
    // areas of one frame's buttons are painted together. (Qt's own repaints
    // of the button, for hover or press, reach the panel as well, since the
    // button is not opaque.)
    if (SelectPanelUI* panel = Panel(); panel != nullptr && isVisible()) {
        panel->update(geometry());
    } else {
        update();
    }
}

QColor DeviceKeyButtonUI::SelectionColour() {
    return kSelection;
}

void DeviceKeyButtonUI::SetLightImage(const QString& shape) {
    lightImage_ = shape;
    Repaint();
}

void DeviceKeyButtonUI::SetKeySetImage(const QString& mark) {
    keySetImage_ = mark;
    Repaint();
}

void DeviceKeyButtonUI::SetHideKeySetImage(bool hide) {
    if (hideKeySetImage_ == hide) return;
    hideKeySetImage_ = hide;
    Repaint();
}

void DeviceKeyButtonUI::SetLight(bool on, const QColor& colour, int level) {
    const int clamped = qBound(0, level, 255);
    if (lightOn_ == on && lightColour_ == colour && lightLevel_ == clamped) return;
    lightOn_ = on;
    lightColour_ = colour;
    lightLevel_ = clamped;
    Repaint();
}

void DeviceKeyButtonUI::SetKeyInfo(const QString& label, const QString& assignment, bool unchanged) {
    keyLabel_ = label;
    assignment_ = assignment;
    setToolTip(label + QLatin1Char('\n') + assignment);
    SetHideKeySetImage(unchanged);
}

void DeviceKeyButtonUI::SetSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    Repaint();
}

bool DeviceKeyButtonUI::LayerKey::operator==(const LayerKey& other) const {
    return size == other.size && geometry == other.geometry && parentSize == other.parentSize && ratio == other.ratio &&
           enabled == other.enabled && down == other.down && hover == other.hover && focus == other.focus &&
           selected == other.selected && mark == other.mark && skin == other.skin && text == other.text &&
           font == other.font;
}

bool DeviceKeyButtonUI::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange) FollowParent();
    if (e->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(e)->propertyName();
        if (name == "lightimage") {
            SetLightImage(property("lightimage").toString());
        } else if (name == "keysetimage") {
            SetKeySetImage(property("keysetimage").toString());
        } else {
            if (name == "bkcolor" || name == "bordercolor" || name == "textcolor") ReadSkinColours();
            Repaint();
        }
    }
    return QPushButton::event(e);
}

void DeviceKeyButtonUI::ReadSkinColours() {
    background_ = PropertyColour("bkcolor", QColor());
    border_ = PropertyColour("bordercolor", QColor());
    textColour_ = PropertyColour("textcolor", QColor());
    ++skinGeneration_;
}

QColor DeviceKeyButtonUI::PropertyColour(const char* name, const QColor& fallback) const {
    const QVariant value = property(name);
    if (!value.isValid()) return fallback;
    const QColor colour(value.toString().trimmed());
    return colour.isValid() ? colour : fallback;
}

void DeviceKeyButtonUI::PaintLight(QPainter& painter, const QRectF& cap, qreal radius) const {
    // The level scales the LED's intensity: 0 is dark whatever the colour.
    QColor lit = lightColour_;
    lit.setAlpha(lightLevel_);
    if (lightImage_ == QLatin1String("dot")) {
        const qreal d = qMin(cap.width(), cap.height()) * 0.45;
        QRadialGradient glow(cap.center(), d);
        glow.setColorAt(0.0, lit);
        QColor edge = lit;
        edge.setAlpha(0);
        glow.setColorAt(1.0, edge);
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(cap.center(), d, d);
        return;
    }
    if (lightImage_ == QLatin1String("bar")) {
        const qreal h = qMax<qreal>(3.0, cap.height() * 0.14);
        painter.setPen(Qt::NoPen);
        painter.setBrush(lit);
        painter.drawRoundedRect(QRectF(cap.left() + 3, cap.bottom() - h - 2, cap.width() - 6, h), h / 2, h / 2);
        return;
    }
    // "keycap": the cap itself glows, brightest at its centre.
    const QRectF inner = cap.adjusted(2, 2, -2, -2);
    QLinearGradient fill(inner.topLeft(), inner.bottomLeft());
    QColor top = lit;
    top.setAlpha(lightLevel_ * 3 / 4);
    fill.setColorAt(0.0, top);
    fill.setColorAt(0.55, lit);
    fill.setColorAt(1.0, top);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(inner, qMax<qreal>(1.0, radius - 1), qMax<qreal>(1.0, radius - 1));
}

QRectF DeviceKeyButtonUI::CapRect() const {
    return QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
}

qreal DeviceKeyButtonUI::CapRadius(const QRectF& cap) const {
    return qMin<qreal>(6.0, qMin(cap.width(), cap.height()) / 5.0);
}

void DeviceKeyButtonUI::BuildLayers(const LayerKey& key) {
    ++layerBuilds_;
    layerKey_ = key;
    const QSize pixels = (QSizeF(key.size) * key.ratio).toSize();
    under_ = QPixmap(pixels);
    under_.setDevicePixelRatio(key.ratio);
    under_.fill(Qt::transparent);
    over_ = QPixmap(pixels);
    over_.setDevicePixelRatio(key.ratio);
    over_.fill(Qt::transparent);
    const QRectF cap = CapRect();
    const qreal radius = CapRadius(cap);

    auto* panel = qobject_cast<const SelectPanelUI*>(parentWidget());
    {
        QPainter painter(&under_);
        if (panel != nullptr) panel->PaintBackdrop(painter, key.geometry);
        painter.setRenderHint(QPainter::Antialiasing);
        if (background_.isValid()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(background_);
            painter.drawRoundedRect(cap, radius, radius);
        }
    }
    // Opaque only where the backdrop covers every pixel: then nothing behind
    // the button needs repainting when its light changes.
    bool opaque = panel != nullptr;
    QImage image;
    if (opaque) {
        image = under_.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; opaque && y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(line[x]) != 255) {
                    opaque = false;
                    break;
                }
            }
        }
    }
    if (opaque) {
        // Without an alpha channel the layer is copied, not blended.
        under_ = QPixmap::fromImage(image.convertToFormat(QImage::Format_RGB32));
        under_.setDevicePixelRatio(key.ratio);
    }
    coversBackdrop_ = opaque;

    QPainter painter(&over_);
    painter.setRenderHint(QPainter::Antialiasing);
    if (border_.isValid()) {
        painter.setPen(QPen(border_, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(cap, radius, radius);
    }
    if (key.down) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 40));
        painter.drawRoundedRect(cap, radius, radius);
    }
    if (!key.text.isEmpty()) {
        // A soft shadow keeps the legend readable over a brightly lit cap.
        const QRect area = rect().adjusted(2, 1, -2, -1);
        const int flags = Qt::AlignCenter | Qt::TextWordWrap;
        painter.setFont(key.font);
        painter.setPen(QColor(0, 0, 0, 150));
        painter.drawText(area.translated(0, 1), flags, key.text);
        painter.setPen(textColour_.isValid() ? textColour_ : (key.enabled ? kLegend : kLegendDisabled));
        painter.drawText(area, flags, key.text);
    }
    if (key.focus) {
        // The keyboard's place on the picture: a ring outside the cap.
        painter.setPen(QPen(kLegend, 1.5, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), radius + 1, radius + 1);
    }
    if (key.selected) {
        painter.setPen(QPen(kSelection, 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    } else if (key.hover) {
        painter.setPen(QPen(kHover, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(cap, radius, radius);
    }
    if (key.mark) {
        // A changed key carries a small corner mark.
        const qreal size = qMax<qreal>(6.0, qMin(cap.width(), cap.height()) * 0.28);
        QPainterPath corner;
        corner.moveTo(cap.right() - size, cap.top());
        corner.lineTo(cap.right() - radius / 2, cap.top());
        corner.lineTo(cap.right(), cap.top() + radius / 2);
        corner.lineTo(cap.right(), cap.top() + size);
        corner.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(kKeySetMark);
        painter.drawPath(corner);
    }
}

void DeviceKeyButtonUI::PrepareLayers(qreal ratio) {
    LayerKey key;
    key.size = size();
    key.geometry = geometry();
    key.parentSize = parentWidget() != nullptr ? parentWidget()->size() : QSize();
    key.ratio = ratio;
    key.text = text();
    key.font = font();
    key.enabled = isEnabled();
    key.down = isDown();
    key.hover = underMouse() && isEnabled();
    key.focus = hasFocus();
    key.selected = selected_;
    key.mark = !hideKeySetImage_ && !keySetImage_.isEmpty();
    key.skin = skinGeneration_;
    if (under_.isNull() || !(key == layerKey_)) BuildLayers(key);
}

void DeviceKeyButtonUI::DrawKey(QPainter& painter) {
    ++paints_;
    PrepareLayers(painter.device() != nullptr ? painter.device()->devicePixelRatioF() : devicePixelRatioF());
    painter.drawPixmap(0, 0, under_);
    if (lightOn_ && !lightImage_.isEmpty()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF cap = CapRect();
        PaintLight(painter, cap, CapRadius(cap));
        painter.restore();
    }
    painter.drawPixmap(0, 0, over_);
}

void DeviceKeyButtonUI::paintEvent(QPaintEvent*) {
    // On a selection panel the panel draws every key in one pass.
    if (Panel() != nullptr) return;
    QPainter painter(this);
    DrawKey(painter);
}

void DeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* e) {
    // Disabled buttons never get here: Qt keeps input from them.
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        setDown(true);
        Repaint();
        NotifyFrom(this, QStringLiteral("dbclick"));
        e->accept();
        return;
    }
    QPushButton::mouseDoubleClickEvent(e);
}

}  // namespace ivra::controls
