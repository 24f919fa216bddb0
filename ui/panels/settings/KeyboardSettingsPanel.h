// The keyboard's settings tab: the key repeat rate and delay (kept in the
// profile only: the computer repeats keys, not the keyboard) with a field to
// try them, and the switches and report rate the keyboard keeps (Win lock,
// the W/arrow swap, the 6-key mode), which are written to it at once.
#pragma once

#include "models/profile/KeyboardSystemStages.h"
#include "panels/PagePanel.h"

namespace ivra::panels {

class KeyboardSettingsPanel final : public PagePanel {
    Q_OBJECT
public:
    KeyboardSettingsPanel(QWidget* root, PageContext& page);

    bool Handle(const PanelNotice& notice) override;
    // Shows the profile's system record: switches, slider, delay and report
    // rate options (a stored choice of 4 or more shows the first option).
    void ShowSettings() override;

private:
    // Stores the change; a change the keyboard or the profile file did not
    // take is told to the user and the page shows what is stored.
    void Change(KeyboardSetting setting, uint16_t value);
    void SelectIndexed(const char* prefix, int selected);
    void ShowDelayLabel(int delayChoice);
    void ClearTryField();
};

}  // namespace ivra::panels
