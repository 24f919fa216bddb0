#include "shell/LanguageSettings.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QWidget>

#include "base/DebugLines.h"
#include "base/DebugOutput.h"
#include "base/JsonHelpers.h"
#include "dui/LanguageResources.h"
#include "dui/PaintManager.h"

namespace ivra::shell {
namespace {

constexpr int kThai = 15;
constexpr int kSimplifiedChinese = 0;
constexpr int kTraditionalChinese = 2;
const char* const kLanguageKey = "LANGUAGE";

// settings.ini holds a few keys; anything larger is not ours.
constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024;

// Whether the settings file may be handed to QSettings: there is none yet,
// or it is a regular file within the size limit. QSettings would block on
// a FIFO and read a huge file whole.
bool SettingsFileUsable(const QString& path) {
    std::string content;
    std::string error;
    bool missing = false;
    if (ReadRegularFileText(QFile::encodeName(path).toStdString(), kMaxSettingsFileBytes, content, error, &missing) ||
        missing) {
        return true;
    }
    DebugLine("settings: " + path.toStdString() + ": " + error + "; it is neither read nor written");
    return false;
}

QFont Font(const QString& face, int pixels, bool bold = false, bool underline = false) {
    QFont font(face);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

}  // namespace

std::vector<LanguageEntry> LoadLanguageConfig(const QString& path) {
    std::vector<LanguageEntry> languages;
    const Json::Value root = ReadJson(path.toStdString());
    const Json::Value& list = MemberOf(root, "Language");
    if (!list.isArray()) return languages;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& item = list[i];
        LanguageEntry entry;
        entry.name = QString::fromStdString(StringMember(item, "Language_name"));
        entry.file = QString::fromStdString(StringMember(item, "Language_file"));
        entry.id = IntMember(item, "Language_ID").value_or(0);
        entry.textKey = QString::fromStdString(StringMember(item, "Language_text"));
        languages.push_back(entry);
    }
    return languages;
}

QString FontFaceForLanguageChange(int newIndex, int currentIndex) {
    if (newIndex == kThai) return QStringLiteral("Noto Sans Thai");
    if (newIndex == kSimplifiedChinese) return QStringLiteral("汉仪菱心体简");
    if (newIndex == kTraditionalChinese) return QStringLiteral("Noto Sans CJK TC Regular");
    if (currentIndex == kThai || currentIndex == kTraditionalChinese || currentIndex == kSimplifiedChinese ||
        currentIndex == -1) {
        return QStringLiteral("Verdana Unicode MS");
    }
    return {};
}

void InstallFontSet(dui::PaintManager& paintManager, const QString& face) {
    paintManager.RemoveAllFonts();
    paintManager.SetDefaultFont(Font(face, 14));
    const int sizes[] = {15, 14, 18, 30, 16, 20, 22, 14, 12, 11, 10, 28};
    for (int index = 0; index < 12; ++index) {
        paintManager.AddFont(index, Font(face, sizes[index], false, index == 1));
    }
    paintManager.AddFont(50, Font(face, 18, true));
}

LanguageSettings::LanguageSettings(QString configPath, QString languageFolder, QString settingsPath)
    : languages_(LoadLanguageConfig(configPath)), languageFolder_(std::move(languageFolder)),
      settingsPath_(std::move(settingsPath)) {}

int LanguageSettings::StoredIndex() const {
    if (!SettingsFileUsable(settingsPath_)) return 0;
    const QSettings settings(settingsPath_, QSettings::IniFormat);
    bool ok = false;
    const int id = settings.value(kLanguageKey).toInt(&ok);
    if (!ok) return 0;
    return std::max(IndexOfId(id), 0);
}

int LanguageSettings::IndexOfId(int id) const {
    for (size_t i = 0; i < languages_.size(); ++i) {
        if (languages_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

bool LanguageSettings::Apply(int index, dui::PaintManager& paintManager, QWidget* root, Storing storing) {
    if (index == current_) return false;
    // An index the list does not have (an empty combo's -1, a short list)
    // must neither change the texts nor be stored.
    if (index < 0 || static_cast<size_t>(index) >= languages_.size()) return false;

    const QString face = FontFaceForLanguageChange(index, current_);
    if (!face.isEmpty()) {
        InstallFontSet(paintManager, face);
        if (root != nullptr) root->setFont(paintManager.GetDefaultFont());
    }
    current_ = index;
    const LanguageEntry& entry = languages_[static_cast<size_t>(index)];
    dui::LanguageResources& resources = dui::LanguageResources::Instance();
    resources.SetLanguageName(entry.name);
    QString error;
    if (!resources.LoadLanguage(QDir(languageFolder_).filePath(entry.file), &error)) {
        DebugLine("language: " + error.toStdString());
    }
    resources.ReloadText(root);

    if (storing == Storing::kShowOnly || !SettingsFileUsable(settingsPath_)) return true;
    QSettings settings(settingsPath_, QSettings::IniFormat);
    settings.setValue(kLanguageKey, entry.id);
    settings.sync();
    if (settings.status() == QSettings::NoError) DebugLine(debug::kSettingsWritten);
    return true;
}

}  // namespace ivra::shell
