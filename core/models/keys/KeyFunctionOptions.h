// The fixed option tables of the key setting panel. Each combo box lists
// its items in this order; the item's position selects the row. Item texts
// belong to the skin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "models/keys/Assignment.h"

namespace ivra {

// The functions the key setting panel offers: the user data of the function
// combo's items and the page index of its tab layout.
enum class KeyFunctionId : int {
    kDefault = 0,
    kMouseButton = 1,
    kSwing = 2,
    kWheel = 3,
    kDpi = 4,  // not offered on a keyboard
    kFire = 5,
    kKeyboardKey = 6,
    kMedia = 7,
    kSystem = 8,
    kMacro = 9,
    kRecoil = 10,  // not offered on a keyboard
    kCombination = 11,
};

// "keyset_mousekey_combo": left, middle, right, forward, back.
std::span<const Assignment> MouseButtonOptions();
// "keyset_mousedpi_combo": DPI up, down, cycle.
std::span<const Assignment> DpiOptions();
// "keyset_system_combo": power, sleep, wake.
std::span<const Assignment> SystemOptions();
// "keyset_media_combo": 18 consumer controls, from the media player to mail.
std::span<const Assignment> MediaOptions();
// "keyset_combokey_combo": left Ctrl with O, N, Z, S, C, X, V, F, A, minus, equals.
std::span<const Assignment> CombinationOptions();

// The item of `options` whose three bytes equal `assignment`.
std::optional<std::size_t> FindOptionItem(std::span<const Assignment> options, Assignment assignment);

// Repeat modes 0-3 of "keyset_macro_over_combo" give type 0x70; item 4
// repeats the macro a number of times (type 0x71).
constexpr int kMacroRepeatCountItem = 4;

}  // namespace ivra
