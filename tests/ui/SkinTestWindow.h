// A window for the skin and control tests: builds a skin file the way the
// program does (device page tags make page containers, the control classes
// are registered) and records the notifications its controls send.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "controls/DevicePageUI.h"
#include "controls/RegisterControls.h"
#include "dui/WindowImplBase.h"

namespace ivra::testing {

inline QString SkinFolder() {
    return QStringLiteral(IVRA_SOURCE_DIR "/skin");
}

class SkinTestWindow : public dui::WindowImplBase {
public:
    SkinTestWindow() { controls::RegisterControlClasses(); }

    QString GetWindowClassName() const override { return QStringLiteral("SkinTestWindow"); }
    QWidget* CreateControl(const QString& className, QWidget* parent) override {
        return controls::CreateDevicePage(className, parent);
    }
    void Notify(dui::TNotifyUI& msg) override { seen << msg.sType + ":" + dui::ControlName(msg.pSender); }

    // The notifications of one type, as "type:sender".
    QStringList Seen(const QString& type) const {
        QStringList matching;
        for (const QString& s : seen) {
            if (s.startsWith(type + ":")) matching << s;
        }
        return matching;
    }

    QStringList seen;
};

}  // namespace ivra::testing
