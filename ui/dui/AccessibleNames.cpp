#include "dui/AccessibleNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTextEdit>
#include <QWidget>
#include <functional>

#include "dui/LanguageResources.h"
#include "dui/PaintManager.h"

namespace ivra::dui {
namespace {

constexpr const char* kNamedHere = "_accessibleNamedHere";

// The text of the label laid out just before `control` in the same layout.
QString CaptionBefore(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    if (parent == nullptr || parent->layout() == nullptr) return {};
    // The control may sit in a nested layout of the parent's layout.
    std::function<QString(QLayout*)> search = [&](QLayout* layout) -> QString {
        QString caption;
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem* item = layout->itemAt(i);
            if (item->widget() == control) return caption.isEmpty() ? QStringLiteral("\x01") : caption;
            if (auto* label = qobject_cast<QLabel*>(item->widget()); label && !label->text().trimmed().isEmpty()) {
                caption = label->text().trimmed();
            }
            if (item->layout() != nullptr) {
                const QString found = search(item->layout());
                if (!found.isEmpty()) return found;
            }
        }
        return {};
    };
    const QString found = search(parent->layout());
    return found == QStringLiteral("\x01") ? QString() : found;
}

QString NameOf(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->text().trimmed().isEmpty() ? control->toolTip() : QString();
    }
    const bool captioned = qobject_cast<QAbstractSlider*>(control) || qobject_cast<QComboBox*>(control) ||
                           qobject_cast<QLineEdit*>(control) || qobject_cast<QTextEdit*>(control) ||
                           qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QAbstractItemView*>(control);
    if (!captioned) return {};
    QString name = CaptionBefore(control);
    if (name.isEmpty()) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) name = edit->placeholderText();
        if (auto* edit = qobject_cast<QTextEdit*>(control)) name = edit->placeholderText();
    }
    return name.isEmpty() ? control->toolTip() : name;
}

}  // namespace

void SetAccessibleKeys(QWidget* root, std::span<const AccessibleKey> keys, bool tooltips) {
    if (root == nullptr) return;
    const LanguageResources& texts = LanguageResources::Instance();
    for (const AccessibleKey& entry : keys) {
        QWidget* control = PaintManager::FindSubControlByName(root, QString::fromLatin1(entry.control));
        if (control == nullptr) continue;
        texts.SetAccessibleKey(control, QString::fromLatin1(entry.textKey));
        if (tooltips && control->toolTip().isEmpty()) control->setToolTip(control->accessibleName());
    }
}

void NameForAssistiveTools(QWidget* root) {
    if (root == nullptr) return;
    QList<QWidget*> controls = root->findChildren<QWidget*>();
    controls.prepend(root);
    for (QWidget* control : controls) {
        const QString key = control->property("accessibleKey").toString();
        if (!key.isEmpty()) {
            control->setAccessibleName(LanguageResources::Instance().Text(key));
            continue;
        }
        // A name code gave is the code's; ours follow the language.
        if (!control->accessibleName().isEmpty() && !control->property(kNamedHere).toBool()) continue;
        const QString name = NameOf(control);
        if (name.isEmpty()) continue;
        control->setAccessibleName(name);
        control->setProperty(kNamedHere, true);
    }
}

}  // namespace ivra::dui
