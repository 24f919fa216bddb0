#include "drivers/HeadlessDeviceView.h"

namespace ivra {

HeadlessDeviceView::HeadlessDeviceView(std::set<size_t> keyPositions, std::set<size_t> lightPositions,
                                       bool hasFunctionAreas)
    : keyPositions_(std::move(keyPositions)), lightPositions_(std::move(lightPositions)),
      hasFunctionAreas_(hasFunctionAreas) {}

std::unique_ptr<HeadlessDeviceView> HeadlessDeviceView::WithPositions(int keys, int lights) {
    std::set<size_t> keyPositions;
    std::set<size_t> lightPositions;
    for (int i = 0; i < keys; ++i) keyPositions.insert(static_cast<size_t>(i));
    for (int i = 0; i < lights; ++i) lightPositions.insert(static_cast<size_t>(i));
    return std::make_unique<HeadlessDeviceView>(std::move(keyPositions), std::move(lightPositions), true);
}

bool HeadlessDeviceView::IsLightPositionShown(size_t position) {
    std::lock_guard<std::mutex> lock(mutex_);
    return lightPositions_.count(position) != 0 && hiddenLights_.count(position) == 0;
}

void HeadlessDeviceView::ShowLight(size_t position, bool on, light::Rgb colour, uint8_t level) {
    const uint32_t rgb =
        static_cast<uint32_t>(colour.red) << 16 | static_cast<uint32_t>(colour.green) << 8 | colour.blue;
    std::lock_guard<std::mutex> lock(mutex_);
    if (lightPositions_.count(position) == 0) return;
    lights_[position] = LightState{on, rgb, level};
}

void HeadlessDeviceView::ShowFunction(DeviceFunction function, bool systemOwnPage) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (hasFunctionAreas_) function_ = ShownFunction{function, systemOwnPage};
}

void HeadlessDeviceView::ShowKeyInfo(size_t position, const std::string& title, const std::string& text,
                                     bool unchanged) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (keyPositions_.count(position) != 0) keyInfo_[position] = KeyInfo{title, text, unchanged};
}

void HeadlessDeviceView::SetKeyEnabled(size_t position, bool enabled) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (keyPositions_.count(position) != 0) keyEnabled_[position] = enabled;
}

void HeadlessDeviceView::ShowPowerStatus(const std::array<uint8_t, 6>& record) {
    std::lock_guard<std::mutex> lock(mutex_);
    powerStatus_ = record;
}

void HeadlessDeviceView::SetLightVisible(size_t position, bool visible) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (visible) {
        hiddenLights_.erase(position);
    } else {
        hiddenLights_.insert(position);
    }
}

std::optional<HeadlessDeviceView::LightState> HeadlessDeviceView::Light(size_t position) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = lights_.find(position);
    if (found == lights_.end()) return std::nullopt;
    return found->second;
}

std::optional<HeadlessDeviceView::KeyInfo> HeadlessDeviceView::KeyInfoAt(size_t position) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = keyInfo_.find(position);
    if (found == keyInfo_.end()) return std::nullopt;
    return found->second;
}

std::optional<bool> HeadlessDeviceView::KeyEnabled(size_t position) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = keyEnabled_.find(position);
    if (found == keyEnabled_.end()) return std::nullopt;
    return found->second;
}

std::optional<HeadlessDeviceView::ShownFunction> HeadlessDeviceView::Function() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return function_;
}

std::optional<std::array<uint8_t, 6>> HeadlessDeviceView::LastPowerStatus() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return powerStatus_;
}

}  // namespace ivra
