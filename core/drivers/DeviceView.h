// What a device object tells its page about the device: the light and the
// key information at each key or light position, which function the page
// shows, the power record, and whether the page is seen at all. Everything
// is addressed by position (0..125, the page's key and light positions) and
// by DeviceFunction; how a page draws a position or lays out its functions
// is the view's own business. The GUI's page widget implements it
// (ui/device/QtDeviceView); tests and ivractl use HeadlessDeviceView.
//
// Calls come from the owner thread, except RefreshPage-driven calls that a
// kind makes from its listener thread: an implementation marshals those
// itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "models/lighting/LightTables.h"

namespace ivra {

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

class IDeviceView {
public:
    virtual ~IDeviceView() = default;

    // Whether the page has a light at the position and it is not hidden.
    virtual bool IsLightPositionShown(size_t position) = 0;
    // Shows the light at a position lit with a colour and a brightness
    // level; a position the page has no light for is ignored.
    virtual void ShowLight(size_t position, bool on, light::Rgb colour, uint8_t level) = 0;

    // Brings the function's settings forward on the page. systemOwnPage:
    // the system settings have a page of their own (keyboards and mice);
    // otherwise they sit beside the key settings. A page without the
    // function areas ignores it.
    virtual void ShowFunction(DeviceFunction function, bool systemOwnPage) = 0;

    // The key at a position: its tooltip title and text, and whether the
    // key-setting overlay hides its "changed" mark (the key does what its
    // label says). A position the page has no key for is ignored.
    virtual void ShowKeyInfo(size_t /*position*/, const std::string& /*title*/, const std::string& /*text*/,
                             bool /*unchanged*/) {}
    // Whether the user can pick the key at a position.
    virtual void SetKeyEnabled(size_t /*position*/, bool /*enabled*/) {}
    // The text of a language key in the page's current language; the key
    // itself when the view has no language.
    virtual std::string Translate(const std::string& languageKey) { return languageKey; }
    // The device's settings were replaced (it connected, a profile was
    // loaded or reset, or the device sent its settings back): the panels
    // that show them show them again. Any thread.
    virtual void ShowSettings() {}
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
