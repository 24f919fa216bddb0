// A colour picker drawn by itself: a field of hue (left to right) and
// saturation (full at the top, none at the bottom) at full value, and
// beside it a strip of value (full at the top, black at the bottom) for the
// chosen hue and saturation. A click or a drag picks a colour; when the
// button is released, or an arrow key (hue, saturation) or Page Up/Down
// (value) changes it, the control sends "colorchanged" with the colour as
// 0xRRGGBB in wParam. SetColour shows a colour without sending anything.
//
// Painting is cheap: the field and the strip are cached images, rebuilt
// only when the size changes (the field) or the hue and saturation change
// (the strip, which is a few pixels wide); a paint draws the two images and
// the markers. Accessibility: the control is a colour chooser whose value
// is the colour as "#RRGGBB".
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace ivra::controls {

class ColourPaletteUI : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "ColourPalette";

    explicit ColourPaletteUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassName); }

    // The colour shown (opaque).
    QColor Colour() const;
    void SetColour(const QColor& colour);

    // The colour a click at `point` (widget coordinates) picks; the current
    // colour where the point is outside the field and the strip.
    QColor ColourAt(QPoint point) const;

    // Where the field and the strip lie (widget coordinates).
    QRect FieldRect() const;
    QRect StripRect() const;

    // Times the cached field image was built (for tests and benchmarks).
    int FieldBuildCount() const { return fieldBuilds_; }

    QSize sizeHint() const override { return {160, 84}; }
    QSize minimumSizeHint() const override { return {60, 40}; }

signals:
    // Sent with "colorchanged".
    void ColourPicked(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    enum class Area { kNone, kField, kStrip };
    Area AreaAt(QPoint point) const;
    void PickAt(QPoint point, Area area);
    void SetHsv(int hue, int saturation, int value);
    void SetShown(QRgb colour);
    void Picked();
    const QImage& Field(qreal ratio);
    const QImage& Strip(qreal ratio);

    int hue_ = 0;  // 0..359
    int saturation_ = 255;
    int value_ = 255;
    QRgb colour_ = 0xFFFF0000u;  // what Colour() answers, as picked or set
    Area dragging_ = Area::kNone;
    QImage field_;
    QImage strip_;
    int stripHue_ = -1;
    int stripSaturation_ = -1;
    int fieldBuilds_ = 0;
};

}  // namespace ivra::controls
