#include "controls/ColourPaletteUI.h"

#include <algorithm>
#include <mutex>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/ControlNotify.h"

namespace ivra::controls {
namespace {

constexpr int kStripWidth = 14;
constexpr int kGap = 6;
constexpr int kHueStep = 6;
constexpr int kLevelStep = 16;

QRgb Opaque(const QColor& colour) {
    return colour.rgb() | 0xFF000000u;
}

// A colour chooser whose value is the colour it shows.
class ColourPaletteAccessible final : public QAccessibleWidget {
public:
    explicit ColourPaletteAccessible(ColourPaletteUI* palette)
        : QAccessibleWidget(palette, QAccessible::ColorChooser) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return static_cast<ColourPaletteUI*>(widget())->Colour().name(QColor::HexRgb).toUpper();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* PaletteAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("ivra::controls::ColourPaletteUI")) return nullptr;
    auto* palette = qobject_cast<ColourPaletteUI*>(object);
    return palette ? new ColourPaletteAccessible(palette) : nullptr;
}

}  // namespace

ColourPaletteUI::ColourPaletteUI(QWidget* parent) : QWidget(parent) {
    static std::once_flag factory;
    std::call_once(factory, [] { QAccessible::installFactory(PaletteAccessibleFactory); });
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QColor ColourPaletteUI::Colour() const {
    return QColor::fromRgb(colour_);
}

void ColourPaletteUI::SetColour(const QColor& colour) {
    if (!colour.isValid()) return;
    const QColor hsv = QColor::fromRgb(Opaque(colour)).toHsv();
    // Grey has no hue: the marker stays where the hue was.
    const int hue = hsv.hsvHue() < 0 ? hue_ : hsv.hsvHue();
    SetHsv(hue, hsv.hsvSaturation(), hsv.value());
    // The colour itself, not its rounding to whole degrees of hue.
    SetShown(Opaque(colour));
}

void ColourPaletteUI::SetShown(QRgb colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, Colour().name(QColor::HexRgb).toUpper());
        QAccessible::updateAccessibility(&event);
    }
}

QRect ColourPaletteUI::FieldRect() const {
    return QRect(0, 0, qMax(1, width() - kStripWidth - kGap), qMax(1, height()));
}

QRect ColourPaletteUI::StripRect() const {
    return QRect(qMax(1, width() - kStripWidth), 0, kStripWidth, qMax(1, height()));
}

ColourPaletteUI::Area ColourPaletteUI::AreaAt(QPoint point) const {
    if (FieldRect().contains(point)) return Area::kField;
    if (StripRect().contains(point)) return Area::kStrip;
    return Area::kNone;
}

QColor ColourPaletteUI::ColourAt(QPoint point) const {
    const QRect field = FieldRect();
    const QRect strip = StripRect();
    switch (AreaAt(point)) {
        case Area::kField: {
            const int x = point.x() - field.left();
            const int y = point.y() - field.top();
            const int hue = field.width() > 1 ? x * 359 / (field.width() - 1) : 0;
            const int saturation = field.height() > 1 ? 255 - y * 255 / (field.height() - 1) : 255;
            // A pick in the field of a black colour would stay black.
            return QColor::fromHsv(hue, saturation, value_ == 0 ? 255 : value_);
        }
        case Area::kStrip: {
            const int y = point.y() - strip.top();
            const int value = strip.height() > 1 ? 255 - y * 255 / (strip.height() - 1) : 255;
            return QColor::fromHsv(hue_, saturation_, value);
        }
        case Area::kNone: break;
    }
    return Colour();
}

void ColourPaletteUI::SetHsv(int hue, int saturation, int value) {
    hue = qBound(0, hue, 359);
    saturation = qBound(0, saturation, 255);
    value = qBound(0, value, 255);
    if (hue == hue_ && saturation == saturation_ && value == value_) return;
    hue_ = hue;
    saturation_ = saturation;
    value_ = value;
    update();
}

void ColourPaletteUI::PickAt(QPoint point, Area area) {
    const QRect box = area == Area::kField ? FieldRect() : StripRect();
    const QPoint inside(qBound(box.left(), point.x(), box.right()), qBound(box.top(), point.y(), box.bottom()));
    const QColor picked = ColourAt(inside).toHsv();
    if (area == Area::kField) {
        SetHsv(picked.hsvHue() < 0 ? hue_ : picked.hsvHue(), picked.hsvSaturation(), picked.value());
    } else {
        SetHsv(hue_, saturation_, picked.value());
    }
    SetShown(Opaque(picked));
}

void ColourPaletteUI::Picked() {
    const QColor colour = Colour();
    NotifyFrom(this, QStringLiteral("colorchanged"), static_cast<quintptr>(colour.rgb() & 0xFFFFFFu));
    emit ColourPicked(colour);
}

void ColourPaletteUI::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(e);
        return;
    }
    const QPoint point = e->position().toPoint();
    dragging_ = AreaAt(point);
    if (dragging_ != Area::kNone) PickAt(point, dragging_);
}

void ColourPaletteUI::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_ != Area::kNone) PickAt(e->position().toPoint(), dragging_);
    QWidget::mouseMoveEvent(e);
}

void ColourPaletteUI::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || dragging_ == Area::kNone) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    PickAt(e->position().toPoint(), dragging_);
    dragging_ = Area::kNone;
    Picked();
}

void ColourPaletteUI::keyPressEvent(QKeyEvent* e) {
    int hue = hue_;
    int saturation = saturation_;
    int value = value_;
    switch (e->key()) {
        case Qt::Key_Left: hue = (hue_ + 360 - kHueStep) % 360; break;
        case Qt::Key_Right: hue = (hue_ + kHueStep) % 360; break;
        case Qt::Key_Up: saturation += kLevelStep; break;
        case Qt::Key_Down: saturation -= kLevelStep; break;
        case Qt::Key_PageUp: value += kLevelStep; break;
        case Qt::Key_PageDown: value -= kLevelStep; break;
        default: QWidget::keyPressEvent(e); return;
    }
    const QColor before = Colour();
    SetHsv(hue, saturation, value);
    SetShown(Opaque(QColor::fromHsv(hue_, saturation_, value_)));
    if (Colour() != before) Picked();
}

void ColourPaletteUI::resizeEvent(QResizeEvent* e) {
    field_ = QImage();
    strip_ = QImage();
    QWidget::resizeEvent(e);
}

const QImage& ColourPaletteUI::Field(qreal ratio) {
    const QSize size = FieldRect().size() * ratio;
    if (field_.size() == size) return field_;
    field_ = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(field_.scanLine(y));
        const int saturation = size.height() > 1 ? 255 - y * 255 / (size.height() - 1) : 255;
        for (int x = 0; x < size.width(); ++x) {
            const int hue = size.width() > 1 ? x * 359 / (size.width() - 1) : 0;
            line[x] = QColor::fromHsv(hue, saturation, 255).rgb();
        }
    }
    field_.setDevicePixelRatio(ratio);
    ++fieldBuilds_;
    return field_;
}

const QImage& ColourPaletteUI::Strip(qreal ratio) {
    const QSize size = StripRect().size() * ratio;
    if (strip_.size() == size && stripHue_ == hue_ && stripSaturation_ == saturation_) return strip_;
    strip_ = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const int value = size.height() > 1 ? 255 - y * 255 / (size.height() - 1) : 255;
        const QRgb colour = QColor::fromHsv(hue_, saturation_, value).rgb();
        auto* line = reinterpret_cast<QRgb*>(strip_.scanLine(y));
        std::fill(line, line + size.width(), colour);
    }
    strip_.setDevicePixelRatio(ratio);
    stripHue_ = hue_;
    stripSaturation_ = saturation_;
    return strip_;
}

void ColourPaletteUI::paintEvent(QPaintEvent* /*e*/) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QRect field = FieldRect();
    const QRect strip = StripRect();
    painter.drawImage(field.topLeft(), Field(ratio));
    painter.drawImage(strip.topLeft(), Strip(ratio));
    if (!isEnabled()) {
        painter.fillRect(rect(), QColor(0x1C, 0x1F, 0x27, 150));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // The field's marker at the hue and saturation, the strip's at the value.
    const QPointF mark(field.left() + hue_ * (field.width() - 1) / 359.0,
                       field.top() + (255 - saturation_) * (field.height() - 1) / 255.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawEllipse(mark, 5, 5);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(mark, 5, 5);
    const qreal level = strip.top() + (255 - value_) * (strip.height() - 1) / 255.0;
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(QRectF(strip.left() - 1, level - 2, strip.width() + 1, 4));
    if (hasFocus()) {
        painter.setPen(QPen(QColor(0x3D, 0xA5, 0xFF), 1, Qt::DotLine));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

}  // namespace ivra::controls
