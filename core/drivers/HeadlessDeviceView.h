// A device view without a display: a page with a set of key and light
// positions (and, optionally, the function areas) that records what the
// device shows on it, by position and by DeviceFunction. Used by the tests,
// by ivractl and as the device model's default view. Thread-safe.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "drivers/DeviceView.h"

namespace ivra {

class HeadlessDeviceView final : public IDeviceView {
public:
    struct LightState {
        bool on = false;
        uint32_t colour = 0;  // 0xRRGGBB
        uint8_t level = 0;
    };
    struct KeyInfo {
        std::string title;
        std::string text;
        bool unchanged = false;
    };
    struct ShownFunction {
        DeviceFunction function = DeviceFunction::kLighting;
        bool systemOwnPage = false;
        bool operator==(const ShownFunction&) const = default;
    };

    // A page without key or light positions and without function areas.
    HeadlessDeviceView() = default;
    // A page with these key and light positions.
    HeadlessDeviceView(std::set<size_t> keyPositions, std::set<size_t> lightPositions, bool hasFunctionAreas);

    // Keys 0..keys-1, lights 0..lights-1 and the function areas.
    static std::unique_ptr<HeadlessDeviceView> WithPositions(int keys, int lights);

    bool IsLightPositionShown(size_t position) override;
    void ShowLight(size_t position, bool on, light::Rgb colour, uint8_t level) override;
    // Recorded when the page has the function areas.
    void ShowFunction(DeviceFunction function, bool systemOwnPage) override;
    void ShowKeyInfo(size_t position, const std::string& title, const std::string& text, bool unchanged) override;
    void SetKeyEnabled(size_t position, bool enabled) override;
    void ShowPowerStatus(const std::array<uint8_t, 6>& record) override;

    // Hides or shows the light at a position, as the page's own layout does.
    void SetLightVisible(size_t position, bool visible);
    // What was last shown; nullopt when nothing was.
    std::optional<LightState> Light(size_t position) const;
    std::optional<KeyInfo> KeyInfoAt(size_t position) const;
    std::optional<bool> KeyEnabled(size_t position) const;
    std::optional<ShownFunction> Function() const;
    std::optional<std::array<uint8_t, 6>> LastPowerStatus() const;

private:
    mutable std::mutex mutex_;
    std::set<size_t> keyPositions_;
    std::set<size_t> lightPositions_;
    bool hasFunctionAreas_ = false;
    std::set<size_t> hiddenLights_;
    std::map<size_t, LightState> lights_;
    std::map<size_t, KeyInfo> keyInfo_;
    std::map<size_t, bool> keyEnabled_;
    std::optional<ShownFunction> function_;
    std::optional<std::array<uint8_t, 6>> powerStatus_;
};

}  // namespace ivra
