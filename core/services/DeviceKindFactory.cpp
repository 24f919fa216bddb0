#include "services/DeviceKindFactory.h"

#include "drivers/headset/KestrelHeadsetDevice.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "drivers/mouse/KestrelMouseDevice.h"
#include "drivers/pad/KestrelMousePadDevice.h"

namespace ivra {

std::unique_ptr<KestrelUSBDevice> MakeKindDevice(const DeviceOptionRow& option,
                                                  IHidBackend& backend, IClock& clock) {
    switch (CableKindOf(static_cast<uint16_t>(option.kind))) {
        case kind::kKeyboard: return std::make_unique<KestrelKeyboardDevice>(backend, clock);
        case kind::kMouse: return std::make_unique<KestrelMouseDevice>(backend, clock);
        case kind::kMousePad: return std::make_unique<KestrelMousePadDevice>(backend, clock);
        case kind::kHeadset: return std::make_unique<KestrelHeadsetDevice>(backend, clock);
        default: return std::make_unique<KestrelUSBDevice>(backend, clock);
    }
}

}  // namespace ivra
