#include "dui/ResourceIndex.h"

#include <QFile>
#include <QXmlStreamReader>

namespace ivra::dui {

bool ResourceIndex::Load(const QString& path, QString* error) {
    files_.clear();
    ids_.clear();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QXmlStreamReader xml(&in);
    QHash<QString, QString> files;
    QStringList ids;
    bool sawRoot = false;
    while (xml.readNextStartElement()) {
        if (!sawRoot) {
            if (xml.name() != QLatin1String("Resources")) {
                xml.raiseError(QStringLiteral("the root element is not Resources"));
                break;
            }
            sawRoot = true;
            continue;
        }
        if (xml.name() == QLatin1String("Skin")) {
            const QString id = xml.attributes().value(QLatin1String("id")).toString();
            const QString file = xml.attributes().value(QLatin1String("file")).toString();
            if (id.isEmpty() || file.isEmpty()) {
                xml.raiseError(QStringLiteral("a Skin entry without id or file"));
                break;
            }
            if (!files.contains(id.toLower())) ids << id;
            files.insert(id.toLower(), file);
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError() || !sawRoot) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(path, xml.hasError() ? xml.errorString()
                                                                       : QStringLiteral("no Resources element"));
        }
        return false;
    }
    files_ = std::move(files);
    ids_ = std::move(ids);
    return true;
}

}  // namespace ivra::dui
