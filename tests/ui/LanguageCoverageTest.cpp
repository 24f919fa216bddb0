#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <vector>

#include "dui/LanguageResources.h"

namespace ivra::dui {
namespace {

const QString kSkin = QStringLiteral(IVRA_SOURCE_DIR "/skin");
const QString kSources = QStringLiteral(IVRA_SOURCE_DIR "/ui");

// Pages of the device kinds whose panels come later; their texts are
// translated with them.
const QStringList kLaterPages = {"Voice6533Control.ui", "ShootControl.ui", "MagicControl.ui", "VirtualSet.ui"};

struct SkinWidget {
    QString file;
    QString className;
    QString name;
    QMap<QString, QString> properties;  // the widget's own string properties
};

std::vector<SkinWidget> ReadWidgets(const QString& path) {
    std::vector<SkinWidget> widgets;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return widgets;
    QXmlStreamReader xml(&file);
    std::vector<int> open;  // indexes of the widgets being read
    QStringList elements;
    QString property;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString element = xml.name().toString();
            if (element == QLatin1String("widget")) {
                widgets.push_back({QFileInfo(path).fileName(),
                                   xml.attributes().value("class").toString(),
                                   xml.attributes().value("name").toString(),
                                   {}});
                open.push_back(static_cast<int>(widgets.size()) - 1);
            } else if (element == QLatin1String("property") && !elements.isEmpty() &&
                       elements.last() == QLatin1String("widget")) {
                property = xml.attributes().value("name").toString();
            } else if (element == QLatin1String("string") && !property.isEmpty() && !open.empty() &&
                       elements.last() == QLatin1String("property")) {
                widgets[static_cast<size_t>(open.back())].properties[property] = xml.readElementText();
                continue;  // readElementText consumed the end element
            }
            elements << element;
        } else if (xml.isEndElement()) {
            if (!elements.isEmpty()) {
                if (elements.last() == QLatin1String("widget") && !open.empty()) open.pop_back();
                if (elements.last() == QLatin1String("property")) property.clear();
                elements.removeLast();
            }
        }
    }
    return widgets;
}

std::vector<SkinWidget> ShippedWidgets() {
    std::vector<SkinWidget> all;
    QDirIterator files(kSkin, {"*.ui"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (kLaterPages.contains(QFileInfo(path).fileName())) continue;
        for (SkinWidget& widget : ReadWidgets(path)) all.push_back(std::move(widget));
    }
    return all;
}

// Texts that are the same in every language: signs without a letter (an
// arrow, a pencil), numbers with their units, and the legends printed on the
// keyboard's keys.
bool NeedsNoTranslation(const SkinWidget& widget, const QString& text) {
    static const QRegularExpression kLetter(QStringLiteral("\\p{L}"));
    static const QRegularExpression kNumeric(QStringLiteral("^[\\d\\s.,]*(Hz|ms|k|G|dB|s)?$"));
    return widget.className == QLatin1String("DeviceKeyButton") || !kLetter.match(text).hasMatch() ||
           kNumeric.match(text.trimmed()).hasMatch();
}

// Every visible text of the window, the keyboard pages, their panels and
// the dialogs is given by a language key, so that it follows the language.
TEST(LanguageCoverageTest, EverySkinTextHasALanguageKey) {
    struct Text {
        const char* property;
        const char* keyProperty;
    };
    const Text texts[] = {{"text", "textKey"},
                          {"placeholderText", "textKey"},
                          {"title", "textKey"},
                          {"windowTitle", "textKey"},
                          {"toolTip", "tooltipKey"}};
    int widgets = 0;
    for (const SkinWidget& widget : ShippedWidgets()) {
        ++widgets;
        for (const Text& t : texts) {
            const QString text = widget.properties.value(QString::fromLatin1(t.property)).trimmed();
            if (text.isEmpty() || NeedsNoTranslation(widget, text)) continue;
            // An edit's text is what the user typed, not a caption.
            if (QLatin1String(t.property) == QLatin1String("text") &&
                widget.className.contains(QLatin1String("Edit"))) {
                continue;
            }
            EXPECT_TRUE(widget.properties.contains(QString::fromLatin1(t.keyProperty)))
                << widget.file.toStdString() << ": " << widget.name.toStdString() << " shows \"" << text.toStdString()
                << "\" without a " << t.keyProperty;
        }
    }
    EXPECT_GT(widgets, 300);  // the skin was read
}

QMap<QString, QString> ReadTexts(const QString& file) {
    QMap<QString, QString> texts;
    QFile in(kSkin + QLatin1Char('/') + file);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << file.toStdString();
    QXmlStreamReader xml(&in);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text")) {
            texts[xml.attributes().value("key").toString()] = xml.attributes().value("value").toString();
        }
    }
    return texts;
}

// The two language files give every key, each with a text.
TEST(LanguageCoverageTest, BothLanguagesHaveATextForEveryKey) {
    const QMap<QString, QString> english = ReadTexts(QStringLiteral("lan_en.xml"));
    const QMap<QString, QString> chinese = ReadTexts(QStringLiteral("lan_cn.xml"));
    ASSERT_FALSE(english.isEmpty());
    for (auto [one, other, name] : {std::tuple{&english, &chinese, "lan_cn.xml"}, {&chinese, &english, "lan_en.xml"}}) {
        for (auto it = one->begin(); it != one->end(); ++it) {
            EXPECT_TRUE(other->contains(it.key())) << name << " lacks " << it.key().toStdString();
            EXPECT_FALSE(it.value().trimmed().isEmpty()) << it.key().toStdString() << " has an empty text";
        }
    }
}

// Code sets texts through the language files: no caption, tooltip or
// message is a literal in the interface's sources, and every language key
// the sources name is in both files.
TEST(LanguageCoverageTest, TheInterfaceSetsNoTextBehindTheLanguageFiles) {
    const QMap<QString, QString> english = ReadTexts(QStringLiteral("lan_en.xml"));
    const QMap<QString, QString> chinese = ReadTexts(QStringLiteral("lan_cn.xml"));
    // A call that shows a text, given a literal with a letter in it.
    const QRegularExpression literalText(
        QStringLiteral("(?:setText|setToolTip|setPlaceholderText|setTitle|addAction|showMessage|setAccessibleName|"
                       "setAccessibleDescription|setStatusTip)\\(\\s*(?:tr\\(|QStringLiteral\\(|QString::fromUtf8\\(|"
                       "QLatin1String\\()?"
                       "\"([^\"]*\\p{L}[^\"]*)\""));
    const QRegularExpression trCall(QStringLiteral("\\btr\\(\""));
    const QRegularExpression keyLiteral(
        QStringLiteral("\"([a-z][A-Za-z0-9]*(?:_[A-Za-z0-9]+)*_(?:text|tip)(?:_\\d+)?)\""));
    QDirIterator files(kSources, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    int sources = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ++sources;
        const QString code = QString::fromUtf8(file.readAll());
        const std::string where = QDir(kSources).relativeFilePath(path).toStdString();
        auto shown = literalText.globalMatch(code);
        while (shown.hasNext()) {
            ADD_FAILURE() << where << " shows the literal \"" << shown.next().captured(1).toStdString() << "\"";
        }
        EXPECT_FALSE(trCall.match(code).hasMatch()) << where << " translates with tr() instead of a language key";
        auto keys = keyLiteral.globalMatch(code);
        while (keys.hasNext()) {
            const QString key = keys.next().captured(1);
            EXPECT_TRUE(english.contains(key) && chinese.contains(key))
                << where << " names the language key " << key.toStdString() << " that a language file lacks";
        }
    }
    EXPECT_GT(sources, 50);
}

}  // namespace
}  // namespace ivra::dui
