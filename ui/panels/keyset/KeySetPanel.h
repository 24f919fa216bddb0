// The key setting panel: the assignment of the key the user picked, its
// function and parameters, key capture, and writing the keys to the device.
#pragma once

#include <QStringList>

#include "panels/PagePanel.h"

namespace ivra::panels {

class KeySetPanel final : public PagePanel {
    Q_OBJECT
public:
    KeySetPanel(QWidget* root, PageContext& page);

    void Handle(const PanelNotice& notice) override;
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
};

}  // namespace ivra::panels
