// Where a skin page shows each device function: the tab of the function
// switch and, when the function sits among the key settings, the tab of the
// key function switch.
#pragma once

#include "drivers/DeviceView.h"

namespace ivra::ui {

// The page's two tab layouts.
inline constexpr const char* kFunctionSwitchLayout = "device_function_switch";
inline constexpr const char* kKeyFunctionSwitchLayout = "device_key_function_switch";

struct FunctionTabs {
    int function = 0;
    int keyFunction = -1;  // -1: the key function switch is left as it is
};

FunctionTabs FunctionTabsFor(DeviceFunction function, bool systemOwnPage);

}  // namespace ivra::ui
