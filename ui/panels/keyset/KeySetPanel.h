// The key setting panel: the assignment of the key the user picked, its
// function and parameters, key capture, and writing the keys to the device.
//
// Every change is stored into the key at once (profile and keyboard); the
// save buttons then stay enabled until "key_butt_prosave" wrote the macros
// and the key assignments to the device and saved the profile.
#pragma once

#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <string>

#include "models/keys/InputSource.h"
#include "models/keys/KeyRecord.h"
#include "models/keys/KeySetChoice.h"
#include "panels/PagePanel.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QAbstractButton;

namespace ivra {
class KestrelKeyboardDevice;
}

namespace ivra::panels {

class KeySetPanel final : public PagePanel {
    Q_OBJECT
public:
    KeySetPanel(QWidget* root, PageContext& page);
    ~KeySetPanel() override;

    bool Handle(const PanelNotice& notice) override;
    // After a connection, a profile load or reset and a read-back: the panel
    // closes (no key is open any more) and the save buttons are disabled.
    void ShowSettings() override;

    // Opens the key at `position` for assignment.
    void OpenKey(int position);

    // The macro choices, kept in the order of the macro editor's list.
    void SetMacroNames(const QStringList& names);
    void AddMacroName(const QString& name);
    void RenameMacroName(int index, const QString& name);
    void RemoveMacroName(int index);
    // Enables or disables "key_butt_keysave", "key_butt_keycancel" and
    // "key_butt_prosave".
    void EnableSaveButtons(bool on);
    // What "key_butt_prosave" does: writes the macros and the key
    // assignments to the device and saves the profile; false (with the
    // message shown) when the device did not take them.
    bool SaveToDevice();

    // The key being edited (-1: none) and its slots, for tests.
    int OpenPosition() const { return position_; }
    AssignmentSlot CurrentSlot() const { return current_; }
    // The input source capturing keys now; null while none does.
    IInputSource* CaptureSource() const { return captureSource_; }

private:
    void BindControls();
    // Fills the combos with the option tables' texts in the current
    // language and names the controls for assistive technology.
    void Retranslate();
    void FillFunctionCombo();
    bool OffersFunction(int functionId) const;

    KeySetFields ReadFields() const;
    void WriteFields(const KeySetFields& fields);
    void ShowAssignment(const AssignmentSlot& slot);
    void SelectFunctionPage(int functionId);
    void SelectModifier(int option);
    void ShowKeyLabel(const std::string& labelKey);
    // Builds the assignment from the controls and stores it into the key.
    void Store();

    void StartCapture();
    void StopCapture();
    void OnCaptured(uint64_t generation, const InputEvent& event);
    void ShowCaptureState(const QString& text);

    void ShowMessage(const char* textKey, int number = -1);
    void ReloadMacroNames();
    KestrelKeyboardDevice* Keyboard() const;

    QPointer<QComboBox> functionCombo_;
    QPointer<QStackedWidget> functionPages_;
    QPointer<QComboBox> mouseKeyCombo_;
    QPointer<QComboBox> swingCombo_;
    QPointer<QLineEdit> swingCount_;
    QPointer<QLineEdit> swingDelay_;
    QPointer<QLineEdit> swingSpeed_;
    QPointer<QComboBox> wheelCombo_;
    QPointer<QLineEdit> wheelCount_;
    QPointer<QLineEdit> wheelDelay_;
    QPointer<QLineEdit> wheelSpeed_;
    QPointer<QComboBox> dpiCombo_;
    QPointer<QLineEdit> fireInterval_;
    QPointer<QLineEdit> fireCount_;
    QPointer<QLineEdit> keyEdit_;
    QPointer<QLabel> captureText_;
    QPointer<QAbstractButton> modifiers_[5];
    QPointer<QComboBox> mediaCombo_;
    QPointer<QComboBox> systemCombo_;
    QPointer<QComboBox> macroCombo_;
    QPointer<QComboBox> macroOverCombo_;
    QPointer<QWidget> macroCycleLayout_;
    QPointer<QLineEdit> macroCycleEdit_;
    QPointer<QComboBox> gunCombo_;
    QPointer<QComboBox> combinationCombo_;
    QPointer<QAbstractButton> saveButtons_[3];

    bool keyboard_ = true;  // DPI and recoil keys are not offered on a keyboard
    int position_ = -1;
    AssignmentSlot current_;
    AssignmentSlot defaults_;
    std::string keyLabelKey_;  // the label key the key edit shows

    IInputSource* captureSource_ = nullptr;
    uint64_t captureGeneration_ = 0;  // events of an ended capture are dropped
};

}  // namespace ivra::panels
