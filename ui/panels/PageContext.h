// Everything one device page's panels share: the page, its device, the
// window's services, and the panels themselves, so that one panel can reach
// another (the macro editor tells the key setting panel about new macros).
// A panel is made when its part of the page is built: the keyboard settings
// with the page, the others when the user first opens them.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "panels/PageServices.h"
#include "panels/PagePanel.h"

namespace ivra {
class KestrelUSBDevice;
class KestrelKeyboardDevice;
}  // namespace ivra

namespace ivra::ui {
class QtDeviceView;
}

namespace ivra::panels {

class LightPanel;
class KeySetPanel;
class MacroPanel;
class KeyboardSettingsPanel;

class PageContext final : public QObject {
    Q_OBJECT
public:
    // `services` are the window's and outlive the context.
    PageContext(QWidget* page, const PageServices& services, QObject* parent = nullptr);
    ~PageContext() override;

    QWidget* PageWidget() const { return page_; }
    const PageServices& Services() const { return services_; }

    // The page's device, once the device model has bound it; its view
    // reports when the device's settings were replaced.
    void Bind(KestrelUSBDevice* device, ui::QtDeviceView* view);
    KestrelUSBDevice* Device() const { return device_; }
    // The device as a keyboard; null for the other kinds.
    KestrelKeyboardDevice* Keyboard() const;

    // Makes the panel for a part of the page that was just built, chosen by
    // the name of the include that holds it ("LightControlItem",
    // "KeySetControlItem", "MacroControlItem"); the keyboard settings panel
    // is made from the page itself. Nothing for other trees.
    void AdoptPanel(QWidget* content);

    LightPanel* Light() const { return light_; }
    KeySetPanel* KeySet() const { return keySet_; }
    MacroPanel* Macros() const { return macros_; }
    KeyboardSettingsPanel* Settings() const { return settings_; }

    // A click on the key button at `position`: on the lighting tab it
    // paints the key, on the key tab it opens the key for assignment.
    void OnKeyClicked(int position);

    // Has every panel show the device's settings again.
    void ShowSettings();

    // Whether "apply to all devices" is offered: while more than one device
    // is shown in the selector strip. Kept for a lighting panel made later.
    void SetSameModeAllowed(bool allowed);

private:
    void Adopt(PagePanel* panel);

    QPointer<QWidget> page_;
    const PageServices& services_;
    KestrelUSBDevice* device_ = nullptr;
    bool sameModeAllowed_ = false;
    LightPanel* light_ = nullptr;  // the panels are the context's children
    KeySetPanel* keySet_ = nullptr;
    MacroPanel* macros_ = nullptr;
    KeyboardSettingsPanel* settings_ = nullptr;
};

}  // namespace ivra::panels
