// skinview: shows a skin file as the program would, for looking at a skin
// while it is made and for screenshots.
//
//   skinview [--skin DIR] [--keyboard PAGE] [--lights] [--out FILE.png] FILE
//
// FILE is a skin file or skin id below the skin folder (default: the
// "skin" folder of the source tree). --keyboard builds a device page
// ("XML\\DeviceXml\\keyboarddevice.xml") into the main window's
// "device_switch" with a selector entry for it; a page file given as FILE
// is shown on its own. --lights paints a colour sweep over the picture's
// light buttons through the page's device view. --out saves the window as
// a PNG and quits.
#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QCommandLineParser>
#include <QDir>
#include <QLabel>
#include <QStackedWidget>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>

#include "controls/DeviceOptionUI.h"
#include "controls/DevicePageUI.h"
#include "controls/RegisterControls.h"
#include "controls/SkinDecorator.h"
#include "device/QtDeviceView.h"
#include "dui/DialogBuilder.h"
#include "dui/ResourceIndex.h"
#include "dui/SkinStyle.h"
#include "SkinViewWindow.h"

namespace {

using ivra::controls::DeviceOptionUI;

QWidget* BuildInto(const QString& skin, const QString& file, ivra::dui::IDialogBuilderCallback* callback,
                   QString* error) {
    ivra::dui::DialogBuilder builder(skin, callback);
    return builder.Create(file, nullptr, error);
}

// Puts a keyboard page and its selector entry into the main window.
ivra::ui::QtDeviceView* AddKeyboardPage(ivra::tools::SkinViewWindow& window, const QString& skin,
                                        const QString& pageFile, QString* error) {
    auto& pm = window.GetPaintManager();
    auto* switcher = pm.Find<QStackedWidget>("device_switch");
    auto* strip = pm.FindControl("device_select_layout");
    if (switcher == nullptr || strip == nullptr) {
        *error = "the skin has no device_switch or device_select_layout";
        return nullptr;
    }
    QWidget* page = BuildInto(skin, pageFile, &window, error);
    QWidget* entryRoot = BuildInto(skin, "XML\\CustomControlXML\\DeviceOption.xml", nullptr, error);
    if (page == nullptr || entryRoot == nullptr) return nullptr;
    auto* entry = qobject_cast<DeviceOptionUI*>(entryRoot);
    if (entry == nullptr) {
        *error = "DeviceOption.ui does not make a DeviceOptionUI";
        return nullptr;
    }
    const int index = switcher->addWidget(page);
    strip->layout()->addWidget(entry);
    pm.AddControls(page);
    pm.AddControls(entry);
    ivra::controls::DecorateSkin(page, skin);
    entry->SetKind(1, 0);
    entry->BindTab("device_switch", index);
    if (QLabel* name = entry->NameLabel()) name->setText("Keyboard");
    ivra::dui::PaintManager::SelectOption(entry->SelectOption(), true, false);
    switcher->setCurrentIndex(index);
    if (QWidget* none = pm.FindControl("No_device_Link")) none->hide();
    return new ivra::ui::QtDeviceView(page, &window);
}

// A diagonal rainbow over the light buttons, as a device would send it.
void PaintSweep(ivra::ui::QtDeviceView& view) {
    std::vector<ivra::ui::PageChild> children;
    if (!view.SelectPanelChildren(children)) return;
    for (const ivra::ui::PageChild& child : children) {
        QWidget* control = view.Control(child.handle);
        if (control == nullptr || !QString::fromStdString(child.name).startsWith("light_")) continue;
        const QPoint at = control->geometry().center();
        const int hue = (at.x() / 3 + at.y() / 4) % 360;
        const QColor colour = QColor::fromHsv(hue, 230, 255);
        const ivra::light::Rgb rgb{static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
                                   static_cast<uint8_t>(colour.blue())};
        view.SetLightButton(child.handle, true, rgb, 220);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"skin", "The skin folder.", "dir", QStringLiteral(IVRA_SOURCE_DIR "/skin")});
    parser.addOption({"keyboard", "A keyboard page file to show in the main window.", "page"});
    parser.addOption({"lights", "Paint a colour sweep over the light buttons."});
    parser.addOption({"out", "Save the window as this PNG and quit.", "file"});
    parser.addPositionalArgument("file", "The skin file or skin id to show.");
    parser.process(app);
    if (parser.positionalArguments().size() != 1) parser.showHelp(2);

    const QString skin = parser.value("skin");
    QString file = parser.positionalArguments().front();
    ivra::dui::ResourceIndex index;
    QString error;
    if (index.Load(QDir(skin).filePath("res.xml"), &error) && index.Has(file)) file = index.File(file);

    ivra::controls::RegisterControlClasses();
    const QString sheet = ivra::dui::LoadSkinStyleSheet(skin, &error);
    if (sheet.isEmpty()) std::fprintf(stderr, "skinview: %s\n", qPrintable(error));
    app.setStyleSheet(sheet);

    ivra::tools::SkinViewWindow window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    if (!window.Create(skin, file, &error)) {
        std::fprintf(stderr, "skinview: %s\n", qPrintable(error));
        return 1;
    }
    ivra::controls::DecorateSkin(&window, skin);

    ivra::ui::QtDeviceView* view = nullptr;
    if (parser.isSet("keyboard")) {
        view = AddKeyboardPage(window, skin, parser.value("keyboard"), &error);
        if (view == nullptr) {
            std::fprintf(stderr, "skinview: %s\n", qPrintable(error));
            return 1;
        }
    } else if (qobject_cast<ivra::controls::DevicePageUI*>(window.GetPaintManager().GetRoot())) {
        view = new ivra::ui::QtDeviceView(window.GetPaintManager().GetRoot(), &window);
    }
    if (view != nullptr && parser.isSet("lights")) PaintSweep(*view);

    window.show();
    if (parser.isSet("out")) {
        const QString out = parser.value("out");
        QTimer::singleShot(400, &app, [&window, out] {
            const bool saved = window.grab().save(out, "PNG");
            if (!saved) std::fprintf(stderr, "skinview: cannot save %s\n", qPrintable(out));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
