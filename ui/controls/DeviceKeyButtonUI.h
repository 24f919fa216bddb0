// A key or LED on a device picture ("key_" + position, "light_" + LED).
//
// It draws itself: an optional key cap ("bkcolor", "bordercolor"), the LED
// preview while the light is on ("lightimage" names the preview's shape:
// "keycap" fills the cap, "dot" a round LED, "bar" a strip along the bottom;
// empty draws none), the legend, the selection mark of the selection panel's
// rubber band, and the key-setting mark while it is not hidden
// ("keysetimage" names it; empty draws none). Skin attributes arrive as
// dynamic properties; "gmnametextcolor" is accepted and not used. On a
// keyboard page one button is both the key and the light of its position.
//
// Painting is cheap because the light changes many times a second and
// nothing else does: the layers under the light (the cap) and over it (the
// border, the legend, the marks, the pressed, hover and selection states)
// are drawn once into two cached pixmaps, rebuilt only when the size, the
// text, the font, a state or a skin attribute changes; a paint draws the two
// pixmaps and the light between them. The skin's colours are read when
// their properties change, not at every paint. On a selection panel the
// panel draws all its buttons in one pass (one paint per frame, not one per
// key) and the buttons paint nothing themselves: they stay the widgets that
// take clicks, hover, tooltips and accessibility. There the lower layer also
// holds the panel's backdrop behind the button, so the panel draws no
// backdrop where a button covers it.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <QString>

namespace ivra::controls {

class SelectPanelUI;

class DeviceKeyButtonUI : public QPushButton {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "DeviceKeyButton";

    explicit DeviceKeyButtonUI(QWidget* parent = nullptr);

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

    // What the key is and does: its label, the name of its assignment, and
    // whether it does what its label says. The tooltip shows the first two;
    // the accessible name says all of it with the light.
    void SetKeyInfo(const QString& label, const QString& assignment, bool unchanged);
    QString KeyLabel() const { return keyLabel_; }
    QString AssignmentName() const { return assignment_; }
    bool IsUnchanged() const { return hideKeySetImage_; }

    // Set by the selection panel's rubber band.
    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

    // The mark a selected button is drawn with.
    static QColor SelectionColour();

    // Draws the button with its top left at the painter's origin: the
    // cached layers and the light between them. A selection panel calls it
    // for each of its buttons; a button elsewhere paints itself with it.
    void DrawKey(class QPainter& painter);
    // Brings the cached layers up to date for this device pixel ratio.
    void PrepareLayers(qreal ratio);

    // Whether the cached cap holds the panel's backdrop behind the whole
    // button, so that the panel need not draw its backdrop there.
    bool CoversBackdrop() const { return coversBackdrop_; }

    // Draws so far, and how many of them rebuilt the cached layers (for
    // tests and benchmarks).
    int PaintCount() const { return paints_; }
    int LayerBuildCount() const { return layerBuilds_; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    // Arrows move to the neighbouring key on a picture; Return clicks.
    void keyPressEvent(QKeyEvent* e) override;

private:
    // What the cached layers depend on, besides the skin colours.
    struct LayerKey {
        QSize size;
        QRect geometry;  // in the parent: the backdrop behind the button
        QSize parentSize;
        qreal ratio = 0;
        QString text;
        QFont font;
        bool enabled = false;
        bool down = false;
        bool hover = false;
        bool focus = false;
        bool selected = false;
        bool mark = false;
        quint64 skin = 0;
        bool operator==(const LayerKey& other) const;
    };

    SelectPanelUI* Panel() const;
    void FollowParent();
    // A repaint of what the button shows: the panel's area under the button
    // on a panel, the button itself elsewhere.
    void Repaint();
    QColor PropertyColour(const char* name, const QColor& fallback) const;
    void ReadSkinColours();
    void BuildLayers(const LayerKey& key);
    void PaintLight(class QPainter& painter, const QRectF& cap, qreal radius) const;
    QRectF CapRect() const;
    qreal CapRadius(const QRectF& cap) const;

    QString lightImage_;
    QString keySetImage_;
    QString keyLabel_;
    QString assignment_;
    bool hideKeySetImage_ = true;
    bool lightOn_ = false;
    QColor lightColour_ = QColor(0x00, 0x00, 0xFF);
    int lightLevel_ = 200;
    bool selected_ = false;

    QColor background_;
    QColor border_;
    QColor textColour_;  // invalid: the legend's own colours
    quint64 skinGeneration_ = 1;
    LayerKey layerKey_;
    QPixmap under_;
    QPixmap over_;
    bool coversBackdrop_ = false;
    int paints_ = 0;
    int layerBuilds_ = 0;
};

}  // namespace ivra::controls
