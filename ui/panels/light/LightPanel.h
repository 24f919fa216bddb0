// The lighting panel: the effect, brightness, speed, direction, colours and
// music-light colours of the page's device, and the custom key colours.
#pragma once

#include "panels/PagePanel.h"

namespace ivra::panels {

class LightPanel final : public PagePanel {
    Q_OBJECT
public:
    LightPanel(QWidget* root, PageContext& page);

    void Handle(const PanelNotice& notice) override;
    void ShowSettings() override;

    // A click on the key at `position` while the lighting tab is shown.
    void PaintKey(int position);
};

}  // namespace ivra::panels
