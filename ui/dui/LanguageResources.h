// The texts of the current language, by text key. Controls that show a
// resource text carry the key in their "textKey" property (and a tooltip key
// in "tooltipKey"; a combo item the key of its text under kItemTextKeyRole);
// ReloadText gives them the current language's texts.
//
// A language file is XML:
//   <Language name="English"><Text key="main_title" value="..."/>...</Language>
#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace ivra::dui {

class LanguageResources {
public:
    static LanguageResources& Instance();

    // Replaces the texts with the file's; false (texts kept) when the file
    // cannot be read or parsed.
    bool LoadLanguage(const QString& path, QString* error = nullptr);
    void SetLanguageName(const QString& name) { name_ = name; }
    QString LanguageName() const { return name_; }

    // The text of a key; the key itself when the language has no text for it.
    QString Text(const QString& key) const;
    bool Has(const QString& key) const { return texts_.contains(key); }
    QList<QString> Keys() const { return texts_.keys(); }

    // Gives every control below `root` that carries a text key its text.
    void ReloadText(QWidget* root) const;
    // Sets a control's text key and text at once.
    void SetTextKey(QWidget* control, const QString& key) const;
    // Sets the key of a control's accessible name ("accessibleKey", which
    // NameForAssistiveTools follows on language changes) and the name.
    void SetAccessibleKey(QWidget* control, const QString& key) const;

    // The item data role under which a combo item keeps the key of its text
    // (and tooltip).
    static constexpr int kItemTextKeyRole = Qt::UserRole + 0x4C54;

private:
    QHash<QString, QString> texts_;
    QString name_;
};

}  // namespace ivra::dui
