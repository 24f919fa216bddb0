// What the keyboard's light effects remember from one step to the next.
// Reset whenever the effect changes.
#pragma once

#include <array>
#include <cstdint>

#include "models/lighting/KeyboardLayout.h"
#include "models/lighting/RippleMasks.h"

namespace ivra::light {

constexpr uint8_t kReactionNone = 0;
constexpr uint8_t kReactionPressed = 1;
constexpr uint8_t kReactionReleased = 2;

struct KeyboardEffectState {
    using PerKey = std::array<uint8_t, kKeyboardPositions>;

    uint8_t c = 0;      // the effect's step counter or phase
    uint8_t c2 = 0;     // a second counter (breathing colour, sparkle cursor)
    PerKey fade{};      // 255 = just lit, 0 = dark
    PerKey hue{};       // hue-wheel index per key
    PerKey phase{};     // twinkle phase per key
    PerKey reaction{};  // kReaction* of the last key event
    RippleMasks ripples;
    uint8_t rippleCounter = 0;  // index into the seven-colour list, 0..6

    void Reset() { *this = KeyboardEffectState{}; }
};

}  // namespace ivra::light
