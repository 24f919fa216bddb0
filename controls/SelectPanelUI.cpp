#include "controls/SelectPanelUI.h"

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

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {}

QList<CDeviceKeyButtonUI*> CSelectPanelUI::KeyButtons() const {
    return findChildren<CDeviceKeyButtonUI*>(Qt::FindDirectChildrenOnly);
}

QList<CDeviceKeyButtonUI*> CSelectPanelUI::SelectedButtons() const {
    QList<CDeviceKeyButtonUI*> selected;
    for (CDeviceKeyButtonUI* button : KeyButtons()) {
        if (button->IsSelected()) selected.append(button);
    }
    return selected;
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && isEnabled()) {
        pressed_ = true;
        dragging_ = false;
        start_ = end_ = e->position().toPoint();
        selection_ = QRect();
    }
    QWidget::mousePressEvent(e);
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* e) {
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

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* e) {
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
    for (CDeviceKeyButtonUI* button : KeyButtons()) {
        // A hidden button is not on the picture, so the band cannot touch it.
        button->SetSelected(!button->isHidden() && button->geometry().intersects(selection_));
    }
    selection_ = QRect();
    if (band_ != nullptr) band_->hide();
    NotifyFrom(this, QStringLiteral("click_select_end"));
    emit SelectionEnded();
}

void CSelectPanelUI::PaintChassis(QPainter& painter) const {
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

void CSelectPanelUI::PaintBackdrop(QPainter& painter, const QRect& area) const {
    painter.save();
    painter.translate(-area.topLeft());
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor background(property("bkcolor").toString());
    if (background.isValid()) painter.fillRect(rect(), background);
    if (property("chassis").toString() == QLatin1String("keyboard")) PaintChassis(painter);
    painter.restore();
}

void CSelectPanelUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintBackdrop(painter, rect());
}

}  // namespace ivra::controls
