#include "dui/LanguageResources.h"

#include "dui/AccessibleNames.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QWidget>
#include <QXmlStreamReader>

namespace ivra::dui {
namespace {

void ApplyText(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setPlaceholderText(text);
    } else if (auto* richEdit = qobject_cast<QTextEdit*>(control)) {
        richEdit->setPlaceholderText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
        box->setTitle(text);
    } else {
        control->setWindowTitle(text);
    }
}

}  // namespace

LanguageResources& LanguageResources::Instance() {
    static LanguageResources resources;
    return resources;
}

bool LanguageResources::LoadLanguage(const QString& path, QString* error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QHash<QString, QString> texts;
    QString name;
    QXmlStreamReader xml(&in);
    bool sawRoot = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("Language")) {
            sawRoot = true;
            name = xml.attributes().value(QLatin1String("name")).toString();
        } else if (xml.name() == QLatin1String("Text")) {
            const auto attributes = xml.attributes();
            texts.insert(attributes.value(QLatin1String("key")).toString(),
                         attributes.value(QLatin1String("value")).toString());
        }
    }
    if (xml.hasError() || !sawRoot) {
        if (error) {
            *error = QStringLiteral("%1: %2").arg(path, xml.hasError() ? xml.errorString()
                                                                       : QStringLiteral("no <Language> element"));
        }
        return false;
    }
    texts_ = std::move(texts);
    if (!name.isEmpty()) name_ = name;
    return true;
}

QString LanguageResources::Text(const QString& key) const {
    return texts_.value(key, key);
}

void LanguageResources::ReloadText(QWidget* root) const {
    if (root == nullptr) return;
    QList<QWidget*> controls = root->findChildren<QWidget*>();
    controls.prepend(root);
    for (QWidget* control : controls) {
        const QString key = control->property("textKey").toString();
        if (!key.isEmpty()) ApplyText(control, Text(key));
        const QString tip = control->property("tooltipKey").toString();
        if (!tip.isEmpty()) control->setToolTip(Text(tip));
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            for (int i = 0; i < combo->count(); ++i) {
                const QString itemKey = combo->itemData(i, kItemTextKeyRole).toString();
                if (itemKey.isEmpty()) continue;
                combo->setItemText(i, Text(itemKey));
                combo->setItemData(i, Text(itemKey), Qt::ToolTipRole);
            }
        }
    }
    // Captions changed with the language: so do the names derived from them.
    NameForAssistiveTools(root);
}

void LanguageResources::SetAccessibleKey(QWidget* control, const QString& key) const {
    control->setProperty("accessibleKey", key);
    control->setAccessibleName(Text(key));
}

void LanguageResources::SetTextKey(QWidget* control, const QString& key) const {
    control->setProperty("textKey", key);
    ApplyText(control, Text(key));
}

}  // namespace ivra::dui
