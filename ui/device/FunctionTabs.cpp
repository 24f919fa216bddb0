#include "device/FunctionTabs.h"

namespace ivra::ui {

FunctionTabs FunctionTabsFor(DeviceFunction function, bool systemOwnPage) {
    switch (function) {
        case DeviceFunction::kMacros:
        case DeviceFunction::kSurround: return {1, -1};
        case DeviceFunction::kCursor: return {2, -1};
        case DeviceFunction::kSystem:
            if (systemOwnPage) return {3, -1};
            return {0, 2};
        case DeviceFunction::kKeys:
        case DeviceFunction::kVoice: return {0, 1};
        case DeviceFunction::kMagic: return {0, 2};
        case DeviceFunction::kLighting: break;
    }
    return {0, 0};
}

}  // namespace ivra::ui
