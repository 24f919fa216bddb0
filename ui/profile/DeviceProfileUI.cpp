#include "profile/DeviceProfileUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSocketNotifier>
#include <QWidget>
#include <array>

#include "drivers/KestrelUSBDevice.h"
#include "models/keys/MacroList.h"
#include "base/DebugOutput.h"
#include "InotifyFolderWatch.h"
#include "base/AtomicFile.h"
#include "base/JsonHelpers.h"
#include "dui/PaintManager.h"

namespace ivra::profile::ui {
namespace {

// The function tabs in type order: type n is element n - 1.
constexpr std::array<const char*, 8> kTabNames = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab",
};

const QString kProfileFilter = QStringLiteral("Profile Files (*.json *.Json *.JSON)");

std::filesystem::path LocalPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

void Log(const std::string& what, const ProfileStoreResult& result) {
    if (!result) DebugLine("profile " + what + ": " + result.reason);
}

ProfileStoreSetup WithUiLockWait(ProfileStoreSetup setup) {
    setup.lockWait = DeviceProfileUI::kLockWait;
    return setup;
}

bool EndsWith(const std::string& text, const char* end) {
    const std::string tail(end);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// How often a reload waits for a busy folder before it gives up until the
// next change.
constexpr int kMaxReloadRetries = 20;

}  // namespace

DeviceProfileUI::DeviceProfileUI(QWidget* panel, ProfileStoreSetup setup, QObject* parent)
    : QObject(parent), panel_(panel), store_(WithUiLockWait(setup)), deviceKind_(setup.deviceKind) {
    reloadTimer_.setSingleShot(true);
    connect(&reloadTimer_, &QTimer::timeout, this, &DeviceProfileUI::ReloadChangedFiles);
    applyTimer_.setSingleShot(true);
    applyTimer_.setInterval(kApplyDelayMs);
    // The timer belongs to this panel, so a choice is applied to the device
    // it was made for, whichever device is shown when the timer fires.
    connect(&applyTimer_, &QTimer::timeout, this, &DeviceProfileUI::ApplyChosenProfile);
    openFile_ = [this] {
        return QFileDialog::getOpenFileName(panel_ ? panel_->window() : nullptr, QString(), QString(), kProfileFilter);
    };
    saveFile_ = [this] {
        return QFileDialog::getSaveFileName(panel_ ? panel_->window() : nullptr, QString(), QString(), kProfileFilter);
    };
}

QWidget* DeviceProfileUI::Find(const QString& name) const {
    return panel_ ? dui::PaintManager::FindSubControlByName(panel_, name) : nullptr;
}

QComboBox* DeviceProfileUI::Combo() const {
    return qobject_cast<QComboBox*>(Find(QStringLiteral("device_profile_combo")));
}

QLineEdit* DeviceProfileUI::NameEdit() const {
    return qobject_cast<QLineEdit*>(Find(QStringLiteral("device_profile_name_edit")));
}

bool DeviceProfileUI::LoadProfileList() {
    const ProfileStoreResult result = store_.LoadProfileList();
    Log("load", result);
    ShowNotices();
    Refill();
    HideAbsentTabs();
    if (!watch_) WatchDataFolder();
    // Another program holding the folder just then must not leave the panel
    // empty: the load is tried again a few times.
    if (!result && ++loadRetries_ <= kMaxReloadRetries) {
        QTimer::singleShot(kReloadRetryMs, this, [this] {
            if (store_.Names().empty()) LoadProfileList();
        });
    }
    return result.done;
}

void DeviceProfileUI::ShowText(const std::string& text) const {
    if (messageBox_) messageBox_(QString::fromStdString(text), 0, -1);
}

void DeviceProfileUI::ShowNotices() {
    std::vector<std::string> notices = store_.TakeNotices();
    if (notices.empty()) return;
    std::string text;
    for (const std::string& notice : notices) {
        DebugLine("profile list: " + notice);
        text += (text.empty() ? "" : "\n") + notice;
    }
    // After the current event: the box never opens in the middle of
    // building a page or of another operation.
    QTimer::singleShot(0, this, [this, text] { ShowText(text); });
}

bool DeviceProfileUI::WatchDataFolder() {
    std::string error;
    std::unique_ptr<InotifyFolderWatch> watch = InotifyFolderWatch::Open(store_.ListFile().parent_path(), error);
    if (!watch) {
        DebugLine("profile folder watch: " + error);
        return false;
    }
    watch_ = std::move(watch);
    watchNotifier_ = new QSocketNotifier(watch_->Descriptor(), QSocketNotifier::Read, this);
    connect(watchNotifier_, &QSocketNotifier::activated, this, &DeviceProfileUI::OnFolderChanged);
    return true;
}

void DeviceProfileUI::OnFolderChanged() {
    if (!watch_) return;
    const std::filesystem::path folder = store_.ListFile().parent_path();
    const std::string currentFile = store_.CurrentProfileId() + ProfileStore::kProfileExtension;
    for (const std::string& name : watch_->TakeChanges()) {
        if (name == "*") {
            listChanged_ = profileChanged_ = macrosChanged_ = true;
            continue;
        }
        // What this process wrote itself is already shown.
        if (IsOwnWrite(folder / name)) continue;
        if (name == ProfileStore::kListFileName) {
            listChanged_ = true;
        } else if (name == currentFile) {
            profileChanged_ = true;
        } else if (name == MacroList::kListFileName || EndsWith(name, kMacroFileExtension)) {
            macrosChanged_ = true;
        }
    }
    if ((listChanged_ || profileChanged_ || macrosChanged_) && !reloadTimer_.isActive()) {
        reloadTimer_.start(kReloadDelayMs);
    }
}

void DeviceProfileUI::ReloadChangedFiles() {
    if (listChanged_) {
        const ProfileStoreResult reloaded = store_.ReloadList();
        if (!reloaded) {
            // Most likely another program holds the folder: try again soon,
            // a bounded number of times.
            Log("reload", reloaded);
            if (++reloadRetries_ <= kMaxReloadRetries) {
                reloadTimer_.start(kReloadRetryMs);
                return;
            }
        }
    }
    reloadRetries_ = 0;
    const std::string before = device_ != nullptr ? device_->Binding().CurrentProfileId() : std::string();
    Refill();
    if (device_ != nullptr) {
        if (profileChanged_ || device_->Binding().CurrentProfileId() != before) {
            device_->LoadProfile();
            device_->RemapKeys();
            device_->RefreshPage();
        } else if (macrosChanged_) {
            device_->ReloadKeysAndMacros();
            device_->RemapKeys();
        }
    }
    listChanged_ = profileChanged_ = macrosChanged_ = false;
    emit ExternalChangeLoaded();
}

void DeviceProfileUI::SetDevice(KestrelUSBDevice* device) {
    device_ = device;
    if (device_ != nullptr) device_->Binding().SetCurrentProfileId(store_.CurrentProfileId());
}

void DeviceProfileUI::Refill() {
    if (device_ != nullptr) device_->Binding().SetCurrentProfileId(store_.CurrentProfileId());
    QComboBox* combo = Combo();
    const std::vector<std::string>& names = store_.Names();
    const int current = store_.CurrentIndex();
    if (combo != nullptr) {
        const QSignalBlocker quiet(combo);
        combo->clear();
        for (const std::string& name : names) {
            const QString text = QString::fromStdString(name);
            combo->addItem(text, text);
        }
        combo->setCurrentIndex(current >= 0 && current < combo->count() ? current : -1);
    }
    if (QLineEdit* edit = NameEdit()) {
        const bool valid = current >= 0 && static_cast<size_t>(current) < names.size();
        edit->setText(valid ? QString::fromStdString(names[static_cast<size_t>(current)]) : QString());
    }
}

void DeviceProfileUI::SelectFunctionTab(int type) {
    std::array<QAbstractButton*, kTabNames.size()> tabs{};
    for (size_t i = 0; i < tabs.size(); ++i) {
        tabs[i] = qobject_cast<QAbstractButton*>(Find(QString::fromLatin1(kTabNames[i])));
        if (tabs[i] == nullptr) return;
    }
    for (size_t i = 0; i < tabs.size(); ++i) {
        dui::PaintManager::SelectOption(tabs[i], static_cast<int>(i) + 1 == type, false);
    }
}

void DeviceProfileUI::HideAbsentTabs() {
    auto show = [this](const char* name, bool visible) {
        if (QWidget* tab = Find(QString::fromLatin1(name))) tab->setVisible(visible);
    };
    switch (deviceKind_) {
        case 1: show("cursor_Op_tab", false); break;
        case 3:
        case 5:
            for (const char* name : {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}) show(name, false);
            break;
        case 4:
            for (const char* name : {"cursor_Op_tab", "macro_Op_tab", "key_Op_tab"}) show(name, false);
            break;
        case 7:
            for (const char* name : {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}) show(name, false);
            for (const char* name : {"6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}) show(name, true);
            break;
        default: break;
    }
}

int DeviceProfileUI::Ask(const char* textKey) const {
    // Without a way to ask, nothing that needs an answer is done.
    return messageBox_ ? messageBox_(QString::fromLatin1(textKey), 1, -1) : 0;
}

void DeviceProfileUI::Tell(const char* textKey) const {
    if (messageBox_) messageBox_(QString::fromLatin1(textKey), 0, -1);
}

bool DeviceProfileUI::OnClick(const QString& name) {
    const QString key = name.toLower();
    if (key == QLatin1String("device_add_btn")) {
        Add();
    } else if (key == QLatin1String("device_sub_btn")) {
        Delete();
    } else if (key == QLatin1String("device_copy_btn")) {
        Copy();
    } else if (key == QLatin1String("device_import_btn")) {
        Import();
    } else if (key == QLatin1String("device_export_btn")) {
        Export();
    } else if (key == QLatin1String("device_reset_btn")) {
        Reset();
    } else if (key == QLatin1String("default_btn")) {
        RestoreDefaults();
    } else if (key == QLatin1String("device_profile_edit_save_btn")) {
        Rename();
    } else if (key == QLatin1String("profile_fun_spread_btn")) {
        ToggleMenu();
    } else {
        return false;
    }
    return true;
}

void DeviceProfileUI::OnItemSelect() {
    if (QComboBox* combo = Combo()) {
        const int index = combo->currentIndex();
        if (QLineEdit* edit = NameEdit()) edit->setText(index >= 0 ? combo->itemText(index) : QString());
    }
    applyTimer_.start();  // a new choice within the pause restarts it
}

void DeviceProfileUI::ApplyChosenProfile() {
    QComboBox* combo = Combo();
    const ProfileStoreResult result = store_.SelectProfile(combo ? combo->currentIndex() : -1);
    Log("select", result);
    Refill();
    ShowNotices();
    if (!result) return;
    if (device_ != nullptr) {
        const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
        device_->LoadProfile();
        device_->RemapKeys();
        device_->RefreshPage();
        device_->WriteSettings(0, 0, 1, screen.width(), screen.height());
        WriteMacrosAndReport();
        device_->WriteKeyAssignments(0);
    }
    emit ProfileApplied(store_.CurrentIndex());
}

void DeviceProfileUI::WriteMacrosAndReport() {
    // An unreadable list or macro file sends nothing, and the user is told why.
    const std::string folder = device_->Binding().UserDataFolder();
    if (!folder.empty()) {
        MacroList macros(folder);
        macros.SetLockWait(kLockWait);
        std::vector<std::vector<MacroEvent>> events;
        if (const MacroListResult read = macros.ReadAllEvents(events); !read) {
            DebugLine("macros not sent: " + read.reason);
            ShowText("The macros were not sent: " + read.reason);
            return;
        }
    }
    const int result = device_->WriteMacros();
    // A failed transfer, and the keyboard's information block (so the size
    // of its macro memory) unreadable: either way nothing reached the device.
    if (result < 0) {
        Tell("message_text_7");
    } else if (result > 0 && messageBox_) {
        // How many events do not fit into the device.
        messageBox_(QStringLiteral("message_text_16"), 0, result);
    }
}

void DeviceProfileUI::Add() {
    Log("add", store_.AddProfile());
    Refill();
    ShowNotices();
}

void DeviceProfileUI::Delete() {
    if (store_.Names().size() <= 1 || store_.CurrentIndex() < 0) return;
    if (Ask("message_text_4") != 1) return;
    Log("delete", store_.DeleteProfile());
    Refill();
    ShowNotices();
}

void DeviceProfileUI::Copy() {
    Log("copy", store_.CopyProfile());
    Refill();
    ShowNotices();
}

void DeviceProfileUI::Import() {
    QComboBox* combo = Combo();
    if (combo == nullptr || combo->currentIndex() < 0 || !openFile_) return;
    const QString path = openFile_();
    if (path.isEmpty()) return;
    // Only a profile file (with a name and an id) is taken; anything else is
    // ignored without a word.
    const Json::Value value = ReadJson(LocalPath(path));
    if (!value.isObject() || MemberOf(value, "profilename").isNull() || MemberOf(value, "profileUUID").isNull()) {
        DebugLine("import: not a profile file: " + path.toStdString());
        return;
    }
    Log("import", store_.ImportProfile(LocalPath(path)));
    Refill();
    ShowNotices();
}

void DeviceProfileUI::Export() {
    QComboBox* combo = Combo();
    if (combo == nullptr || combo->currentIndex() < 0 || !saveFile_) return;
    const QString path = saveFile_();
    if (path.isEmpty()) return;
    const ProfileStoreResult exported = store_.ExportProfile(LocalPath(path));
    Log("export", exported);
    // A target that is no regular file, or a failed write, is said plainly.
    if (!exported) ShowText(exported.reason);
}

void DeviceProfileUI::Reset() {
    if (Ask("message_text_22") != 1) return;
    const ProfileStoreResult result = store_.ResetProfile();
    Log("reset", result);
    Refill();
    if (!result || device_ == nullptr) return;
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    device_->LoadProfile();
    device_->RefreshPage();
    device_->WriteSettings(0, 0, 1, screen.width(), screen.height());
    WriteMacrosAndReport();
    device_->WriteKeyAssignments(0);
}

void DeviceProfileUI::RestoreDefaults() {
    if (Ask("message_text_22") != 1 || device_ == nullptr) return;
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    device_->LoadDefaultProfile();
    device_->WriteKeyAssignments(0);
    device_->WriteSettings(0, 0, 1, screen.width(), screen.height());
}

void DeviceProfileUI::Rename() {
    QLineEdit* edit = NameEdit();
    if (edit == nullptr || edit->text().isEmpty()) return;
    std::string reason;
    switch (store_.RenameProfile(edit->text().toStdString(), &reason)) {
        case RenameResult::kNameTaken: Tell("message_text_5"); break;
        case RenameResult::kNameBlank: Tell("message_text_25"); break;
        case RenameResult::kDone: Refill(); break;
        case RenameResult::kFailed:
        case RenameResult::kNameInvalid:
            DebugLine("profile rename: " + reason);
            ShowText(reason);
            Refill();
            break;
    }
}

void DeviceProfileUI::ToggleMenu() {
    if (QWidget* menu = Find(QStringLiteral("profile_menu_layout"))) menu->setVisible(menu->isHidden());
}

}  // namespace ivra::profile::ui
