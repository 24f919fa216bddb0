// The keyboard's settings tab: repeat rate and delay with the test field,
// Win lock, the W/arrow swap, the 6-key mode and the report rate.
#pragma once

#include "panels/PagePanel.h"

namespace ivra::panels {

class KeyboardSettingsPanel final : public PagePanel {
    Q_OBJECT
public:
    KeyboardSettingsPanel(QWidget* root, PageContext& page);

    void Handle(const PanelNotice& notice) override;
    void ShowSettings() override;
};

}  // namespace ivra::panels
