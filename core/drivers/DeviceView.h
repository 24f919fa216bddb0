// What a device object needs from its page: the buttons of its "SelectPanel",
// which function the page shows and the power panel. The GUI's page widget
// implements it; tests and ivractl use HeadlessDeviceView. Calls come from
// the owner thread, except RefreshPage-driven calls that a kind makes from
// its listener thread: an implementation marshals those itself.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "models/lighting/LightTables.h"

namespace ivra {

// A control on the page, as the view numbers them; kNoControl = none.
using ControlHandle = int32_t;
constexpr ControlHandle kNoControl = -1;

// What the page's function area shows, by the function it lets the user
// set; the numbers are the ones the notification routes carry (1 to 8).
enum class DeviceFunction : int32_t {
    kLighting = 1,
    kKeys = 2,
    kMacros = 3,
    kSystem = 4,
    kCursor = 5,
    kVoice = 6,
    kMagic = 7,
    kSurround = 8,
};

// A button of the page that stands for a key or a light position. A
// control that is both the key and the light of its position is listed
// twice, once in each role, with the same handle.
enum class PositionRole { kKey, kLight };
struct PositionControl {
    ControlHandle handle = kNoControl;
    PositionRole role = PositionRole::kKey;
    size_t position = 0;
};

class IDeviceView {
public:
    virtual ~IDeviceView() = default;

    // The key and light buttons of the page's selection panel, in the
    // panel's order; false when the page has no selection panel.
    virtual bool PositionControls(std::vector<PositionControl>& controls) = 0;
    virtual bool IsControlVisible(ControlHandle button) = 0;
    // Shows a light button lit with a colour and a brightness level.
    virtual void SetLightButton(ControlHandle button, bool on, light::Rgb colour, uint8_t level) = 0;

    // Brings the function's settings forward on the page. systemOwnPage:
    // the system settings have a page of their own (keyboards and mice);
    // otherwise they sit beside the key settings. A page without the
    // function areas ignores it.
    virtual void ShowFunction(DeviceFunction function, bool systemOwnPage) = 0;

    // A key button's tooltip title and text, and whether the key-setting
    // overlay hides its "changed" mark (the key does what its label says).
    virtual void SetKeyButtonInfo(ControlHandle /*button*/, const std::string& /*title*/, const std::string& /*text*/,
                                  bool /*unchanged*/) {}
    virtual void SetControlEnabled(ControlHandle /*control*/, bool /*enabled*/) {}
    // The text of a language key in the page's current language; the key
    // itself when the view has no language.
    virtual std::string Translate(const std::string& languageKey) { return languageKey; }
    // The 6-byte power record shown on the device's power panel.
    virtual void ShowPowerStatus(const std::array<uint8_t, 6>& record) = 0;

    // Whether what the page paints is seen: the page is shown, its window
    // is neither hidden nor minimised and (where the platform says so)
    // exposed. Any thread. A view without a display always counts as seen.
    virtual bool IsPageShowing() { return true; }
    // Called on the owner thread each time the page comes on screen again,
    // so that what it missed while it was not seen is painted; an empty
    // callback removes it.
    virtual void SetOnPageShown(std::function<void()> /*shown*/) {}
};

}  // namespace ivra
