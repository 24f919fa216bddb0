#include "controls/HandImgButtonUI.h"

#include <QDynamicPropertyChangeEvent>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "controls/ControlNotify.h"
#include "controls/SkinImage.h"

namespace ivra::controls {
namespace {

// The display's scale against 96 DPI, as the skin's sizes are given.
qreal DpiFactor(const QWidget* widget) {
    return widget->logicalDpiX() / 96.0;
}

// Enter and leave notifications of the picture buttons, while enabled.
void NotifyHover(QWidget* button, const QEvent* e) {
    if (!button->isEnabled()) return;
    if (e->type() == QEvent::Enter) NotifyFrom(button, QStringLiteral("msenter"));
    if (e->type() == QEvent::Leave) NotifyFrom(button, QStringLiteral("msleave"));
}

void PaintPicture(QPushButton* button, const QPixmap& picture) {
    if (picture.isNull()) return;
    QPainter painter(button);
    painter.drawPixmap(button->rect(), picture);
}

}  // namespace

HandImgButtonUI::HandImgButtonUI(QWidget* parent) : QPushButton(parent) {
    setMouseTracking(true);
}

void HandImgButtonUI::SetDeleteBadgeShown(bool shown) {
    if (badgeShown_ == shown) return;
    badgeShown_ = shown;
    update();
}

QRect HandImgButtonUI::DeleteBadgeRect() const {
    const qreal f = DpiFactor(this);
    return QRect(width() - qRound(30 * f), height() - qRound(29 * f), qRound(20 * f), qRound(20 * f));
}

bool HandImgButtonUI::BadgeActive() const {
    return badgeShown_ && underMouse() && isEnabled();
}

QPixmap HandImgButtonUI::Image(const char* property) const {
    return SkinImage(this, this->property(property).toString());
}

bool HandImgButtonUI::event(QEvent* e) {
    NotifyHover(this, e);
    if (e->type() == QEvent::Leave) overBadge_ = false;
    if (e->type() == QEvent::Enter || e->type() == QEvent::Leave || e->type() == QEvent::DynamicPropertyChange) {
        update();
    }
    return QPushButton::event(e);
}

void HandImgButtonUI::mouseMoveEvent(QMouseEvent* e) {
    const bool over = DeleteBadgeRect().contains(e->position().toPoint());
    if (over != overBadge_) {
        overBadge_ = over;
        update();
    }
    QPushButton::mouseMoveEvent(e);
}

void HandImgButtonUI::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && BadgeActive() && DeleteBadgeRect().contains(e->position().toPoint())) {
        // The badge deletes: no click.
        setDown(false);
        e->accept();
        NotifyFrom(this, QStringLiteral("click_handdelete"));
        return;
    }
    QPushButton::mouseReleaseEvent(e);
}

void HandImgButtonUI::paintEvent(QPaintEvent* e) {
    QPushButton::paintEvent(e);
    PaintPicture(this, Image("handimage"));
    if (!BadgeActive()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect badge = DeleteBadgeRect();
    const QPixmap image = overBadge_ ? Image("deletehotimage") : Image("deletenormalimage");
    if (!image.isNull()) {
        painter.drawPixmap(badge, image);
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(overBadge_ ? QColor(0xE0, 0x4F, 0x4F) : QColor(0x8A, 0x90, 0x9C));
    painter.drawEllipse(badge);
    painter.setPen(QPen(Qt::white, badge.width() / 8.0, Qt::SolidLine, Qt::RoundCap));
    const QRectF cross =
        QRectF(badge).adjusted(badge.width() * 0.3, badge.height() * 0.3, -badge.width() * 0.3, -badge.height() * 0.3);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

HandImgSelectButtonUI::HandImgSelectButtonUI(QWidget* parent) : QPushButton(parent) {}

bool HandImgSelectButtonUI::CursorOfName(const QString& name, Qt::CursorShape& shape) {
    static const std::pair<const char*, Qt::CursorShape> kCursors[] = {
        {"arrow", Qt::ArrowCursor},    {"ibeam", Qt::IBeamCursor},        {"wait", Qt::WaitCursor},
        {"cross", Qt::CrossCursor},    {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},     {"sizenwse", Qt::SizeFDiagCursor}, {"sizenesw", Qt::SizeBDiagCursor},
        {"sizewe", Qt::SizeHorCursor}, {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor},   {"hand", Qt::PointingHandCursor},
    };
    for (const auto& [cursorName, cursorShape] : kCursors) {
        if (name.compare(QLatin1String(cursorName), Qt::CaseInsensitive) == 0) {
            shape = cursorShape;
            return true;
        }
    }
    return false;
}

void HandImgSelectButtonUI::SetCursorValue(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QCursor>()) {
        setCursor(value.value<QCursor>());
        return;
    }
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (CursorOfName(value.toString(), shape)) setCursor(shape);
}

bool HandImgSelectButtonUI::event(QEvent* e) {
    NotifyHover(this, e);
    if (e->type() == QEvent::DynamicPropertyChange) update();
    return QPushButton::event(e);
}

void HandImgSelectButtonUI::paintEvent(QPaintEvent* e) {
    QPushButton::paintEvent(e);
    PaintPicture(this, SkinImage(this, property("handimage").toString()));
}

}  // namespace ivra::controls
