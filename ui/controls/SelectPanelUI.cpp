#include "controls/SelectPanelUI.h"

#include <cmath>

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include "controls/ControlNotify.h"
#include "controls/DeviceKeyButtonUI.h"

namespace ivra::controls {
namespace {

// The rectangle spanned by two corner points, whichever way they lie.
QRect Span(QPoint a, QPoint b) {
    return QRect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())), QPoint(qMax(a.x(), b.x()), qMax(a.y(), b.y())));
}

}  // namespace

// Covers the largest inset rectangle of the panel whose backdrop is opaque
// and paints the panel there; it lets the mouse through to the panel.
class SelectPanelSurface final : public QWidget {
public:
    explicit SelectPanelSurface(SelectPanelUI* panel) : QWidget(panel), panel_(panel) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter painter(this);
        painter.translate(-pos());
        panel_->PaintArea(painter, e->region().translated(pos()));
    }

private:
    SelectPanelUI* panel_;
};

SelectPanelUI::SelectPanelUI(QWidget* parent) : QWidget(parent) {
    surface_ = new SelectPanelSurface(this);
    surface_->lower();
}

QList<DeviceKeyButtonUI*> SelectPanelUI::KeyButtons() const {
    return findChildren<DeviceKeyButtonUI*>(Qt::FindDirectChildrenOnly);
}

QList<DeviceKeyButtonUI*> SelectPanelUI::SelectedButtons() const {
    QList<DeviceKeyButtonUI*> selected;
    for (DeviceKeyButtonUI* button : KeyButtons()) {
        if (button->IsSelected()) selected.append(button);
    }
    return selected;
}

void SelectPanelUI::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && isEnabled()) {
        pressed_ = true;
        dragging_ = false;
        start_ = end_ = e->position().toPoint();
        selection_ = QRect();
    }
    QWidget::mousePressEvent(e);
}

void SelectPanelUI::mouseMoveEvent(QMouseEvent* e) {
    if (pressed_) {
        dragging_ = true;
        end_ = e->position().toPoint();
        selection_ = Span(start_, end_);
        if (band_ == nullptr) {
            band_ = new QRubberBand(QRubberBand::Rectangle, this);
            band_->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        band_->setGeometry(selection_);
        band_->raise();
        band_->show();
    }
    QWidget::mouseMoveEvent(e);
}

void SelectPanelUI::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    pressed_ = false;
    if (!dragging_) return;  // a click: no selection
    dragging_ = false;
    end_ = e->position().toPoint();
    selection_ = Span(start_, end_);
    start_ = end_;
    for (DeviceKeyButtonUI* button : KeyButtons()) {
        // A hidden button is not on the picture, so the band cannot touch it.
        button->SetSelected(!button->isHidden() && button->geometry().intersects(selection_));
    }
    selection_ = QRect();
    if (band_ != nullptr) band_->hide();
    NotifyFrom(this, QStringLiteral("click_select_end"));
    emit SelectionEnded();
}

void SelectPanelUI::PaintChassis(QPainter& painter) const {
    const QRectF body = QRectF(rect()).adjusted(1, 1, -1, -1);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, QColor(0x2B, 0x2F, 0x3A));
    fill.setColorAt(1.0, QColor(0x1C, 0x1F, 0x27));
    painter.setPen(QPen(QColor(0x3A, 0x3F, 0x4D), 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, 14, 14);
    // A thin highlight along the top edge gives the case some depth.
    painter.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    painter.drawLine(QPointF(body.left() + 14, body.top() + 1.5), QPointF(body.right() - 14, body.top() + 1.5));
}

void SelectPanelUI::PaintBackdrop(QPainter& painter, const QRect& area) const {
    painter.save();
    painter.translate(-area.topLeft());
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor background(property("bkcolor").toString());
    if (background.isValid()) painter.fillRect(rect(), background);
    if (property("chassis").toString() == QLatin1String("keyboard")) PaintChassis(painter);
    painter.restore();
}

bool SelectPanelUI::event(QEvent* e) {
    if (e->type() == QEvent::DynamicPropertyChange || e->type() == QEvent::Resize) {
        backdropStale_ = true;
        PlaceSurface();
    }
    if (e->type() == QEvent::ChildAdded && surface_ != nullptr) surface_->lower();
    return QWidget::event(e);
}

void SelectPanelUI::PlaceSurface() {
    if (surface_ == nullptr) return;
    QImage image(size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        PaintBackdrop(painter, rect());
    }
    // The backdrop is a filled rectangle or a convex case: the first inset
    // whose corners are opaque is the surface, once every pixel of it is
    // checked. One more pixel on each side leaves room for rounding at
    // other pixel ratios.
    auto opaqueAt = [&](int x, int y) { return qAlpha(image.pixel(x, y)) == 255; };
    QRect found;
    for (int inset = 0; inset * 2 < qMin(width(), height()) && found.isNull(); ++inset) {
        const QRect r = rect().adjusted(inset, inset, -inset, -inset);
        if (opaqueAt(r.left(), r.top()) && opaqueAt(r.right(), r.top()) && opaqueAt(r.left(), r.bottom()) &&
            opaqueAt(r.right(), r.bottom())) {
            found = inset == 0 ? r : r.adjusted(1, 1, -1, -1);
        }
    }
    for (int y = found.top(); !found.isEmpty() && y <= found.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = found.left(); x <= found.right(); ++x) {
            if (qAlpha(line[x]) != 255) {
                found = QRect();
                break;
            }
        }
    }
    if (found.isEmpty()) {
        surface_->hide();
        return;
    }
    surface_->setGeometry(found);
    surface_->show();
    surface_->lower();
}

const QPixmap& SelectPanelUI::Backdrop(qreal ratio) {
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (backdropStale_ || backdrop_.size() != pixels || backdrop_.devicePixelRatio() != ratio) {
        backdropStale_ = false;
        backdrop_ = QPixmap(pixels);
        backdrop_.setDevicePixelRatio(ratio);
        backdrop_.fill(Qt::transparent);
        QPainter painter(&backdrop_);
        PaintBackdrop(painter, rect());
    }
    return backdrop_;
}

bool SelectPanelUI::CanTakeFocus(const DeviceKeyButtonUI* button) {
    return button != nullptr && button->isEnabled() && !button->isHidden();
}

void SelectPanelUI::AdoptKeyFocus(DeviceKeyButtonUI* button) {
    button->installEventFilter(this);
    if (!focusKey_ && CanTakeFocus(button)) {
        SetFocusKey(button);
    } else if (button != focusKey_) {
        // A click still focuses the key, which then holds the stop.
        button->setFocusPolicy(Qt::ClickFocus);
    }
}

void SelectPanelUI::SetFocusKey(DeviceKeyButtonUI* button) {
    if (focusKey_ == button) return;
    if (focusKey_) focusKey_->setFocusPolicy(Qt::ClickFocus);
    focusKey_ = button;
    if (button != nullptr) button->setFocusPolicy(Qt::StrongFocus);
}

bool SelectPanelUI::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::EnabledChange || type == QEvent::HideToParent || type == QEvent::ShowToParent) {
        auto* button = qobject_cast<DeviceKeyButtonUI*>(watched);
        if (button != nullptr && button->parentWidget() == this) {
            if (button == focusKey_ && !CanTakeFocus(button)) {
                // The stop passes to the first key that may be picked.
                DeviceKeyButtonUI* next = nullptr;
                for (DeviceKeyButtonUI* key : KeyButtons()) {
                    if (CanTakeFocus(key)) {
                        next = key;
                        break;
                    }
                }
                SetFocusKey(next);
            } else if (!CanTakeFocus(focusKey_) && CanTakeFocus(button)) {
                SetFocusKey(button);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

DeviceKeyButtonUI* SelectPanelUI::NeighbourOf(const DeviceKeyButtonUI* from, Qt::Key arrow) const {
    if (from == nullptr) return nullptr;
    const QPointF origin = QRectF(from->geometry()).center();
    DeviceKeyButtonUI* best = nullptr;
    qreal bestScore = 0;
    for (DeviceKeyButtonUI* key : KeyButtons()) {
        if (key == from || !CanTakeFocus(key)) continue;
        const QPointF d = QRectF(key->geometry()).center() - origin;
        // Along the arrow, and how far off to the side.
        qreal along = 0;
        qreal aside = 0;
        switch (arrow) {
            case Qt::Key_Right:
                along = d.x();
                aside = d.y();
                break;
            case Qt::Key_Left:
                along = -d.x();
                aside = d.y();
                break;
            case Qt::Key_Down:
                along = d.y();
                aside = d.x();
                break;
            case Qt::Key_Up:
                along = -d.y();
                aside = d.x();
                break;
            default: return nullptr;
        }
        if (along <= 1.0) continue;
        const qreal score = along + 2.0 * std::abs(aside);
        if (best == nullptr || score < bestScore) {
            best = key;
            bestScore = score;
        }
    }
    return best;
}

void SelectPanelUI::paintEvent(QPaintEvent* e) {
    QPainter painter(this);
    PaintArea(painter, e->region());
}

void SelectPanelUI::PaintArea(QPainter& painter, const QRegion& region) {
    ++paints_;
    const QRect bounds = region.boundingRect();
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : devicePixelRatioF();

    // The buttons in the area, in stacking order; their layers are brought
    // up to date first, since they tell where the backdrop shows.
    QList<DeviceKeyButtonUI*> buttons;
    QRegion backdrop = region;
    for (DeviceKeyButtonUI* button : KeyButtons()) {
        if (button->isHidden()) continue;
        const QRect geometry = button->geometry();
        if (!bounds.intersects(geometry) || !region.intersects(geometry)) continue;
        button->PrepareLayers(ratio);
        buttons.append(button);
        if (button->CoversBackdrop()) backdrop -= geometry;
    }
    if (!backdrop.isEmpty()) {
        painter.setClipRegion(backdrop);
        painter.drawPixmap(0, 0, Backdrop(ratio));
        painter.setClipping(false);
    }
    for (DeviceKeyButtonUI* button : buttons) {
        const QPoint at = button->pos();
        painter.translate(at);
        button->DrawKey(painter);
        painter.translate(-at);
    }
}

}  // namespace ivra::controls
