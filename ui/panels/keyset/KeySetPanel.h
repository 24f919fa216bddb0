// The key setting panel: the assignment of the key the user picked, its
// function and parameters, key capture, and writing the keys to the device.
#pragma once

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
};

}  // namespace ivra::panels
