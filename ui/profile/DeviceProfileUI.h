// The profile panel of one device page: the combo box of the kind's
// profiles, the name edit, the profile buttons and the row of function tabs.
// It drives one ProfileStore and applies a chosen profile to the page's
// device. The panel is the skin's "DeviceProfileItem" widget; this object
// only finds its controls by name and acts on them.
#pragma once

#include <QObject>
#include <chrono>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/FolderWatch.h"
#include "models/profile/ProfileStore.h"

class QComboBox;
class QSocketNotifier;
class QLineEdit;
class QWidget;

namespace ivra {
class KestrelUSBDevice;
}

namespace ivra::profile::ui {

class DeviceProfileUI : public QObject {
    Q_OBJECT
public:
    // Asks or tells the user: `textKey` is a language key, `buttons` 1 adds a
    // cancel choice; a `number` of 0 or more fills the text's "%d". Answers 1
    // for the positive choice.
    using MessageBoxFunction = std::function<int(const QString& textKey, int buttons, int number)>;
    // Asks for a file; an empty path when the user cancelled.
    using FileDialogFunction = std::function<QString()>;

    static constexpr int kApplyDelayMs = 400;
    // The longest the panel waits for another process's hold of the data
    // folder's lock: a short, bounded try, so the window never hangs on it.
    static constexpr std::chrono::milliseconds kLockWait{100};
    // Changes seen in the data folder are taken in after this pause, so a
    // burst of writes by another program is read once.
    static constexpr int kReloadDelayMs = 50;
    // When the folder is busy, the reload is tried again after this.
    static constexpr int kReloadRetryMs = 250;

    DeviceProfileUI(QWidget* panel, ProfileStoreSetup setup, QObject* parent = nullptr);

    QWidget* Panel() const { return panel_; }
    ProfileStore& Store() { return store_; }
    const ProfileStore& Store() const { return store_; }

    // The device the chosen profiles are applied to; may be none.
    // The device the page's profile operations apply to; it is told the
    // current profile after every change of the store.
    void SetDevice(KestrelUSBDevice* device);
    KestrelUSBDevice* Device() const { return device_; }

    // The message box also shows the notices of repairs (a list rebuilt, an
    // unreadable profile replaced) and the reasons operations failed: those
    // texts are no language keys and show as they are.
    void SetMessageBox(MessageBoxFunction function) { messageBox_ = std::move(function); }
    void SetOpenFileDialog(FileDialogFunction function) { openFile_ = std::move(function); }
    void SetSaveFileDialog(FileDialogFunction function) { saveFile_ = std::move(function); }

    // Reads the kind's list, fills the combo box and hides the tabs the kind
    // does not have.
    bool LoadProfileList();
    // Selects the tab of `type` (1 to 8) and clears the others without
    // notifications; any other type clears all. Nothing when a tab is missing.
    void SelectFunctionTab(int type);
    void HideAbsentTabs();

    // A click on one of the panel's buttons; false when `name` is none of them.
    bool OnClick(const QString& name);
    // The user chose a profile in the combo box: applied after a pause, so a
    // quick run of choices applies only the last one.
    void OnItemSelect();
    bool ApplyPending() const { return applyTimer_.isActive(); }

    // Watches the data folder and takes in what other programs change there:
    // the list (the combo box is refilled), the current profile's file and
    // the macros (the device reloads them and the page is redrawn). The
    // panel's own writes are recognised and ignored. False when the folder
    // cannot be watched.
    bool WatchDataFolder();
    // Takes in the changes seen so far at once (what the pause ends in).
    void ReloadChangedFiles();

signals:
    // A chosen profile was selected in the store (and sent to the device).
    void ProfileApplied(int index);
    // Changes made by another program were taken in.
    void ExternalChangeLoaded();

private:
    QWidget* Find(const QString& name) const;
    QComboBox* Combo() const;
    QLineEdit* NameEdit() const;
    // Shows the store's names and selection in the combo box and the edit.
    void Refill();
    int Ask(const char* textKey) const;
    void Tell(const char* textKey) const;
    void ApplyChosenProfile();
    void WriteMacrosAndReport();
    // Shows (and logs) what the store noticed and repaired, once each.
    void ShowNotices();
    void ShowText(const std::string& text) const;
    void OnFolderChanged();
    void Add();
    void Delete();
    void Copy();
    void Import();
    void Export();
    void Reset();
    void RestoreDefaults();
    void Rename();
    void ToggleMenu();

    QPointer<QWidget> panel_;
    ProfileStore store_;
    int deviceKind_ = 0;
    KestrelUSBDevice* device_ = nullptr;
    MessageBoxFunction messageBox_;
    FileDialogFunction openFile_;
    FileDialogFunction saveFile_;
    QTimer applyTimer_;
    std::unique_ptr<IFolderWatch> watch_;
    QSocketNotifier* watchNotifier_ = nullptr;
    QTimer reloadTimer_;
    bool listChanged_ = false;
    bool profileChanged_ = false;
    bool macrosChanged_ = false;
    int reloadRetries_ = 0;
    int loadRetries_ = 0;
};

}  // namespace ivra::profile::ui
