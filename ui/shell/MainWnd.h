// The main window: owns the skin's control tree, the tray icon, the device
// model (pages, selector entries, scan thread), and routes every
// notification and message to the part of the program that handles it.
// Closing it only hides it; the tray menu's "exit" ends the program.
#pragma once

#include <QPointer>
#include <atomic>
#include <map>
#include <memory>
#include <optional>

#include "discovery/DeviceCatalogue.h"
#include "services/DeviceService.h"
#include "services/DeviceModelObserver.h"
#include "shell/LanguageSettings.h"
#include "shell/NotificationRoutes.h"
#include "shell/QtOwnerThread.h"
#include "shell/QtTimerService.h"
#include "dui/WindowImplBase.h"
#include "models/keys/InputSource.h"
#include "panels/PageServices.h"

class QLabel;
class QMenu;
class QSystemTrayIcon;

namespace ivra::controls {
class DeviceOptionUI;
}

namespace ivra::shell {
class AboutWnd;
}

namespace ivra::profile::ui {
class DeviceProfileUI;
}

namespace ivra::panels {
class PageContext;
}

namespace ivra::shell {

class MainWnd : public dui::WindowImplBase, public IDeviceModelObserver {
    Q_OBJECT
public:
    MainWnd(IHidBackend& backend, const DeviceCatalogue& catalogue);
    ~MainWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
    void InitWindow() override;
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    void Notify(dui::TNotifyUI& msg) override;
    bool HandleMessage(uint message, quintptr wParam, qintptr lParam) override;

    // Brings the window forward: shown, restored, raised. Best effort on
    // Wayland, where a program may not take the focus.
    void RaiseWindow();
    // Restores the window's size (1000 x 640 at 96 DPI) and centres it.
    void FitToMonitor();
    void RefreshNoDeviceLink();
    // Opens the about window unless it is open already.
    void ShowAboutWindow();
    // Closes the settings and about windows.
    void CloseChildWindows();
    // Stops the device threads; the program then quits.
    void ExitProgram();
    // A tray menu command: "show", "control_light", "about", "exit".
    void OnMenuCommand(const QString& name);
    // The tray menu (also where no tray is, for tests).
    QMenu* TrayMenu() const;

    bool LightControl() const { return lightControl_; }
    void SetLightControl(bool on);
    int SettingsDpi() const { return settingsDpi_; }
    DeviceModel* Model() { return devices_->Devices(); }
    LanguageSettings* Language() { return language_.get(); }
    // The language (its id in Language.config) the window starts in instead
    // of the stored one, without storing it (set before the window is
    // created; --language and IVRA_LANGUAGE). An id the list lacks is
    // ignored with a debug line.
    void SetStartLanguage(int languageId) { startLanguage_ = languageId; }
    // Where settings.ini lives: $XDG_CONFIG_HOME/Ivra Wireless Manager 1.0/.
    static QString SettingsFile();
    // The profile panel of a device's page; none when the page has no panel.
    profile::ui::DeviceProfileUI* ProfilePanelOf(const KestrelUSBDevice& device) const;
    // The profile panel that holds `control`; none when no panel does.
    profile::ui::DeviceProfileUI* ProfilePanelHolding(const QWidget* control) const;
    // The panels of the device page that holds `control`; none outside the pages.
    panels::PageContext* PageHolding(const QWidget* control) const;
    // The panels of a device's page; none before the device is bound.
    panels::PageContext* PagePanelsOf(const KestrelUSBDevice& device) const;
    // What the pages' panels borrow from the window (messages, file
    // dialogs, input sources, the recording lock); tests replace parts of
    // it before the window is initialised.
    panels::PageServices& PanelServices() { return panelServices_; }

    // Cleared while the system sleeps: hook and game messages are dropped.
    static std::atomic<bool>& ProcessingEnabled();

    // IDeviceModelObserver
    void OnEntryChanged(const SelectorEntry& entry, bool shown, bool selected) override;
    void OnNoDeviceNotice(bool shown) override;
    void OnRaiseRequested() override;
    void OnAccessDenied(const DeviceSlot& candidate) override;

signals:
    // The program's light-control state, for other programs (D-Bus).
    void LightControlChanged(bool on);
    // Routed to a part that is not built into this window yet.
    void Unrouted(const QString& type, const QString& control, Route route);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Builds a device page from its skin file into "device_switch", its
    // selector entry into "device_select_layout", and the page's view.
    std::unique_ptr<IDeviceView> BuildPage(const DeviceOptionRow& option, const DevicePageRow& page);
    // Indexes, decorates and translates controls built after the page (a
    // function panel built when first shown).
    void AdoptLateControls(QWidget* content);
    controls::DeviceOptionUI* EntryWidget(const SelectorEntry& entry);
    void OnWindowInit();
    void OnClick(const dui::TNotifyUI& msg, QWidget* sender, const QString& name);
    void OnSelectChanged(const dui::TNotifyUI& msg, QWidget* sender, const QString& name, bool selected);
    void HideToTray();
    void ApplyLightControlToDevices();
    void CreateTray();
    // The tray menu's items from the skin's menu file, in its language.
    QMenu* BuildTrayMenu();
    void RetranslateTrayMenu();
    KestrelUSBDevice* SelectedDevice();
    // Sets up the profile panel of a page that was just built.
    void BuildProfilePanel(const DeviceOptionRow& option, QWidget* pageWidget);
    // Gives each profile panel and each page's panels the device of its page.
    void BindProfilePanels();
    // Hands a notification to the page panel its route names; false when
    // no panel of the sender's page takes it.
    bool RouteToPanel(const RouteTarget& target, const dui::TNotifyUI& msg, const QString& name);
    void SetUpPanelServices();
    void LockForRecording(bool recording);
    int ShowProfileMessage(const QString& textKey, int buttons, int number);

    IHidBackend& backend_;
    const DeviceCatalogue& catalogue_;
    QtOwnerThread owner_;
    QtTimerService timers_;
    std::unique_ptr<DeviceService> devices_;
    std::unique_ptr<LanguageSettings> language_;
    std::optional<int> startLanguage_;
    QPointer<QSystemTrayIcon> tray_;
    QPointer<QMenu> trayMenu_;
    QPointer<AboutWnd> aboutWindow_;
    std::map<int, QPointer<controls::DeviceOptionUI>> entryWidgets_;                  // by option row
    std::map<const QWidget*, QPointer<profile::ui::DeviceProfileUI>> profilePanels_;  // by page widget
    std::map<const QWidget*, QPointer<panels::PageContext>> pagePanels_;              // by page widget
    panels::PageServices panelServices_;
    // Made when a panel first asks for them.
    std::vector<std::unique_ptr<IInputSource>> inputSources_;
    bool lightControl_ = true;
    bool quitting_ = false;
    bool initialised_ = false;
    int settingsDpi_ = 96;
};

}  // namespace ivra::shell
