// A control of a skin page's selection panel as a view lists it, and which
// key or light position it stands for. The views that read a page from a
// skin name their buttons "key_N" and "light_N" (class "DeviceKeyButton").
#pragma once

#include <optional>
#include <string>

#include "drivers/DeviceView.h"

namespace ivra {

struct PageChild {
    ControlHandle handle = kNoControl;
    std::string className;  // "DeviceKeyButton" for key and light buttons
    std::string name;       // "key_12", "light_3", ...
    // A control that is both the key and the light of its position is
    // listed twice, as "key_n" and as "light_n", with the same handle.
};

// The key or light position a child stands for (names compared without
// regard to case); nullopt for any other control.
std::optional<PositionControl> PositionControlOf(const PageChild& child);

}  // namespace ivra
