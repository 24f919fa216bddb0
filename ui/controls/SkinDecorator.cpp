#include "controls/SkinDecorator.h"

#include <QAbstractButton>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

#include "controls/DeviceIcons.h"
#include "controls/DeviceKeyButtonUI.h"
#include "controls/GlyphIcons.h"

namespace ivra::controls {
namespace {

void DecorateButton(QAbstractButton* button, const QString& skinFolder) {
    if (qobject_cast<DeviceKeyButtonUI*>(button)) return;  // draws itself
    const QString glyph = button->property("glyph").toString();
    if (!glyph.isEmpty()) {
        const int size = button->iconSize().width() > 0 ? button->iconSize().width() : 16;
        const QColor active = glyph == QLatin1String("close") ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xE8, 0xEC, 0xF4);
        button->setIcon(GlyphIcon(glyph, size, QColor(0x9A, 0xA3, 0xB5), active));
    }
    const QColor colour(button->property("bkcolor").toString());
    if (colour.isValid()) {
        button->setStyleSheet(QStringLiteral("background-color: %1;").arg(colour.name(QColor::HexArgb)));
    }
    const QString preview = button->property("preview").toString();
    if (!preview.isEmpty()) {
        const QString path = QDir(skinFolder).filePath(preview);
        if (QFileInfo::exists(path)) {
            const QSize size = button->minimumSize().isValid() ? button->minimumSize() : QSize(72, 46);
            const QPixmap image = QPixmap(path).scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
            button->setStyleSheet(QString());
            button->setIcon(QIcon(image));
            button->setIconSize(size - QSize(6, 6));
            button->setProperty("previewText", button->text());
            button->setText(QString());
            button->setToolTip(button->property("previewText").toString());
        }
    }
}

DeviceGlyph GlyphForArt(const QString& name) {
    if (name == QLatin1String("keyboard")) return DeviceGlyph::Keyboard;
    if (name == QLatin1String("mouse")) return DeviceGlyph::Mouse;
    if (name == QLatin1String("headset")) return DeviceGlyph::Headset;
    return DeviceGlyph::Unknown;
}

}  // namespace

void DecorateSkin(QWidget* root, const QString& skinFolder) {
    if (root == nullptr) return;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            DecorateButton(button, skinFolder);
        } else if (auto* label = qobject_cast<QLabel*>(w); label && label->property("role").toString() == "art") {
            const int size = qMin(label->minimumWidth(), label->minimumHeight());
            label->setPixmap(DrawDeviceIcon({GlyphForArt(label->property("glyph").toString()), false, false},
                                            size > 0 ? size : 64, label->devicePixelRatioF()));
            label->setAlignment(Qt::AlignCenter);
        }
    }
}

}  // namespace ivra::controls
