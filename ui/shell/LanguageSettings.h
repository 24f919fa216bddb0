// The interface language: the list of languages ("Language.config" in the
// program's DefaultData folder), the stored choice (settings.ini, key
// LANGUAGE = the language's id), and applying one: fonts, texts, storage.
#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace ivra::dui {
class PaintManager;
}

namespace ivra::shell {

struct LanguageEntry {
    QString name;     // handed to the language resources as the language name
    QString file;     // the language file, in the skin folder
    int id = 0;       // what settings.ini stores
    QString textKey;  // the key of the language's own name in the settings window
};

// The languages in display order; empty when the file is missing or broken.
std::vector<LanguageEntry> LoadLanguageConfig(const QString& path);

// The font face a language change calls for, or an empty text when the
// fonts stay as they are: Thai (15), Simplified Chinese (0) and Traditional
// Chinese (2) have their own faces; leaving one of those (or starting)
// brings the Latin face back.
QString FontFaceForLanguageChange(int newIndex, int currentIndex);

class LanguageSettings {
public:
    LanguageSettings(QString configPath, QString languageFolder, QString settingsPath);

    const std::vector<LanguageEntry>& Languages() const { return languages_; }
    int CurrentIndex() const { return current_; }

    // The index of the stored language id; 0 when nothing (or nothing
    // known) is stored, or settings.ini is no regular file of sensible size.
    int StoredIndex() const;
    // The index of language `id`; -1 when the list has none.
    int IndexOfId(int id) const;

    // Whether Apply stores the language as the user's choice.
    enum class Storing { kStore, kShowOnly };

    // Applies language `index` to the window's fonts and texts and stores
    // its id (not where settings.ini is no regular file of sensible size,
    // nor with Storing::kShowOnly). The current language again, or an index
    // outside the list, changes and stores nothing (false).
    bool Apply(int index, dui::PaintManager& paintManager, QWidget* root, Storing storing = Storing::kStore);

private:
    std::vector<LanguageEntry> languages_;
    QString languageFolder_;
    QString settingsPath_;
    int current_ = -1;
};

// The font set of a face: the default font and fonts 0-11 and 50.
void InstallFontSet(dui::PaintManager& paintManager, const QString& face);

}  // namespace ivra::shell
