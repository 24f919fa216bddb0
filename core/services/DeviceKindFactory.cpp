#include "services/DeviceKindFactory.h"

#include "drivers/headset/KestrelDE6533Device.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"
#include "drivers/mouse/KestrelMouseDevice.h"
#include "drivers/pad/KestrelMousePadDevice.h"

namespace ivra {

std::unique_ptr<CKestrelUSBDevice> MakeKindDevice(const DeviceOptionRow& option,
                                                  IHidBackend& backend, IClock& clock) {
    switch (CableKindOf(static_cast<uint16_t>(option.kind))) {
        case kind::kKeyboard: return std::make_unique<CKestrelKeyboardDevice>(backend, clock);
        case kind::kMouse: return std::make_unique<CKestrelMouseDevice>(backend, clock);
        case kind::kMousePad: return std::make_unique<CKestrelMousePadDevice>(backend, clock);
        case kind::kHeadset: return std::make_unique<CKestrelDE6533Device>(backend, clock);
        default: return std::make_unique<CKestrelUSBDevice>(backend, clock);
    }
}

}  // namespace ivra
