#include "dui/SkinStyle.h"

#include <QDir>
#include <QFile>

namespace ivra::dui {

QString LoadSkinStyleSheet(const QString& skinFolder, QString* error) {
    const QString path = QDir(skinFolder).filePath(QStringLiteral("style.qss"));
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return QString();
    }
    QString sheet = QString::fromUtf8(in.readAll());
    sheet.replace(QStringLiteral("$SKIN"), QDir(skinFolder).absolutePath());
    return sheet;
}

}  // namespace ivra::dui
