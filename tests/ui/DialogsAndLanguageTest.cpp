#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QRegularExpression>

#include "QtPrinters.h"
#include "controls/RegisterControls.h"
#include "base/DebugOutput.h"
#include "shell/AboutWnd.h"
#include "shell/LanguageSettings.h"
#include "shell/MsgWnd.h"
#include "shell/SkinFrame.h"
#include "dui/LanguageResources.h"
#include "dui/PaintManager.h"
#include "models/keys/EnglishKeyNames.h"

namespace ivra::shell {
namespace {

const QString kSkin = QStringLiteral(IVRA_SOURCE_DIR "/skin");
const QString kLanguageConfig = QStringLiteral(IVRA_SOURCE_DIR "/DefaultData/Language.config");

// Clicks a control of the message box that is about to open modally.
void ClickWhenShown(const char* name) {
    QTimer::singleShot(0, [name] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<MsgWnd*>(top);
            if (box == nullptr || !box->isVisible()) continue;
            auto* button = box->GetPaintManager().Find<QAbstractButton>(QString::fromLatin1(name));
            if (button && button->isVisible()) QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    });
}

struct BoxState {
    QString title;
    QString text;
    bool confirmShown = false;
    bool cancelShown = false;
    int dpi = 0;
};

// Opens a box, records what it shows, then closes it with `click`.
int Show(const QString& title, const QString& text, int dpi, bool resource, int buttons, const char* click,
         BoxState& seen) {
    QTimer::singleShot(0, [&seen] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<MsgWnd*>(top);
            if (box == nullptr || !box->isVisible()) continue;
            dui::PaintManager& pm = box->GetPaintManager();
            seen.title = pm.Find<QLabel>("MessageTitle")->text();
            seen.text = pm.Find<QLabel>("MessageText")->text();
            seen.confirmShown = !pm.FindControl("confirm_btn")->isHidden();
            seen.cancelShown = !pm.FindControl("cancel_btn")->isHidden();
            seen.dpi = box->Dpi();
        }
    });
    ClickWhenShown(click);
    return ShowMessageBox(nullptr, kSkin, title, text, dpi, resource, buttons);
}

TEST(MessageBoxTest, ReturnsHowItWasClosedAndAppliesDpiAndButtons) {
    controls::RegisterControlClasses();
    dui::LanguageResources::Instance().LoadLanguage(kSkin + "/lan_en.xml");
    std::vector<std::string> debug;
    SetDebugSink([&debug](std::string_view line) { debug.emplace_back(line); });

    BoxState seen;
    EXPECT_EQ(Show("Profile", "message_text_22", 144, true, 1, "confirm_btn", seen), 1);
    EXPECT_EQ(seen.title, "Profile");
    EXPECT_TRUE(seen.text.startsWith("Reset to the factory settings?")) << seen.text.toStdString();
    EXPECT_TRUE(seen.confirmShown && seen.cancelShown);
    EXPECT_EQ(seen.dpi, 144);

    BoxState skinTitle;
    EXPECT_EQ(Show("", "Literal text", 96, false, 1, "cancel_btn", skinTitle), 0);
    EXPECT_FALSE(skinTitle.title.isEmpty());  // the skin's own title stays
    EXPECT_EQ(skinTitle.text, "Literal text");

    BoxState onlyConfirm;
    EXPECT_EQ(Show("t", "x", 100, false, 0, "closebtn", onlyConfirm), 0);
    EXPECT_EQ(onlyConfirm.dpi, 96);  // 100 is no supported DPI
    EXPECT_TRUE(onlyConfirm.confirmShown);
    EXPECT_FALSE(onlyConfirm.cancelShown);
    EXPECT_NE(std::find(debug.begin(), debug.end(), "MSG_WND DPI SET ERROR"), debug.end());

    BoxState asDeclared;
    EXPECT_EQ(Show("t", "x", 96, false, 2, "confirm_btn", asDeclared), 1);
    EXPECT_TRUE(asDeclared.confirmShown && asDeclared.cancelShown);  // as MsgWnd.ui declares them
    SetDebugSink({});
}

TEST(AboutWindowTest, ShowsTheTranslatedVersionText) {
    controls::RegisterControlClasses();
    dui::LanguageResources::Instance().LoadLanguage(kSkin + "/lan_en.xml");
    AboutWnd about;
    ASSERT_TRUE(about.Create(kSkin, "AboutWnd.ui"));
    about.SetVersionText("Beta 1.0");
    EXPECT_EQ(about.GetPaintManager().Find<QLabel>("software_ver_label")->text(), "Software version: Beta 1.0");
}

TEST(LanguageTest, FontFacesChangeOnlyAcrossTheScriptLanguages) {
    struct Case {
        int from, to;
        const char* face;
    };
    const Case cases[] = {
        {-1, 1, "Verdana Unicode MS"},
        {5, 6, ""},
        {5, 2, "Noto Sans CJK TC Regular"},
        {2, 5, "Verdana Unicode MS"},
        {0, 1, "Verdana Unicode MS"},
        {3, 15, "Noto Sans Thai"},
        {1, 0, "汉仪菱心体简"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FontFaceForLanguageChange(c.to, c.from), QString::fromUtf8(c.face)) << c.from << "->" << c.to;
    }
}

TEST(LanguageTest, AppliesStoresAndRefusesUnknownIndices) {
    QTemporaryDir dir;
    const QString settingsFile = dir.filePath("settings.ini");
    LanguageSettings language(kLanguageConfig, kSkin, settingsFile);
    ASSERT_EQ(language.Languages().size(), 2u);
    EXPECT_EQ(language.Languages()[0].file, "lan_cn.xml");  // Simplified Chinese first
    EXPECT_EQ(language.StoredIndex(), 0);

    dui::PaintManager pm(nullptr);
    QLabel label;
    label.setProperty("textKey", "confirm_text");
    ASSERT_TRUE(language.Apply(1, pm, &label));
    EXPECT_EQ(label.text(), "OK");
    EXPECT_EQ(pm.GetFont(3).pixelSize(), 30);
    EXPECT_TRUE(pm.GetFont(1).underline());
    EXPECT_TRUE(pm.GetFont(50).bold());
    EXPECT_EQ(QSettings(settingsFile, QSettings::IniFormat).value("LANGUAGE").toInt(), 1033);

    // The same language again, or one the list does not have: nothing.
    QFile::remove(settingsFile);
    EXPECT_FALSE(language.Apply(1, pm, &label));
    EXPECT_FALSE(language.Apply(-1, pm, &label));
    EXPECT_FALSE(language.Apply(7, pm, &label));
    EXPECT_FALSE(QFile::exists(settingsFile));
    EXPECT_EQ(language.CurrentIndex(), 1);

    ASSERT_TRUE(language.Apply(0, pm, &label));
    EXPECT_EQ(label.text(), QString::fromUtf8("确定"));
    LanguageSettings later(kLanguageConfig, kSkin, settingsFile);
    EXPECT_EQ(later.StoredIndex(), 0);
    QSettings(settingsFile, QSettings::IniFormat).setValue("LANGUAGE", 1033);
    EXPECT_EQ(later.StoredIndex(), 1);
    QSettings(settingsFile, QSettings::IniFormat).setValue("LANGUAGE", 9999);
    EXPECT_EQ(later.StoredIndex(), 0);

    LanguageSettings broken(dir.filePath("missing.config"), kSkin, settingsFile);
    EXPECT_TRUE(broken.Languages().empty());
    EXPECT_FALSE(broken.Apply(0, pm, &label));
}

TEST(LanguageTest, AStartLanguageIsFoundByIdAndShownWithoutBeingStored) {
    QTemporaryDir dir;
    const QString settingsFile = dir.filePath("settings.ini");
    LanguageSettings language(kLanguageConfig, kSkin, settingsFile);
    EXPECT_EQ(language.IndexOfId(1033), 1);
    EXPECT_EQ(language.IndexOfId(2052), 0);
    EXPECT_EQ(language.IndexOfId(7), -1);

    dui::PaintManager pm(nullptr);
    QLabel label;
    label.setProperty("textKey", "confirm_text");
    ASSERT_TRUE(language.Apply(1, pm, &label, LanguageSettings::Storing::kShowOnly));
    EXPECT_EQ(label.text(), "OK");
    EXPECT_FALSE(QFile::exists(settingsFile)) << "the user's stored choice stays";
}

TEST(LanguageTest, ASettingsFileThatIsNoSensibleRegularFileIsNeitherReadNorReplaced) {
    // A FIFO would block the start for ever; a huge file would be read whole.
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.filePath("huge.ini");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nLANGUAGE=1033\n");
        file.write(QByteArray(1024 * 1024, ';'));
    }
    const QByteArray hugeBefore = [&] {
        QFile file(huge);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    for (const QString& path : {fifo, huge}) {
        SCOPED_TRACE(path.toStdString());
        LanguageSettings language(kLanguageConfig, kSkin, path);
        EXPECT_EQ(language.StoredIndex(), 0);
        dui::PaintManager pm(nullptr);
        QLabel label;
        EXPECT_TRUE(language.Apply(1, pm, &label));  // applied, not stored
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    QFile after(huge);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), hugeBefore);
}

TEST(LanguageTest, EveryTextKeyOfTheSkinsIsInEveryLanguage) {
    QSet<QString> keys = {"software_rev_text", "message_text_2",  "message_text_4",  "message_text_5", "message_text_6",
                          "message_text_7",    "message_text_16", "message_text_22", "message_text_25"};
    const QRegularExpression textKey(
        QStringLiteral("name=\"(?:textKey|tooltipKey)\"[^>]*>\\s*<string>([^<]+)</string>"));
    QDirIterator files(kSkin, {"*.ui"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        auto matches = textKey.globalMatch(QString::fromUtf8(file.readAll()));
        while (matches.hasNext()) keys.insert(matches.next().captured(1));
    }
    for (const LanguageEntry& entry : LoadLanguageConfig(kLanguageConfig)) {
        keys.insert(entry.textKey);
        dui::LanguageResources resources;
        ASSERT_TRUE(resources.LoadLanguage(kSkin + "/" + entry.file)) << entry.file.toStdString();
        for (const QString& key : keys) {
            EXPECT_TRUE(resources.Has(key)) << entry.file.toStdString() << " lacks " << key.toStdString();
        }
    }
}

}  // namespace
}  // namespace ivra::shell

namespace ivra::shell {
namespace {

TEST(LanguageTest, EveryKeyLabelAndAssignmentNameHasATextInEveryLanguage) {
    for (const LanguageEntry& entry : LoadLanguageConfig(kLanguageConfig)) {
        dui::LanguageResources resources;
        ASSERT_TRUE(resources.LoadLanguage(kSkin + "/" + entry.file)) << entry.file.toStdString();
        const bool english = entry.id == 1033;
        for (std::string_view key : EnglishKeyTextKeys()) {
            const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
            ASSERT_TRUE(resources.Has(name)) << entry.file.toStdString() << " lacks " << std::string(key);
            // The English file says what ivractl prints.
            if (english) {
                EXPECT_EQ(resources.Text(name).toStdString(), std::string(EnglishKeyText(key))) << key;
            }
        }
    }
}

TEST(SkinPickerTest, ColoursChangeTheBackgroundAndImagesAreRecorded) {
    controls::RegisterControlClasses();
    QTemporaryDir dir;
    const QString ini = dir.filePath("Ivra Wireless Manager 1.0/main.ini");
    auto* picker = new SkinFrame(nullptr, ini);
    ASSERT_TRUE(picker->Create(kSkin, "skin.ui"));
    std::vector<SkinChange> changes;
    QObject::connect(picker, &SkinFrame::SkinChanged, [&changes](const SkinChange& c) { changes.push_back(c); });
    dui::PaintManager& pm = picker->GetPaintManager();
    picker->show();

    pm.Find<QAbstractButton>("skin_color")->click();
    EXPECT_EQ(pm.Find<QStackedWidget>("skin_tab")->currentIndex(), 1);
    pm.Find<QAbstractButton>("skin_color_btn")->click();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].isColour);
    EXPECT_FALSE(QFile::exists(ini));  // a colour is not recorded

    pm.Find<QAbstractButton>("skin_image")->click();
    EXPECT_EQ(pm.Find<QStackedWidget>("skin_tab")->currentIndex(), 0);
    QAbstractButton* image = nullptr;
    for (QAbstractButton* b : picker->findChildren<QAbstractButton*>("skin_image_btn")) {
        if (b->property("userdata").toString() == "common/bg_aurora.png") image = b;
    }
    ASSERT_NE(image, nullptr);
    image->click();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].imagePath, "common/bg_aurora.png");
    QSettings recorded(ini, QSettings::IniFormat);
    EXPECT_EQ(recorded.value("SKINIMAGE/FLAGS").toString(), "1");
    EXPECT_EQ(recorded.value("SKINIMAGE/IMAGE").toString(), "common/bg_aurora.png");

    pm.Find<QAbstractButton>("skin_reset")->click();
    QSettings reset(ini, QSettings::IniFormat);
    EXPECT_EQ(reset.value("SKINIMAGE/FLAGS").toString(), "0");
    EXPECT_EQ(reset.value("SKINIMAGE/IMAGE").toString(), "common/background.png");

    QWidget root;
    root.setObjectName("root");
    ApplySkinChange(&root, kSkin, changes[0]);
    EXPECT_TRUE(root.styleSheet().contains("background-color"));
    ApplySkinChange(&root, kSkin, changes[1]);
    EXPECT_TRUE(root.styleSheet().contains(kSkin + "/common/bg_aurora.png"));
    picker->close();
}

}  // namespace
}  // namespace ivra::shell
