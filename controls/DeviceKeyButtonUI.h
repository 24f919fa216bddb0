// A key or LED on a device picture ("key_" + position, "light_" + LED).
//
// It draws itself: an optional key cap ("bkcolor", "bordercolor"), the LED
// preview while the light is on ("lightimage" names the preview's shape:
// "keycap" fills the cap, "dot" a round LED, "bar" a strip along the bottom;
// empty draws none), the legend, the selection mark of the selection panel's
// rubber band, and the key-setting mark while it is not hidden
// ("keysetimage" names it; empty draws none). Skin attributes arrive as
// dynamic properties; "gmnametextcolor" is accepted and not used.
#pragma once

#include <QColor>
#include <QPushButton>
#include <QString>

namespace ivra::controls {

class CDeviceKeyButtonUI : public QPushButton {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "DeviceKeyButton";

    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassName); }

    void SetLightImage(const QString& shape);
    QString LightImage() const { return lightImage_; }
    void SetKeySetImage(const QString& mark);
    QString KeySetImage() const { return keySetImage_; }
    void SetHideKeySetImage(bool hide);
    bool IsKeySetImageHidden() const { return hideKeySetImage_; }

    // The LED preview: on or off, its colour and its level (0..255).
    void SetLight(bool on, const QColor& colour, int level);
    bool IsLightOn() const { return lightOn_; }
    QColor LightColour() const { return lightColour_; }
    int LightLevel() const { return lightLevel_; }

    // Set by the selection panel's rubber band.
    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

    // The mark a selected button is drawn with.
    static QColor SelectionColour();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QColor PropertyColour(const char* name, const QColor& fallback) const;
    void PaintLight(class QPainter& painter, const QRectF& cap, qreal radius) const;

    QString lightImage_;
    QString keySetImage_;
    bool hideKeySetImage_ = true;
    bool lightOn_ = false;
    QColor lightColour_ = QColor(0x00, 0x00, 0xFF);
    int lightLevel_ = 200;
    bool selected_ = false;
};

}  // namespace ivra::controls
