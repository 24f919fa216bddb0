// The skin's resource index ("res.xml"): which file a skin id names.
//
//   <Resources>
//     <Skin id="XML_MAIN" file="main.ui"/>
//     ...
//   </Resources>
//
// Ids are compared without regard to case. A missing or malformed index
// leaves the index empty and says why.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace ivra::dui {

class ResourceIndex {
public:
    bool Load(const QString& path, QString* error = nullptr);

    bool Has(const QString& id) const { return files_.contains(id.toLower()); }
    // The file of a skin id, relative to the skin folder; empty when unknown.
    QString File(const QString& id) const { return files_.value(id.toLower()); }
    // The ids in file order, as written.
    QStringList Ids() const { return ids_; }

private:
    QHash<QString, QString> files_;
    QStringList ids_;
};

}  // namespace ivra::dui
