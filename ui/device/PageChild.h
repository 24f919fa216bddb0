// A control of a skin page's selection panel as the Qt view lists it, and
// which key or light position it stands for. Skin pages name their buttons
// "key_N" and "light_N" (class "DeviceKeyButton").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ivra::ui {

// A control on the page, as the view numbers them; kNoControl = none.
using ControlHandle = int32_t;
constexpr ControlHandle kNoControl = -1;

struct PageChild {
    ControlHandle handle = kNoControl;
    std::string className;  // "DeviceKeyButton" for key and light buttons
    std::string name;       // "key_12", "light_3", ...
    // A control that is both the key and the light of its position is
    // listed twice, as "key_n" and as "light_n", with the same handle.
};

// A button of the page that stands for a key or a light position.
enum class PositionRole { kKey, kLight };
struct PositionControl {
    ControlHandle handle = kNoControl;
    PositionRole role = PositionRole::kKey;
    size_t position = 0;
};

// The key or light position a child stands for (names compared without
// regard to case); nullopt for any other control.
std::optional<PositionControl> PositionControlOf(const PageChild& child);

}  // namespace ivra::ui
