// ivra-wireless-manager: the configuration program's window.
#include <QAbstractButton>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "controls/RegisterControls.h"
#include "discovery/CatalogueFile.h"
#include "discovery/DeviceCatalogue.h"
#include "base/DebugOutput.h"
#include "LinuxHidBackend.h"
#include "models/profile/DataLocations.h"
#include "services/KindRegistry.h"
#include "shell/LanguageSettings.h"
#include "shell/MainWindowCommands.h"
#include "shell/MainWnd.h"
#include "shell/PrivateFonts.h"
#include "shell/SingleInstance.h"
#include "shell/WindowMessages.h"
#include "dbus/ManagerService.h"
#include "dbus/SleepWatcher.h"
#include "dui/SkinStyle.h"
#include "SimHidBackend.h"
#include "SimulateOption.h"

namespace {

// Opens a function tab of the shown device's page as the user would, for a
// screenshot: the tab's option is clicked; for the key tab a key is chosen
// too, so that its settings show.
void OpenTabForScreenshot(ivra::shell::MainWnd& window, const QString& tab) {
    static const std::pair<const char*, const char*> kTabs[] = {
        {"lighting", "deng_Op_tab"}, {"keys", "key_Op_tab"}, {"macros", "macro_Op_tab"}, {"settings", "system_Op_tab"}};
    for (const auto& [name, option] : kTabs) {
        if (tab != QLatin1String(name)) continue;
        const QList<QAbstractButton*> found = window.findChildren<QAbstractButton*>(QString::fromLatin1(option));
        for (QAbstractButton* button : found) {
            if (!button->isVisible()) continue;
            button->click();
            if (tab == QLatin1String("keys")) {
                // The first key of the picture's second row ("Tab" or "~").
                for (QAbstractButton* key : window.findChildren<QAbstractButton*>(QStringLiteral("key_2"))) {
                    if (key->isVisible()) key->click();
                }
            }
            return;
        }
    }
    if (!tab.isEmpty()) std::fprintf(stderr, "ivra-wireless-manager: no tab %s to open\n", qPrintable(tab));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ivra Wireless Manager 1.0"));
    QApplication::setQuitOnLastWindowClosed(false);  // the program lives on in the tray

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configures Ivra keyboards, mice, mouse pads and headsets."));
    parser.addHelpOption();
    // The kind names come from the kind registry, in any case.
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Use simulated devices: a comma list of KIND or KIND:FILE "
                                                     "(KIND: %1).")
                                          .arg(QString::fromStdString(ivra::KindNamesText())),
                                      QStringLiteral("kinds"));
    const QCommandLineOption debug(QStringLiteral("debug"), QStringLiteral("Write the debug lines to stderr."));
    // For documentation screenshots: save the window after it settled, then quit.
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the main window as a PNG after two seconds and quit."),
                                        QStringLiteral("file"));
    // Until the settings window chooses one: the language to start in.
    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Start in the language with this id from "
                                                     "DefaultData/Language.config (also IVRA_LANGUAGE); the "
                                                     "stored choice stays."),
                                      QStringLiteral("id"));
    // With --screenshot: the function tab to open first, as a click would.
    const QCommandLineOption tab(QStringLiteral("tab"),
                                 QStringLiteral("With --screenshot: open the tab lighting, keys (with a key "
                                                "chosen), macros or settings of the shown device first."),
                                 QStringLiteral("name"));
    parser.addOption(simulate);
    parser.addOption(debug);
    parser.addOption(screenshot);
    parser.addOption(tab);
    parser.addOption(language);
    parser.process(app);
    if (parser.isSet(debug)) ivra::EnableDebugToStderr(true);

    const QString programFolder = QString::fromStdString(ivra::ProgramFolder().string());
    std::optional<int> startLanguage;
    const QString languageText =
        parser.isSet(language) ? parser.value(language) : qEnvironmentVariable("IVRA_LANGUAGE");
    if (!languageText.isEmpty()) {
        const std::vector<ivra::shell::LanguageEntry> languages = ivra::shell::LoadLanguageConfig(
            QDir(programFolder).filePath(QStringLiteral("DefaultData/Language.config")));
        bool number = false;
        const int id = languageText.toInt(&number);
        const bool known =
            number && std::any_of(languages.begin(), languages.end(),
                                  [id](const ivra::shell::LanguageEntry& entry) { return entry.id == id; });
        if (!known) {
            QStringList ids;
            for (const ivra::shell::LanguageEntry& entry : languages) {
                ids << QStringLiteral("%1 (%2)").arg(entry.id).arg(entry.name);
            }
            std::fprintf(stderr, "ivra-wireless-manager: --language: \"%s\" is no language id; the ids are %s\n",
                         qPrintable(languageText), qPrintable(ids.join(QStringLiteral(", "))));
            return 2;
        }
        startLanguage = id;
    }
    ivra::shell::PrivateFonts fonts(programFolder);

    ivra::shell::SingleInstance instance(QStringLiteral("ivra-wireless-manager"));
    switch (instance.Acquire()) {
        case ivra::shell::SingleInstance::Role::Secondary: return 0;  // the running one comes forward
        case ivra::shell::SingleInstance::Role::Unanswered: {
            // Starting a second program beside a hung one would fight over
            // the devices; the user must learn why no window comes.
            std::fprintf(stderr, "ivra-wireless-manager: %s; not starting a second one\n",
                         qPrintable(instance.ErrorString()));
            const QString platform = QGuiApplication::platformName();
            if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
                QMessageBox::warning(nullptr, QApplication::applicationName(),
                                     QStringLiteral("Ivra Wireless Manager is already running but does not "
                                                    "answer.\n\nEnd the running program (or wait until it "
                                                    "has ended), then start it again.\n\n%1")
                                         .arg(instance.ErrorString()));
            }
            return 1;
        }
        case ivra::shell::SingleInstance::Role::Failed:
            std::fprintf(stderr, "ivra-wireless-manager: %s; running without the single-instance check\n",
                         qPrintable(instance.ErrorString()));
            break;
        case ivra::shell::SingleInstance::Role::Primary: break;
    }

    std::unique_ptr<ivra::IHidBackend> backend;
    if (parser.isSet(simulate)) {
        auto simulated = std::make_unique<ivra::sim::SimHidBackend>();
        std::string error;
        if (!ivra::sim::PlugSimulatedDevices(parser.value(simulate).toStdString(), *simulated, error)) {
            std::fprintf(stderr, "ivra-wireless-manager: --simulate: %s\n", error.c_str());
            return 2;
        }
        backend = std::move(simulated);
    } else {
        backend = std::make_unique<ivra::LinuxHidBackend>();
    }

    ivra::controls::RegisterControlClasses();
    const QString skinFolder = QDir(programFolder).filePath(QStringLiteral("skin"));
    QString styleError;
    app.setStyleSheet(ivra::dui::LoadSkinStyleSheet(skinFolder, &styleError));

    const ivra::CatalogueLoad catalogue = ivra::LoadDeviceCatalogue(ivra::ProgramFolder(), ivra::UserConfigFolder());
    for (const std::string& line : catalogue.errors) ivra::DebugLine("catalogue: " + line);
    ivra::shell::MainWnd window(*backend, catalogue.catalogue);
    if (startLanguage) window.SetStartLanguage(*startLanguage);
    QString error;
    // Without its skin the window would be an empty frame holding the
    // single-instance lock: say why and stop instead.
    if (!window.Create(skinFolder, QStringLiteral("main.ui"), &error)) {
        std::fprintf(stderr, "ivra-wireless-manager: cannot load the skin: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&instance, &ivra::shell::SingleInstance::RaiseRequested, &window,
                     [&window] { window.PostMessage(ivra::shell::message::kInstance, 0, 1); });

    // Other programs reach us on the session bus; without one we run on.
    ivra::shell::MainWindowCommands commands(window);
    ivra::dbus::ManagerService service(commands, catalogue.catalogue);
    service.StartOnSessionBus();
    QObject::connect(&window, &ivra::shell::MainWnd::LightControlChanged, &service,
                     &ivra::dbus::ManagerService::NotifyLightControl);

    // Before the machine sleeps the lights go off; a delay inhibitor holds
    // the sleep until that is done.
    ivra::dbus::SleepWatcher sleep;
    sleep.StartOnSystemBus();
    QObject::connect(&sleep, &ivra::dbus::SleepWatcher::Suspending, &window, [&](quint64 cycle) {
        window.SendMessage(ivra::shell::message::kSuspend, 0, 0);
        sleep.LightsOffSent(cycle);
    });
    QObject::connect(&sleep, &ivra::dbus::SleepWatcher::Resumed, &window,
                     [&window] { window.SendMessage(ivra::shell::message::kResume, 0, 0); });
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        const QString tabName = parser.value(tab);
        QTimer::singleShot(1000, &window, [&window, tabName] { OpenTabForScreenshot(window, tabName); });
        QTimer::singleShot(2000, &window, [&window, file] {
            const bool saved = window.grab().save(file, "PNG");
            if (!saved) std::fprintf(stderr, "ivra-wireless-manager: cannot save %s\n", qPrintable(file));
            window.ExitProgram();
        });
    }
    return app.exec();
}
