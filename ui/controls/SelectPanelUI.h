// The picture of a device: a container of key buttons placed by position,
// over which the user drags a rectangle to select several buttons at once.
// When a drag ends, every key button child the rectangle touches is
// selected and every other one deselected, and "click_select_end" is sent.
// A click without a move selects nothing and sends nothing.
//
// Optional skin attributes: "bkcolor" (the panel's background) and
// "chassis" = "keyboard" (draws the keyboard's case behind the keys).
//
// The panel draws its key buttons itself, all in one pass over the area Qt
// asks for: the backdrop (from a cached picture, and only where no button
// covers it) and then each button the area touches, with its cached layers
// and its light. A frame that changes many lights costs one paint, not one
// per key. Where the backdrop is opaque, a child surface below the buttons
// takes those paints, so that Qt does not repaint the page behind the panel
// at every frame (the panel's own corners may let the page show through).
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QPointer>
#include <QWidget>

class QRubberBand;

namespace ivra::controls {

class DeviceKeyButtonUI;

class SelectPanelUI : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "SelectPanel";

    explicit SelectPanelUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassName); }

    // The key buttons that sit directly in the panel, in child order.
    QList<DeviceKeyButtonUI*> KeyButtons() const;
    QList<DeviceKeyButtonUI*> SelectedButtons() const;

    // Keyboard focus: the picture is one stop of the focus chain, held by
    // one key (the first at first, then the last one focused); the arrow
    // keys move between keys. A key that may not be picked passes the stop
    // on to the next one that may.
    void AdoptKeyFocus(DeviceKeyButtonUI* button);
    void SetFocusKey(DeviceKeyButtonUI* button);
    DeviceKeyButtonUI* FocusKey() const { return focusKey_; }
    // The nearest shown, enabled key from `from` in the arrow's direction;
    // null when there is none that way.
    DeviceKeyButtonUI* NeighbourOf(const DeviceKeyButtonUI* from, Qt::Key arrow) const;

    bool IsDragging() const { return dragging_; }
    // The rectangle of the drag in progress; empty when there is none.
    QRect SelectionRect() const { return dragging_ ? selection_ : QRect(); }

    // Paints what the panel shows behind its buttons in `area` (panel
    // coordinates) with the area's top left at the painter's origin: a key
    // button caches it under its cap, so that repainting a key's light does
    // not repaint the panel.
    void PaintBackdrop(class QPainter& painter, const QRect& area) const;

    // The opaque child below the buttons that draws them where the backdrop
    // covers everything; not one of the panel's controls.
    QWidget* PaintSurface() const { return surface_; }

    // Draws the backdrop and the buttons in `region` (panel coordinates);
    // the panel's paints and its surface's come here.
    void PaintArea(class QPainter& painter, const QRegion& region);

    // Paints so far, of the panel or its surface (for tests and benchmarks).
    int PaintCount() const { return paints_; }

signals:
    // After the selection flags changed ("click_select_end").
    void SelectionEnded();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
    // Follows the keys' enabled and shown state for the focus stop.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintChassis(class QPainter& painter) const;
    const QPixmap& Backdrop(qreal ratio);
    // Places the surface over the opaque part of the backdrop, or hides it.
    void PlaceSurface();

    static bool CanTakeFocus(const DeviceKeyButtonUI* button);

    QWidget* surface_ = nullptr;
    QPointer<DeviceKeyButtonUI> focusKey_;

    bool pressed_ = false;
    bool dragging_ = false;
    QPoint start_;
    QPoint end_;
    QRect selection_;
    QPointer<QRubberBand> band_;  // drawn over the buttons while dragging
    QPixmap backdrop_;            // PaintBackdrop over the whole panel
    bool backdropStale_ = true;
    int paints_ = 0;
};

}  // namespace ivra::controls
