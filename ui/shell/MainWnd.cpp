#include "shell/MainWnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QLayout>

#include "base/DebugLines.h"
#include "controls/DeviceOptionUI.h"
#include "controls/DevicePageUI.h"
#include "controls/SkinDecorator.h"
#include "discovery/DeviceSlot.h"
#include "drivers/HeadlessDeviceView.h"
#include "device/QtDeviceView.h"
#include "base/DebugOutput.h"
#include "models/profile/DataLocations.h"
#include "EvdevInputSource.h"
#include "XInputSource.h"
#include "input/WindowInputSource.h"
#include "panels/PageContext.h"
#include "profile/DeviceProfileUI.h"
#include "shell/PanelForRoute.h"
#include "shell/AboutWnd.h"
#include "shell/AppIcon.h"
#include "shell/MsgWnd.h"
#include "shell/PageFrame.h"
#include "dui/LanguageResources.h"
#include "shell/SkinFrame.h"
#include "shell/WindowMessages.h"

namespace ivra::shell {
namespace {

constexpr int kTimerFitToMonitor = 1011;
constexpr int kWindowWidth = 1000;
constexpr int kWindowHeight = 640;
const char* const kProductName = "Ivra Wireless Manager 1.0";

std::string Utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

std::atomic<bool>& MainWnd::ProcessingEnabled() {
    static std::atomic<bool> enabled{true};
    return enabled;
}

MainWnd::MainWnd(IHidBackend& backend, const DeviceCatalogue& catalogue)
    : backend_(backend), catalogue_(catalogue), devices_(std::make_unique<DeviceService>(catalogue, &backend)) {
    setWindowTitle(QString::fromUtf8(kProductName));
    setWindowIcon(AppIcon());
    SetUpPanelServices();
}

MainWnd::~MainWnd() {
    devices_->CloseDevices();
    // The page panels go before the services and input sources they borrow:
    // a panel that still captures keys stops its source as it goes.
    for (auto& [pageWidget, page] : pagePanels_) delete page.data();
}

void MainWnd::InitWindow() {
    DebugLine("InitWindow");
    controls::DecorateSkin(this, GetSkinFolder());
    CreateTray();
}

QWidget* MainWnd::CreateControl(const QString& className, QWidget* parent) {
    return controls::CreateDevicePage(className, parent);
}

std::unique_ptr<IDeviceView> MainWnd::BuildPage(const DeviceOptionRow& option, const DevicePageRow& page) {
    dui::PaintManager& pm = GetPaintManager();
    auto* switcher = pm.Find<QStackedWidget>(QStringLiteral("device_switch"));
    QWidget* strip = pm.FindControl(QStringLiteral("device_select_layout"));
    QString error;
    dui::DialogBuilder builder(GetSkinFolder(), this);
    // The page's function panels (lights, keys, macros, ...) are built when
    // the user first opens them; only the profile panel, which binds the
    // page to its profiles, is built now.
    builder.DeferIncludes(
        [](const QString& source) { return !source.contains(QLatin1String("DeviceProfile"), Qt::CaseInsensitive); },
        [this](QWidget* content) { AdoptLateControls(content); });
    QWidget* pageWidget = switcher ? builder.Create(QString::fromStdString(page.pageXml), nullptr, &error) : nullptr;
    if (pageWidget == nullptr) {
        // A page the skin cannot build still has a device: it runs headless.
        DebugLine("page " + option.kindName + ": " + error.toStdString());
        return std::unique_ptr<IDeviceView>(HeadlessDeviceView::WithPositions(page.keyCount, page.ledCount));
    }
    const int index = switcher->addWidget(new PageFrame(pageWidget));
    pm.AddControls(pageWidget);
    controls::DecorateSkin(pageWidget, GetSkinFolder());
    // Pages are built after the language was applied: they take it now.
    dui::LanguageResources::Instance().ReloadText(pageWidget);
    BuildProfilePanel(option, pageWidget);
    pagePanels_[pageWidget] = new panels::PageContext(pageWidget, panelServices_, this);

    dui::DialogBuilder entryBuilder(GetSkinFolder(), nullptr);
    QWidget* entryRoot =
        strip ? entryBuilder.Create(QString::fromStdString(option.optionXml), nullptr, &error) : nullptr;
    auto* entry = qobject_cast<controls::DeviceOptionUI*>(entryRoot);
    if (entry != nullptr && strip->layout() != nullptr) {
        // Before the "next" arrow, after the entries already there.
        strip->layout()->addWidget(entry);
        pm.AddControls(entry);
        controls::DecorateSkin(entry, GetSkinFolder());
        entry->SetKind(option.kind, option.variant);
        entry->BindTab(QStringLiteral("device_switch"), index);
        if (QAbstractButton* select = entry->SelectOption()) {
            pm.SetGroup(select, QString::fromStdString(option.tabGroupName));
        }
        // The kind's name in the window's language.
        if (QLabel* name = entry->NameLabel())
            dui::LanguageResources::Instance().SetTextKey(name, entry->Icons().tooltipKey);
        dui::LanguageResources::Instance().ReloadText(entry);
        entry->SetVisible(false);
        const int optionRow = static_cast<int>(&option - catalogue_.Options().data());
        entryWidgets_[optionRow] = entry;
    } else {
        delete entryRoot;  // not an entry control: nothing will own it
        DebugLine("selector entry " + option.kindName + ": " + error.toStdString());
    }
    auto view = std::make_unique<ui::QtDeviceView>(pageWidget, this);
    view->SetTranslator([](const std::string& key) {
        return dui::LanguageResources::Instance().Text(QString::fromStdString(key)).toStdString();
    });
    return view;
}

void MainWnd::AdoptLateControls(QWidget* content) {
    GetPaintManager().AddControls(content);
    controls::DecorateSkin(content, GetSkinFolder());
    dui::LanguageResources::Instance().ReloadText(content);
    if (panels::PageContext* page = PageHolding(content)) page->AdoptPanel(content);
}

panels::PageContext* MainWnd::PageHolding(const QWidget* control) const {
    for (const QWidget* widget = control; widget != nullptr; widget = widget->parentWidget()) {
        const auto it = pagePanels_.find(widget);
        if (it != pagePanels_.end()) return it->second.data();
    }
    return nullptr;
}

panels::PageContext* MainWnd::PagePanelsOf(const KestrelUSBDevice& device) const {
    for (const auto& [pageWidget, page] : pagePanels_) {
        if (page && page->Device() == &device) return page.data();
    }
    return nullptr;
}

void MainWnd::SetUpPanelServices() {
    panelServices_.message = [this](const QString& key, int buttons, int number) {
        return ShowProfileMessage(key, buttons, number);
    };
    panelServices_.openFile = [this](const QString& filter) {
        return QFileDialog::getOpenFileName(this, QString(), QString(), filter);
    };
    panelServices_.saveFile = [this](const QString& filter) {
        return QFileDialog::getSaveFileName(this, QString(), QString(), filter);
    };
    panelServices_.recordingLock = [this](bool recording) { LockForRecording(recording); };
    panelServices_.takingInput = [] { return ProcessingEnabled().load(); };
    panelServices_.inputSources = [this] {
        if (inputSources_.empty()) {
            // Best first: X11's events reach us wherever the focus is;
            // evdev does too where /dev/input is readable; the window's own
            // events work everywhere but only while it has the focus.
            inputSources_.push_back(std::make_unique<XInputSource>());
            inputSources_.push_back(std::make_unique<EvdevInputSource>());
            inputSources_.push_back(std::make_unique<ui::WindowInputSource>());
        }
        std::vector<IInputSource*> sources;
        for (const auto& source : inputSources_) sources.push_back(source.get());
        return sources;
    };
}

void MainWnd::LockForRecording(bool recording) {
    // The selector strip and the profile panels take no input while a
    // macro is recorded.
    if (QWidget* strip = GetPaintManager().FindControl(QStringLiteral("device_select_layout"))) {
        strip->setEnabled(!recording);
    }
    for (auto& [panelWidget, panel] : profilePanels_) {
        if (panel && panel->Panel()) panel->Panel()->setEnabled(!recording);
    }
}

bool MainWnd::RouteToPanel(const RouteTarget& target, const dui::TNotifyUI& msg, const QString& name) {
    panels::PageContext* page = PageHolding(msg.pSender);
    if (page == nullptr) return false;
    if (target.route == Route::KeyButton) {
        page->OnKeyClicked(target.number);
        return true;
    }
    panels::PagePanel* panel = PanelForRoute(*page, target.route);
    if (panel == nullptr) return false;
    return panel->Handle(panels::PanelNotice{msg.sType, name, msg.pSender, msg.wParam, target.number});
}

void MainWnd::BuildProfilePanel(const DeviceOptionRow& option, QWidget* pageWidget) {
    QWidget* panelWidget = dui::PaintManager::FindSubControlByName(pageWidget, QStringLiteral("DeviceProfileItem"));
    if (panelWidget == nullptr) return;
    const ProfileResult prepared = devices_->PrepareProfiles(option.kindName, option.kind);
    if (!prepared.Ready()) {
        DebugLine("profile folder " + option.kindName + ": " + prepared.reason);
        return;
    }
    auto* panel = new profile::ui::DeviceProfileUI(panelWidget, prepared.setup, this);
    panel->SetMessageBox(
        [this](const QString& key, int buttons, int number) { return ShowProfileMessage(key, buttons, number); });
    panel->LoadProfileList();
    panel->SelectFunctionTab(1);
    profilePanels_[panelWidget] = panel;
}

void MainWnd::BindProfilePanels() {
    if (!Model()) return;
    for (const DeviceModel::Page& page : Model()->Pages()) {
        auto* view = dynamic_cast<ui::QtDeviceView*>(page.view.get());
        if (view == nullptr || view->Page() == nullptr) continue;
        for (auto& [panelWidget, panel] : profilePanels_) {
            if (panel && view->Page()->isAncestorOf(panelWidget)) panel->SetDevice(page.device.get());
        }
        const auto panels = pagePanels_.find(view->Page());
        if (panels != pagePanels_.end() && panels->second) panels->second->Bind(page.device.get(), view);
    }
}

profile::ui::DeviceProfileUI* MainWnd::ProfilePanelOf(const KestrelUSBDevice& device) const {
    for (const auto& [panelWidget, panel] : profilePanels_) {
        if (panel && panel->Device() == &device) return panel.data();
    }
    return nullptr;
}

profile::ui::DeviceProfileUI* MainWnd::ProfilePanelHolding(const QWidget* control) const {
    for (const QWidget* widget = control; widget != nullptr; widget = widget->parentWidget()) {
        const auto it = profilePanels_.find(widget);
        if (it != profilePanels_.end()) return it->second.data();
    }
    return nullptr;
}

int MainWnd::ShowProfileMessage(const QString& textKey, int buttons, int number) {
    if (number < 0) return ShowMessageBox(this, GetSkinFolder(), QString(), textKey, settingsDpi_, true, buttons);
    QString text = dui::LanguageResources::Instance().Text(textKey);
    text.replace(QStringLiteral("%d"), QString::number(number));
    return ShowMessageBox(this, GetSkinFolder(), QString(), text, settingsDpi_, false, buttons);
}

controls::DeviceOptionUI* MainWnd::EntryWidget(const SelectorEntry& entry) {
    if (!Model()) return nullptr;
    for (const DeviceModel::Page& page : Model()->Pages()) {
        if (page.entry.get() == &entry) {
            const auto it = entryWidgets_.find(page.optionRow);
            return it == entryWidgets_.end() ? nullptr : it->second.data();
        }
    }
    return nullptr;
}

void MainWnd::CreateTray() {
    trayMenu_ = BuildTrayMenu();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = new QSystemTrayIcon(AppIcon(), this);
    tray_->setToolTip(QString::fromUtf8(kProductName));
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger) return;
        RefreshNoDeviceLink();
        CloseChildWindows();
        if (isVisible() && !isMinimized()) {
            hide();
        } else {
            FitToMonitor();
            RaiseWindow();
        }
    });
    tray_->show();
}

QMenu* MainWnd::BuildTrayMenu() {
    // The skin's menu file names the items, in order, and their text keys.
    auto* menu = new QMenu(this);
    QString error;
    dui::DialogBuilder builder(GetSkinFolder());
    const std::unique_ptr<QWidget> items(builder.Create(QStringLiteral("menu.xml"), nullptr, &error));
    QList<QAbstractButton*> buttons;
    if (items) buttons = items->findChildren<QAbstractButton*>();
    if (buttons.isEmpty()) DebugLine("tray menu: " + error.toStdString() + "; only exit is offered");
    const auto add = [this, menu](const QString& name, const QString& textKey) {
        QAction* action = menu->addAction(dui::LanguageResources::Instance().Text(textKey));
        action->setObjectName(name);
        action->setProperty("textKey", textKey);
        connect(action, &QAction::triggered, this, [this, name] { OnMenuCommand(name); });
        return action;
    };
    for (QAbstractButton* button : buttons) {
        QAction* action = add(button->objectName(), button->property("textKey").toString());
        if (button->objectName() == QLatin1String("control_light")) {
            action->setCheckable(true);
            action->setChecked(lightControl_);
        }
    }
    if (buttons.isEmpty()) add(QStringLiteral("exit"), QStringLiteral("menu_exit_text"));
    return menu;
}

QMenu* MainWnd::TrayMenu() const {
    return trayMenu_.data();
}

void MainWnd::RetranslateTrayMenu() {
    if (!trayMenu_) return;
    for (QAction* action : trayMenu_->actions()) {
        const QString key = action->property("textKey").toString();
        if (!key.isEmpty()) action->setText(dui::LanguageResources::Instance().Text(key));
    }
}

void MainWnd::OnMenuCommand(const QString& name) {
    if (name == QLatin1String("exit")) {
        ExitProgram();
    } else if (name == QLatin1String("show")) {
        FitToMonitor();
        RaiseWindow();
    } else if (name == QLatin1String("control_light")) {
        SetLightControl(!lightControl_);
    } else if (name == QLatin1String("about")) {
        ShowAboutWindow();
    } else {
        DebugLine("tray menu: no command " + Utf8(name));
    }
}

void MainWnd::Notify(dui::TNotifyUI& msg) {
    const QString name = dui::ControlName(msg.pSender);
    if (msg.sType != QLatin1String("timer")) DebugLine(Utf8(msg.sType + QLatin1Char(' ') + name));

    if (msg.sType == QLatin1String("windowinit")) {
        OnWindowInit();
    } else if (msg.sType == QLatin1String("click")) {
        OnClick(msg, msg.pSender, name);
    } else if (msg.sType == QLatin1String("selectchanged")) {
        auto* option = qobject_cast<QAbstractButton*>(msg.pSender);
        OnSelectChanged(msg, msg.pSender, name, option == nullptr || option->isChecked());
    } else if (msg.sType == QLatin1String("timer")) {
        if (msg.wParam == kTimerFitToMonitor) {
            FitToMonitor();
            update();
        }
    } else if (msg.sType == QLatin1String("itemselect") &&
               name.compare(QLatin1String("device_profile_combo"), Qt::CaseInsensitive) == 0) {
        // Applied to the page the choice was made on, after a pause.
        if (profile::ui::DeviceProfileUI* panel = ProfilePanelHolding(msg.pSender)) panel->OnItemSelect();
    } else if (msg.sType != QLatin1String("windowsize")) {
        const RouteTarget target = RouteNotification(Utf8(msg.sType), Utf8(name));
        if (target.route != Route::None && !RouteToPanel(target, msg, name))
            emit Unrouted(msg.sType, name, target.route);
    }
}

void MainWnd::OnWindowInit() {
    if (initialised_) return;
    initialised_ = true;
    // Other programs learn that we control the lights.
    emit LightControlChanged(lightControl_);

    // The program folder holds the skin folder and DefaultData.
    const QDir programFolder = QFileInfo(GetSkinFolder()).dir();
    language_ = std::make_unique<LanguageSettings>(
        programFolder.filePath(QStringLiteral("DefaultData/Language.config")), GetSkinFolder(), SettingsFile());
    int languageIndex = language_->StoredIndex();
    LanguageSettings::Storing storing = LanguageSettings::Storing::kStore;
    if (startLanguage_) {
        const int chosen = language_->IndexOfId(*startLanguage_);
        if (chosen >= 0) {
            languageIndex = chosen;
            storing = LanguageSettings::Storing::kShowOnly;
        } else {
            DebugLine("language: no language has the id " + std::to_string(*startLanguage_) +
                      "; the stored one is shown");
        }
    }
    language_->Apply(languageIndex, GetPaintManager(), this, storing);
    RetranslateTrayMenu();

    devices_->SetDataRoots(UserDataRoot(), ProgramFolder());
    devices_->BuildDevices(owner_, timers_, this, [this](const DeviceOptionRow& option, const DevicePageRow& page) {
        return BuildPage(option, page);
    });
    BindProfilePanels();
    RefreshNoDeviceLink();
    show();
    if (!devices_->StartDiscovery()) DebugLine(debug::kScanStartFailed);
    GetPaintManager().SetTimer(this, kTimerFitToMonitor, 100);
}

void MainWnd::OnClick(const dui::TNotifyUI& msg, QWidget* sender, const QString& name) {
    const RouteTarget target = RouteClick(Utf8(name));
    switch (target.route) {
        case Route::CloseMainWindow:
            CloseChildWindows();
            HideToTray();
            break;
        case Route::Minimise: showMinimized(); break;
        case Route::Maximise: showMaximized(); break;
        case Route::Restore: showNormal(); break;
        case Route::LightControlToggle: SetLightControl(!lightControl_); break;
        case Route::SkinPicker: {
            auto* picker = new SkinFrame(this, MainIniPath());
            QString error;
            if (!picker->Create(GetSkinFolder(), QStringLiteral("skin.ui"), &error)) {
                DebugLine("skin picker: " + error.toStdString());
                delete picker;
                break;
            }
            controls::DecorateSkin(picker, GetSkinFolder());
            connect(picker, &SkinFrame::SkinChanged, this, [this](const SkinChange& change) {
                ApplySkinChange(GetPaintManager().GetRoot(), GetSkinFolder(), change);
            });
            picker->PlaceUnder(sender);
            picker->show();
            break;
        }
        case Route::SelectPreviousEntry:
            if (Model()) Model()->Strip().SelectPrevious();
            break;
        case Route::SelectNextEntry:
            if (Model()) Model()->Strip().SelectNext();
            break;
        case Route::WindowsDeviceSettings: {
            // The desktop's own keyboard (0) or mouse (1) settings; any other
            // number opens nothing.
            if (target.number == 0 || target.number == 1) {
                const QString panel = target.number == 0 ? QStringLiteral("keyboard") : QStringLiteral("mouse");
                if (!QProcess::startDetached(QStringLiteral("gnome-control-center"), {panel})) {
                    DebugLine("no desktop settings program found");
                }
            }
            break;
        }
        case Route::ProfilePanel:
            if (profile::ui::DeviceProfileUI* panel = ProfilePanelHolding(sender)) {
                panel->OnClick(name);
            } else {
                emit Unrouted(QStringLiteral("click"), name, target.route);
            }
            break;
        default:
            if (!RouteToPanel(target, msg, name)) emit Unrouted(QStringLiteral("click"), name, target.route);
            break;
    }
}

void MainWnd::OnSelectChanged(const dui::TNotifyUI& msg, QWidget* sender, const QString& name, bool selected) {
    const RouteTarget target = RouteSelectChanged(Utf8(name));
    switch (target.route) {
        case Route::DeviceSelect: {
            // The entry whose option was chosen becomes the strip's selection.
            if (!selected || !Model()) break;
            for (size_t i = 0; i < Model()->Strip().Size(); ++i) {
                controls::DeviceOptionUI* widget = EntryWidget(Model()->Strip().At(i));
                if (widget && widget->SelectOption() == sender) {
                    Model()->Strip().ShowEntry(i, true, true);
                    break;
                }
            }
            break;
        }
        case Route::FunctionTab: {
            if (!selected) break;
            profile::ui::DeviceProfileUI* panel = ProfilePanelHolding(sender);
            KestrelUSBDevice* device = panel && panel->Device() ? panel->Device() : SelectedDevice();
            if (device) device->ShowFunction(static_cast<DeviceFunction>(target.number));
            if (panel) panel->SelectFunctionTab(target.number);
            break;
        }
        default:
            if (!RouteToPanel(target, msg, name)) emit Unrouted(QStringLiteral("selectchanged"), name, target.route);
            break;
    }
}

KestrelUSBDevice* MainWnd::SelectedDevice() {
    if (!Model()) return nullptr;
    const int index = Model()->Strip().SelectedIndex();
    if (index < 0) return nullptr;
    return &Model()->Strip().At(static_cast<size_t>(index)).Device();
}

bool MainWnd::HandleMessage(uint message, quintptr wParam, qintptr lParam) {
    switch (message) {
        case message::kInstance: {
            char line[96];
            std::snprintf(line, sizeof line, "软件标示 %u，%zx%zx", message, static_cast<size_t>(wParam),
                          static_cast<size_t>(lParam));
            DebugLine(line);
            RaiseWindow();
            return true;
        }
        case message::kLightControlSet:
            if (wParam != 1) return true;
            if (lParam == 0 || lParam == 1) {
                SetLightControl(lParam == 1);
            } else {
                ApplyLightControlToDevices();
            }
            return true;
        case message::kSuspend:
            ProcessingEnabled() = false;
            devices_->SetLightControlFlags(false);
            return true;
        case message::kResume:
            ProcessingEnabled() = true;
            ApplyLightControlToDevices();
            return true;
        case message::kLanguageChanged:
            if (language_) language_->Apply(static_cast<int>(wParam), GetPaintManager(), this);
            RetranslateTrayMenu();
            // Key names and the panels' lists are made in the language.
            if (Model()) {
                for (const DeviceModel::Page& page : Model()->Pages()) page.device->RefreshPage();
            }
            if (aboutWindow_) aboutWindow_->SendMessage(message::kLanguageChanged, 0, 0);
            return true;
        case message::kShowProgress:
            if (QWidget* progress = GetPaintManager().FindControl(QStringLiteral("setting_progress"))) {
                progress->show();
            }
            return true;
        default: break;
    }
    return false;
}

void MainWnd::SetLightControl(bool on) {
    lightControl_ = on;
    // Through the language files, so that a language change re-applies it.
    if (QWidget* status = GetPaintManager().FindControl(QStringLiteral("control_light_status"))) {
        dui::LanguageResources::Instance().SetTextKey(status, on ? QStringLiteral("control_light_text")
                                                                 : QStringLiteral("no_control_light_text"));
    }
    if (trayMenu_) {
        if (QAction* toggle = trayMenu_->findChild<QAction*>(QStringLiteral("control_light"))) toggle->setChecked(on);
    }
    emit LightControlChanged(on);
    ApplyLightControlToDevices();
}

void MainWnd::ApplyLightControlToDevices() {
    devices_->ApplyLightControl(lightControl_);
}

void MainWnd::RefreshNoDeviceLink() {
    QWidget* notice = GetPaintManager().FindControl(QStringLiteral("No_device_Link"));
    if (notice == nullptr) return;
    notice->setVisible(!Model() || !Model()->Strip().AnyShown());
}

void MainWnd::RaiseWindow() {
    RefreshNoDeviceLink();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWnd::FitToMonitor() {
    const bool wasVisible = isVisible() && !isMinimized();
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        settingsDpi_ = area.width() > 1500 && area.height() > 960 ? 144 : 96;
    }
    resize(GetPaintManager().Scale(kWindowWidth), GetPaintManager().Scale(kWindowHeight));
    CenterWindow();
    if (!wasVisible) hide();
}

QString MainWnd::SettingsFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Ivra Wireless Manager 1.0/settings.ini"));
}

void MainWnd::ShowAboutWindow() {
    if (aboutWindow_) {
        aboutWindow_->raise();
        return;
    }
    AboutWnd about(this);
    QString error;
    if (!about.Create(GetSkinFolder(), QStringLiteral("AboutWnd.ui"), &error)) {
        DebugLine("about window: " + error.toStdString());
        return;
    }
    const auto& updates = catalogue_.UpdateItems();
    about.SetVersionText(updates.empty() ? QString() : QString::fromStdString(updates.back().versionLabel));
    about.CenterWindow();
    aboutWindow_ = &about;
    about.ShowModal();
    aboutWindow_ = nullptr;
}

void MainWnd::CloseChildWindows() {
    if (aboutWindow_) aboutWindow_->Close(0);
}

void MainWnd::HideToTray() {
    // Without a tray the window could not be brought back: minimise instead.
    if (tray_ && QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void MainWnd::ExitProgram() {
    quitting_ = true;
    CloseChildWindows();
    DebugLine(debug::kQuitTest);
    hide();
    devices_->CloseDevices();
    if (tray_) tray_->hide();
    QApplication::quit();
}

void MainWnd::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    event->ignore();
    HideToTray();
}

void MainWnd::OnEntryChanged(const SelectorEntry& entry, bool shown, bool selected) {
    if (controls::DeviceOptionUI* widget = EntryWidget(entry)) {
        widget->SetVisible(shown);
        if (shown && selected) {
            dui::PaintManager::SelectOption(widget->SelectOption(), true, false);
            if (auto* switcher = GetPaintManager().Find<QStackedWidget>(QStringLiteral("device_switch"))) {
                if (widget->GetPageIndex() >= 0) switcher->setCurrentIndex(widget->GetPageIndex());
            }
        }
    }
    // "Same on all devices" is offered while more than one device is shown.
    size_t shownEntries = 0;
    if (Model()) {
        for (size_t i = 0; i < Model()->Strip().Size(); ++i) {
            const SelectorEntry& other = Model()->Strip().At(i);
            if (&other == &entry ? shown : other.Shown()) ++shownEntries;
        }
    }
    for (auto& [pageWidget, page] : pagePanels_) {
        if (page) page->SetSameModeAllowed(shownEntries > 1);
    }
    RefreshNoDeviceLink();
}

void MainWnd::OnNoDeviceNotice(bool shown) {
    if (QWidget* notice = GetPaintManager().FindControl(QStringLiteral("No_device_Link"))) {
        notice->setVisible(shown);
    }
}

void MainWnd::OnRaiseRequested() {
    RaiseWindow();
}

void MainWnd::OnAccessDenied(const DeviceSlot& candidate) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "no access to the device %04x:%04x (%s): install the udev rule "
                  "70-ivra-wireless-manager.rules",
                  candidate.vendorId, candidate.productId, candidate.path.c_str());
    DebugLine(line);
    if (tray_) {
        tray_->showMessage(QString::fromUtf8(kProductName),
                           dui::LanguageResources::Instance().Text(QStringLiteral("access_denied_text")));
    }
}

}  // namespace ivra::shell
