// The picture of a device: a container of key buttons placed by position,
// over which the user drags a rectangle to select several buttons at once.
// When a drag ends, every key button child the rectangle touches is
// selected and every other one deselected, and "click_select_end" is sent.
// A click without a move selects nothing and sends nothing.
//
// Optional skin attributes: "bkcolor" (the panel's background) and
// "chassis" = "keyboard" (draws the keyboard's case behind the keys).
#pragma once

#include <QPoint>
#include <QRect>
#include <QPointer>
#include <QWidget>

class QRubberBand;

namespace ivra::controls {

class CDeviceKeyButtonUI;

class CSelectPanelUI : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "SelectPanel";

    explicit CSelectPanelUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassName); }

    // The key buttons that sit directly in the panel, in child order.
    QList<CDeviceKeyButtonUI*> KeyButtons() const;
    QList<CDeviceKeyButtonUI*> SelectedButtons() const;

    bool IsDragging() const { return dragging_; }
    // The rectangle of the drag in progress; empty when there is none.
    QRect SelectionRect() const { return dragging_ ? selection_ : QRect(); }

    // Paints what the panel shows behind its buttons in `area` (panel
    // coordinates) with the area's top left at the painter's origin: a key
    // button caches it under its cap, so that repainting a key's light does
    // not repaint the panel.
    void PaintBackdrop(class QPainter& painter, const QRect& area) const;

signals:
    // After the selection flags changed ("click_select_end").
    void SelectionEnded();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void PaintChassis(class QPainter& painter) const;

    bool pressed_ = false;
    bool dragging_ = false;
    QPoint start_;
    QPoint end_;
    QRect selection_;
    QPointer<QRubberBand> band_;  // drawn over the buttons while dragging
};

}  // namespace ivra::controls
