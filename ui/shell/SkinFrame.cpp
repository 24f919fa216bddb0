#include "shell/SkinFrame.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>

#include "base/DebugOutput.h"

namespace ivra::shell {
namespace {

const char* const kDefaultImage = "common/background.png";

}  // namespace

QString MainIniPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Ivra Wireless Manager 1.0/main.ini"));
}

SkinFrame::SkinFrame(QWidget* owner, QString mainIniPath)
    : WindowImplBase(owner), mainIniPath_(std::move(mainIniPath)) {
    // A pop-up closes by itself when it loses the focus.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("skinframe"));
}

void SkinFrame::PlaceUnder(const QWidget* anchor) {
    if (anchor == nullptr) return;
    const QPoint bottomRight = anchor->mapToGlobal(anchor->rect().bottomRight());
    move(bottomRight.x() - width() + 1, bottomRight.y() + 1);
}

bool SkinFrame::RecordImage(const QString& mainIniPath, bool listed, const QString& image) {
    QDir().mkpath(QFileInfo(mainIniPath).path());
    QSettings ini(mainIniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("SKINIMAGE"));
    ini.setValue(QStringLiteral("FLAGS"), listed ? QStringLiteral("1") : QStringLiteral("0"));
    ini.setValue(QStringLiteral("IMAGE"), image);
    ini.endGroup();
    ini.sync();
    return ini.status() == QSettings::NoError;
}

void SkinFrame::Notify(dui::TNotifyUI& msg) {
    if (msg.sType != QLatin1String("click")) return;
    const QString name = dui::ControlName(msg.pSender).toLower();
    auto* tabs = GetPaintManager().Find<QStackedWidget>(QStringLiteral("skin_tab"));
    if (name == QLatin1String("skin_image_btn")) {
        const QString image = msg.pSender->property("userdata").toString();
        emit SkinChanged({false, {}, image});
        if (!RecordImage(mainIniPath_, true, image)) DebugLine("main.ini could not be written");
    } else if (name == QLatin1String("skin_color_btn")) {
        const QColor colour(msg.pSender->property("bkcolor").toString());
        if (colour.isValid()) emit SkinChanged({true, colour, {}});
    } else if (name == QLatin1String("skin_color")) {
        if (tabs) tabs->setCurrentIndex(1);
    } else if (name == QLatin1String("skin_image")) {
        if (tabs) tabs->setCurrentIndex(0);
    } else if (name == QLatin1String("skin_reset")) {
        emit SkinChanged({false, {}, QString::fromLatin1(kDefaultImage)});
        if (!RecordImage(mainIniPath_, false, QString::fromLatin1(kDefaultImage))) {
            DebugLine("main.ini could not be written");
        }
    } else if (name == QLatin1String("skin_custom")) {
        const QString file =
            QFileDialog::getOpenFileName(this, QString(), QStringLiteral("*.png"), QStringLiteral("(*.png);;(*.*)"));
        // A cancelled choice changes nothing.
        if (!file.isEmpty()) emit SkinChanged({false, {}, file});
    }
}

void ApplySkinChange(QWidget* root, const QString& skinFolder, const SkinChange& change) {
    if (root == nullptr) return;
    if (root->objectName().isEmpty()) root->setObjectName(QStringLiteral("root"));
    const QString selector = QStringLiteral("QWidget#") + root->objectName();
    if (change.isColour) {
        root->setStyleSheet(QStringLiteral("%1 { background-image: none; background-color: %2; }")
                                .arg(selector, change.colour.name(QColor::HexArgb)));
    } else {
        QString path = change.imagePath;
        if (QFileInfo(path).isRelative()) path = QDir(skinFolder).filePath(path);
        root->setStyleSheet(
            QStringLiteral("%1 { background-color: transparent; border-image: url(\"%2\") 0 0 0 0 stretch stretch; }")
                .arg(selector, path));
    }
}

}  // namespace ivra::shell
