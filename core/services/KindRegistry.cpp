#include "services/KindRegistry.h"

#include <array>

#include "drivers/headset/KestrelHeadsetDevice.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "drivers/mouse/KestrelMouseDevice.h"
#include "drivers/pad/KestrelMousePadDevice.h"

namespace ivra {
namespace {

template <typename Device>
std::unique_ptr<KestrelUSBDevice> Make(IHidBackend& backend, IClock& clock) {
    return std::make_unique<Device>(backend, clock);
}

// keyboard_7210 shares the keyboard's code: the option row's variant picks it.
const std::array<KindTraits, 5> kKinds = {{
    {kind::kKeyboard, "keyboard", "", "keyboarddevice.ui", true, &Make<KestrelKeyboardDevice>},
    {kind::kKeyboard, "keyboard_7210", "", "keyboarddevice_7210.ui", false, &Make<KestrelKeyboardDevice>},
    {kind::kMouse, "mouse", "", "", false, &Make<KestrelMouseDevice>},
    {kind::kMousePad, "MousePad", "pad", "", false, &Make<KestrelMousePadDevice>},
    {kind::kHeadset, "HD", "headset", "", false, &Make<KestrelHeadsetDevice>},
}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::span<const KindTraits> AllKinds() {
    return kKinds;
}

const KindTraits* FindKindByName(std::string_view name) {
    if (name.empty()) return nullptr;
    for (const KindTraits& traits : kKinds) {
        if (SameIgnoringCase(traits.name, name) || (!traits.alias.empty() && SameIgnoringCase(traits.alias, name))) {
            return &traits;
        }
    }
    return nullptr;
}

const KindTraits* FindKindByCode(uint16_t kindCode) {
    const uint16_t cable = CableKindOf(kindCode);
    for (const KindTraits& traits : kKinds) {
        if (traits.kindCode == cable) return &traits;
    }
    return nullptr;
}

}  // namespace ivra
