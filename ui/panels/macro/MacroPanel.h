// The macro editor: the device kind's macros, the events of the selected
// macro, recording, and import and export.
#pragma once

#include <QStringList>

#include "panels/PagePanel.h"

namespace ivra::panels {

class MacroPanel final : public PagePanel {
    Q_OBJECT
public:
    MacroPanel(QWidget* root, PageContext& page);

    void Handle(const PanelNotice& notice) override;
    void ShowSettings() override;

    // The device kind's macro names, in the order of the list.
    QStringList MacroNames() const;
};

}  // namespace ivra::panels
