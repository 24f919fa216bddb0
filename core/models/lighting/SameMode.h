// The same-mode table: the effects every kind of lit device can show, and
// the effect index each kind uses for them. Synchronised lighting maps the
// selected device's effect to a common effect and that to every other kind.
#pragma once

#include <optional>

namespace ivra::light {

// The common effects.
namespace common {
constexpr int kBreathing = 0;
constexpr int kSteady = 1;
constexpr int kBlink = 2;
constexpr int kColourCycle = 3;
constexpr int kOff = 4;
}  // namespace common

// The common effect of a kind's effect index; none for an index with no
// common effect or a kind outside the table (keyboard 1, mouse 2, mouse pad
// 3, headset 7).
std::optional<int> CommonEffectFor(int deviceKind, unsigned effectIndex);

// The kind's effect index for a common effect; none when the kind cannot
// show it (the keyboard has no blink and no colour cycle among them) or the
// kind is outside the table.
std::optional<unsigned> KindEffectFor(int deviceKind, int commonEffect);

}  // namespace ivra::light
