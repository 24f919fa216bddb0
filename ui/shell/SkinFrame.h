// The skin picker: a small pop-up under the skin button that changes the
// main window's background to a colour or an image. The choice of an image
// from the list (or the reset) is recorded in "main.ini".
#pragma once

#include <QColor>
#include <QString>

#include "dui/WindowImplBase.h"

namespace ivra::shell {

struct SkinChange {
    bool isColour = false;
    QColor colour;
    QString imagePath;  // relative to the skin folder, or absolute
};

class SkinFrame final : public dui::WindowImplBase {
    Q_OBJECT
public:
    // `mainIniPath`: where the image choice is recorded.
    SkinFrame(QWidget* owner, QString mainIniPath);
    QString GetWindowClassName() const override { return QStringLiteral("UISkinFrame"); }
    void Notify(dui::TNotifyUI& msg) override;

    // Places the pop-up's top right corner at the anchor's bottom right.
    void PlaceUnder(const QWidget* anchor);

    // Records an image choice: FLAGS "1" for a listed image, "0" for the default.
    static bool RecordImage(const QString& mainIniPath, bool listed, const QString& image);

signals:
    void SkinChanged(const ivra::shell::SkinChange& change);

private:
    QString mainIniPath_;
};

// Applies a skin change to a window's root control.
void ApplySkinChange(QWidget* root, const QString& skinFolder, const SkinChange& change);

// "main.ini" in the per-user data folder of the program.
QString MainIniPath();

}  // namespace ivra::shell
