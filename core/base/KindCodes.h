// The kind codes of the supported devices, as the catalogue, the profile
// files and the selector icons use them.
#pragma once

#include <cstdint>

namespace ivra {

namespace kind {
constexpr uint16_t kKeyboard = 1;
constexpr uint16_t kMouse = 2;
constexpr uint16_t kMousePad = 3;
constexpr uint16_t kHeadsetIcon = 4;  // selector icon only
constexpr uint16_t kHub = 5;          // selector icon only
constexpr uint16_t kMouseReceiver = 6;
constexpr uint16_t kHeadset = 7;
constexpr uint16_t kKeyboardReceiver = 9;
}  // namespace kind

}  // namespace ivra
