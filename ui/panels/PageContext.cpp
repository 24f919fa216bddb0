#include "panels/PageContext.h"

#include "base/DebugOutput.h"
#include "device/QtDeviceView.h"
#include "drivers/KestrelUSBDevice.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "dui/PaintManager.h"
#include "panels/keyset/KeySetPanel.h"
#include "panels/light/LightPanel.h"
#include "panels/macro/MacroPanel.h"
#include "panels/settings/KeyboardSettingsPanel.h"

namespace ivra::panels {

PageContext::PageContext(QWidget* page, const PageServices& services, QObject* parent)
    : QObject(parent), page_(page), services_(services) {
    // The keyboard settings sit on the page itself, not in an include.
    if (page != nullptr && dui::PaintManager::FindSubControlByName(page, QStringLiteral("repeat_rate_slider"))) {
        settings_ = new KeyboardSettingsPanel(page, *this);
    }
}

PageContext::~PageContext() = default;

void PageContext::Bind(KestrelUSBDevice* device, ui::QtDeviceView* view) {
    device_ = device;
    if (view != nullptr) {
        connect(view, &ui::QtDeviceView::SettingsReplaced, this, &PageContext::ShowSettings, Qt::UniqueConnection);
    }
    ShowSettings();
}

KestrelKeyboardDevice* PageContext::Keyboard() const {
    return dynamic_cast<KestrelKeyboardDevice*>(device_);
}

void PageContext::AdoptPanel(QWidget* content) {
    QWidget* holder = content ? content->parentWidget() : nullptr;
    if (holder == nullptr) return;
    const QString name = holder->objectName();
    if (name.compare(QLatin1String("LightControlItem"), Qt::CaseInsensitive) == 0 && !light_) {
        light_ = new LightPanel(content, *this);
        light_->SetSameModeAllowed(sameModeAllowed_);
        Adopt(light_);
    } else if (name.compare(QLatin1String("KeySetControlItem"), Qt::CaseInsensitive) == 0 && !keySet_) {
        keySet_ = new KeySetPanel(content, *this);
        Adopt(keySet_);
    } else if (name.compare(QLatin1String("MacroControlItem"), Qt::CaseInsensitive) == 0 && !macros_) {
        macros_ = new MacroPanel(content, *this);
        Adopt(macros_);
    }
}

void PageContext::Adopt(PagePanel* panel) {
    if (device_ != nullptr) panel->ShowSettings();
}

void PageContext::OnKeyClicked(int position) {
    if (device_ == nullptr) return;
    if (device_->ShownFunction() == DeviceFunction::kLighting) {
        if (light_) light_->PaintKey(position);
    } else if (device_->ShownFunction() == DeviceFunction::kKeys) {
        if (keySet_) keySet_->OpenKey(position);
    }
}

void PageContext::SetSameModeAllowed(bool allowed) {
    sameModeAllowed_ = allowed;
    if (light_ != nullptr) light_->SetSameModeAllowed(allowed);
}

void PageContext::ShowSettings() {
    if (device_ == nullptr) return;
    for (PagePanel* panel : {static_cast<PagePanel*>(light_), static_cast<PagePanel*>(keySet_),
                             static_cast<PagePanel*>(macros_), static_cast<PagePanel*>(settings_)}) {
        if (panel != nullptr) panel->ShowSettings();
    }
}

}  // namespace ivra::panels
