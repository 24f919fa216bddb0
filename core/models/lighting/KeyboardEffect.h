// The keyboard's effect indices (the light record's SelectItem byte) that
// the effect engine draws itself, named by what they show. Every index not
// listed here (0, 22..28, 31 and up) plays the user's recorded steps.
#pragma once

#include <cstdint>

#include "models/lighting/LightRecordLayout.h"

namespace ivra::light {

enum class KeyboardEffect : uint8_t {
    kSteady = 1,
    kColumnGradient = 2,
    kBreathing = 3,
    kReactive = 4,          // a pressed key lights and fades
    kRipple = 5,            // a press starts an expanding ring
    kClosingRipple = 6,     // a press starts a ring that closes in
    kRestartingRipple = 7,  // a ring that starts again by itself
    kOrderRainbow = 8,
    kDiagonalRainbow = 9,
    kSparkle = 10,
    kColumnWave = 11,
    kRowRainbow = 12,
    kTwinkle = 13,
    kDarkRipple = 14,
    kReactiveDark = 15,  // a pressed key goes dark and comes back
    kReactiveFade = 16,  // lights on presses only
    kOrderTwinkle = 17,
    kMovingColumns = 18,
    kColourCycle = 19,
    kOff = 20,
    kCustom = kCustomEffect,  // the chosen custom colour group
    kMusic = kMusicEffect,    // streamed from the audio spectrum
    kScreen = kScreenEffect,  // streamed from the screen colour
};

}  // namespace ivra::light
