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

KindTraits Row(uint16_t kindCode, std::string_view name, std::string_view alias, std::string_view pageFile,
               bool complete, std::unique_ptr<KestrelUSBDevice> (*makeDriver)(IHidBackend&, IClock&),
               uint16_t receiverCode = 0) {
    KindTraits traits;
    traits.kindCode = kindCode;
    traits.name = name;
    traits.alias = alias;
    traits.pageFile = pageFile;
    traits.complete = complete;
    traits.makeDriver = makeDriver;
    traits.receiverCode = receiverCode;
    // The parameters come from discovery's table, which opens channels below
    // the services layer, so both read one set of figures.
    traits.cableTransport = TransportParamsForKind(kindCode);
    if (receiverCode != 0) traits.receiverTransport = TransportParamsForKind(receiverCode);
    return traits;
}

// keyboard_7210 shares the keyboard's code: the option row's variant picks it.
// Built on first use, so no other static initialiser meets an empty table.
const std::array<KindTraits, 5>& Kinds() {
    static const std::array<KindTraits, 5> kKinds = {{
        Row(kind::kKeyboard, "keyboard", "", "keyboarddevice.ui", true, &Make<KestrelKeyboardDevice>,
            kind::kKeyboardReceiver),
        Row(kind::kKeyboard, "keyboard_7210", "", "keyboarddevice_7210.ui", false, &Make<KestrelKeyboardDevice>,
            kind::kKeyboardReceiver),
        Row(kind::kMouse, "mouse", "", "", false, &Make<KestrelMouseDevice>, kind::kMouseReceiver),
        Row(kind::kMousePad, "MousePad", "pad", "", false, &Make<KestrelMousePadDevice>),
        Row(kind::kHeadset, "HD", "headset", "", false, &Make<KestrelHeadsetDevice>),
    }};
    return kKinds;
}

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
    return Kinds();
}

const KindTraits* FindKindByName(std::string_view name) {
    if (name.empty()) return nullptr;
    for (const KindTraits& traits : Kinds()) {
        if (SameIgnoringCase(traits.name, name) || (!traits.alias.empty() && SameIgnoringCase(traits.alias, name))) {
            return &traits;
        }
    }
    return nullptr;
}

const KindTraits* FindKindByCode(uint16_t kindCode) {
    const uint16_t cable = CableKindOf(kindCode);
    for (const KindTraits& traits : Kinds()) {
        if (traits.kindCode == cable) return &traits;
    }
    return nullptr;
}

KindTransportParams TransportParamsFor(uint16_t slotKind) {
    const KindTraits* traits = FindKindByCode(slotKind);
    if (traits == nullptr) return TransportParamsForKind(slotKind);
    return slotKind == traits->receiverCode && traits->receiverCode != 0 ? traits->receiverTransport
                                                                         : traits->cableTransport;
}

std::string KindNamesText() {
    std::string text;
    const std::span<const KindTraits> kinds = AllKinds();
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (i != 0) text += i + 1 == kinds.size() ? " or " : ", ";
        text += kinds[i].name;
    }
    return text;
}

}  // namespace ivra
