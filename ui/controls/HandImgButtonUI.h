// A picture button ("HandImgButton") with a small delete badge in its
// bottom-right corner, shown while the pointer is over the button once the
// owner allows it (SetDeleteBadgeShown). Releasing the left button over the
// badge sends "click_handdelete" instead of a click; elsewhere the button
// clicks as usual. It also tells "msenter" and "msleave" while enabled.
//
// Skin attributes (dynamic properties): "handimage" (the picture, a file
// below the skin folder, drawn over the button), "deletenormalimage" and
// "deletehotimage" (the badge; without them a drawn cross in a disc).
#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QVariant>

namespace ivra::controls {

class HandImgButtonUI : public QPushButton {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "HandImgButton";

    explicit HandImgButtonUI(QWidget* parent = nullptr);

    // The badge is drawn and answers only when this is on (off at first).
    void SetDeleteBadgeShown(bool shown);
    bool IsDeleteBadgeShown() const { return badgeShown_; }
    // The badge's square: 20 x 20, its left edge 30 and its top edge 29
    // from the button's right and bottom edges, scaled with the display.
    QRect DeleteBadgeRect() const;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool BadgeActive() const;
    QPixmap Image(const char* property) const;

    bool badgeShown_ = false;
    bool overBadge_ = false;
};

// A picture button ("HandImgSelectButton") that shows the cursor its
// "cursor" attribute names ("arrow", "ibeam", "wait", "cross", "uparrow",
// "size", "icon", "sizenwse", "sizenesw", "sizewe", "sizens", "sizeall",
// "no", "hand") and tells "msenter" and "msleave" while enabled.
class HandImgSelectButtonUI : public QPushButton {
    Q_OBJECT
    // The skin gives the cursor by name; a Qt cursor is taken as it is.
    Q_PROPERTY(QVariant cursor READ CursorValue WRITE SetCursorValue)
public:
    static constexpr const char* kClassName = "HandImgSelectButton";

    explicit HandImgSelectButtonUI(QWidget* parent = nullptr);

    // The Qt cursor of a cursor name; false for an unknown name, which keeps
    // the cursor as it is.
    static bool CursorOfName(const QString& name, Qt::CursorShape& shape);

    QVariant CursorValue() const { return QVariant::fromValue(cursor()); }
    void SetCursorValue(const QVariant& value);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};

}  // namespace ivra::controls
