// A device view without a display: a page described by a list of children
// and tab layouts, which records what the device shows on it. Used by the
// tests and by ivractl. Thread-safe.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "drivers/PageChild.h"

namespace ivra {

class HeadlessDeviceView final : public IDeviceView {
public:
    struct LightButtonState {
        bool on = false;
        uint32_t colour = 0;  // 0xRRGGBB
        uint8_t level = 0;
    };

    // A page without "SelectPanel" and without tab layouts.
    HeadlessDeviceView() = default;
    // A page whose "SelectPanel" holds these children.
    explicit HeadlessDeviceView(std::vector<PageChild> selectPanelChildren, std::set<std::string> tabLayouts = {});

    // Builds "key_0".."key_{keys-1}" and "light_0".."light_{lights-1}"
    // buttons (handles 0.. in that order) and the two function tab layouts.
    static std::unique_ptr<HeadlessDeviceView> WithButtons(int keys, int lights);

    bool PositionControls(std::vector<PositionControl>& controls) override;
    bool IsControlVisible(ControlHandle button) override;
    void SetLightButton(ControlHandle button, bool on, light::Rgb colour, uint8_t level) override;
    // Selects the function's tabs when the page has both function tab
    // layouts.
    void ShowFunction(DeviceFunction function, bool systemOwnPage) override;
    void ShowPowerStatus(const std::array<uint8_t, 6>& record) override;

    void SetControlVisible(ControlHandle button, bool visible);
    std::optional<LightButtonState> LightButton(ControlHandle button) const;
    // Selected tab of a layout, -1 when none was selected.
    int SelectedTab(const std::string& layoutName) const;
    std::optional<std::array<uint8_t, 6>> LastPowerStatus() const;
    int LightButtonUpdates() const;

private:
    mutable std::mutex mutex_;
    std::optional<std::vector<PageChild>> children_;
    std::set<std::string> tabLayouts_;
    std::set<ControlHandle> hidden_;
    std::map<ControlHandle, LightButtonState> lightButtons_;
    std::map<std::string, int> selectedTabs_;
    std::optional<std::array<uint8_t, 6>> powerStatus_;
    int lightButtonUpdates_ = 0;
};

}  // namespace ivra
