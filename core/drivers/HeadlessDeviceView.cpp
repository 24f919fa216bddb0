#include "drivers/HeadlessDeviceView.h"

#include "drivers/FunctionTabs.h"

namespace ivra {

HeadlessDeviceView::HeadlessDeviceView(std::vector<PageChild> selectPanelChildren, std::set<std::string> tabLayouts)
    : children_(std::move(selectPanelChildren)), tabLayouts_(std::move(tabLayouts)) {}

std::unique_ptr<HeadlessDeviceView> HeadlessDeviceView::WithButtons(int keys, int lights) {
    std::vector<PageChild> children;
    ControlHandle handle = 0;
    for (int i = 0; i < keys; ++i) {
        children.push_back({handle++, "DeviceKeyButton", "key_" + std::to_string(i)});
    }
    for (int i = 0; i < lights; ++i) {
        children.push_back({handle++, "DeviceKeyButton", "light_" + std::to_string(i)});
    }
    return std::make_unique<HeadlessDeviceView>(std::move(children),
                                                std::set<std::string>{kFunctionSwitchLayout, kKeyFunctionSwitchLayout});
}

bool HeadlessDeviceView::PositionControls(std::vector<PositionControl>& controls) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!children_) return false;
    controls.clear();
    for (const PageChild& child : *children_) {
        if (const auto control = PositionControlOf(child)) controls.push_back(*control);
    }
    return true;
}

bool HeadlessDeviceView::IsControlVisible(ControlHandle button) {
    std::lock_guard<std::mutex> lock(mutex_);
    return hidden_.count(button) == 0;
}

void HeadlessDeviceView::SetLightButton(ControlHandle button, bool on, light::Rgb colour, uint8_t level) {
    const uint32_t rgb =
        static_cast<uint32_t>(colour.red) << 16 | static_cast<uint32_t>(colour.green) << 8 | colour.blue;
    std::lock_guard<std::mutex> lock(mutex_);
    lightButtons_[button] = LightButtonState{on, rgb, level};
    ++lightButtonUpdates_;
}

void HeadlessDeviceView::ShowFunction(DeviceFunction function, bool systemOwnPage) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (tabLayouts_.count(kFunctionSwitchLayout) == 0 || tabLayouts_.count(kKeyFunctionSwitchLayout) == 0) {
        return;
    }
    const FunctionTabs tabs = FunctionTabsFor(function, systemOwnPage);
    selectedTabs_[kFunctionSwitchLayout] = tabs.function;
    if (tabs.keyFunction >= 0) selectedTabs_[kKeyFunctionSwitchLayout] = tabs.keyFunction;
}

void HeadlessDeviceView::ShowPowerStatus(const std::array<uint8_t, 6>& record) {
    std::lock_guard<std::mutex> lock(mutex_);
    powerStatus_ = record;
}

void HeadlessDeviceView::SetControlVisible(ControlHandle button, bool visible) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (visible) {
        hidden_.erase(button);
    } else {
        hidden_.insert(button);
    }
}

std::optional<HeadlessDeviceView::LightButtonState> HeadlessDeviceView::LightButton(ControlHandle button) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = lightButtons_.find(button);
    if (found == lightButtons_.end()) return std::nullopt;
    return found->second;
}

int HeadlessDeviceView::SelectedTab(const std::string& layoutName) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = selectedTabs_.find(layoutName);
    return found == selectedTabs_.end() ? -1 : found->second;
}

std::optional<std::array<uint8_t, 6>> HeadlessDeviceView::LastPowerStatus() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return powerStatus_;
}

int HeadlessDeviceView::LightButtonUpdates() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lightButtonUpdates_;
}

}  // namespace ivra
