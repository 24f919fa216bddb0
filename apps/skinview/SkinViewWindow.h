// The viewer's window: a skin built like any window's, whose device page
// tags make page containers, with the skin's style and drawn decorations.
#pragma once

#include "dui/WindowImplBase.h"

namespace ivra::tools {

class SkinViewWindow : public ivra::dui::WindowImplBase {
    Q_OBJECT
public:
    QString GetWindowClassName() const override { return QStringLiteral("SkinView"); }
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
};

}  // namespace ivra::tools
