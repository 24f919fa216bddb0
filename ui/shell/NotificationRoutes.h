// Which part of the program a control's notification belongs to, decided
// from the control's name: exact names first, then the prefix of an indexed
// name ("key_" + 12), all without regard to case. Plain C++ so the tables
// can be checked on their own.
#pragma once

#include <string>
#include <string_view>

namespace ivra::shell {

enum class Route {
    None,
    // Main window.
    CloseMainWindow,  // "closebtn", "nodevice_ok_btn"
    Minimise,
    Maximise,
    Restore,
    SkinPicker,
    OpenSettings,
    LightControlToggle,     // "control_light_status"
    WindowsDeviceSettings,  // "windowdeviceset_" + n
    SelectPreviousEntry,
    SelectNextEntry,
    // Panels and pages.
    KeyButton,          // "key_" + n: the key setting panel
    LightColourOption,  // "color_option_" + n: the lighting panel
    AudioColourOption,  // "audiocolor_option_" + n
    ProfilePanel,
    KeyboardSettings,
    KeySetPanel,
    MacroPanel,
    RecoilPanel,
    LightPanel,
    AudioLightPanel,
    HeadsetPanel,
    MouseSettings,
    // Select notifications.
    DeviceSelect,  // "device_select"
    FunctionTab,   // the number is the tab (1 to 8)
};

struct RouteTarget {
    Route route = Route::None;
    int number = 0;  // the index of an indexed name, or the function tab
};

RouteTarget RouteClick(std::string_view controlName);
RouteTarget RouteSelectChanged(std::string_view controlName);
// Any notification type: "click" and "selectchanged" as above, then the
// tables of "itemselect", "valuechanged", "movevaluechanged", "killfocus",
// "setfocus", "colorchanged", "click_select_end", "itemactivate", "menu"
// and "return". Route::None for a type or control no table names.
RouteTarget RouteNotification(std::string_view type, std::string_view controlName);

const char* RouteName(Route route);

}  // namespace ivra::shell
