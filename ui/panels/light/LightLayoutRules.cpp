#include "panels/light/LightLayoutRules.h"

#include <cstring>
#include <initializer_list>

namespace ivra::panels {
namespace {

constexpr DirectionTexts kSideways{"light_set_right_to_left_text", "light_set_left_to_right_text"};
constexpr DirectionTexts kTurning{"light_set_clockwise_text", "light_set_anticlockwise_text"};
constexpr DirectionTexts kOutwards{"light_set_inside_to_outside_text", "light_set_outside_to_inside_text"};
constexpr DirectionTexts kDownwards{"light_set_up_to_down_text", "light_set_down_to_up_text"};

// The groups one effect enables, in the order the tables list them
// (multicolour, colour, palette, brightness, speed); the effect group is
// always on.
struct Enabled {
    bool multicolour, colour, palette, brightness, speed;
};

constexpr Enabled kAll{true, true, true, true, true};
constexpr Enabled kNone{false, false, false, false, false};

LightLayoutRule WithEnabled(LightLayoutRule rule, Enabled on) {
    rule.multicolour = on.multicolour;
    rule.colour = on.colour;
    rule.palette = on.palette;
    rule.brightness = on.brightness;
    rule.speed = on.speed;
    return rule;
}

bool OneOf(int effect, std::initializer_list<int> effects) {
    for (int e : effects) {
        if (e == effect) return true;
    }
    return false;
}

LightLayoutRule KeyboardRule(int effect) {
    // What every effect starts from; the rows below change it.
    LightLayoutRule rule;
    rule.customShown = false;
    rule.sameMode = SameModeButton::kHidden;
    rule.direction = false;
    rule.speedShown = true;
    rule.colourPresetShown = false;
    rule.colourCard = true;
    rule.directionTexts = kSideways;
    rule.musicModeShown = false;
    rule.colourPage = 0;

    const auto row = [&rule](Enabled on, bool direction) {
        LightLayoutRule out = WithEnabled(rule, on);
        out.direction = direction;
        return out;
    };
    const Enabled steadyLike{true, true, true, true, false};
    const Enabled brightnessOnly{false, false, false, true, false};
    if (OneOf(effect, {1, 2, 3})) {
        LightLayoutRule out = row(effect == 3 ? kAll : steadyLike, false);
        out.sameMode = SameModeButton::kOffered;
        return out;
    }
    if (OneOf(effect, {4, 5, 6, 10, 13, 14, 15, 16, 17})) return row(kAll, false);
    if (effect == 7) return row(steadyLike, false);
    if (OneOf(effect, {11, 18})) return row(kAll, true);
    if (effect == 8) {
        LightLayoutRule out = row(kAll, true);
        out.directionTexts = kTurning;
        return out;
    }
    if (effect == 9 || effect == 12) {
        LightLayoutRule out = row(effect == 9 ? brightnessOnly : Enabled{false, false, false, true, true}, true);
        out.colourCard = false;
        out.directionTexts = effect == 9 ? kOutwards : kDownwards;
        return out;
    }
    if (effect == 19) {
        LightLayoutRule out = row({false, false, false, true, true}, false);
        out.colourCard = false;
        out.sameMode = SameModeButton::kOffered;
        return out;
    }
    if (effect == 20) {
        LightLayoutRule out = row(kNone, false);
        out.sameMode = SameModeButton::kOffered;
        return out;
    }
    if (effect == 21) {
        LightLayoutRule out = row({false, true, true, true, false}, false);
        out.speedShown = false;
        out.customShown = true;
        return out;
    }
    if (effect == 29) {
        LightLayoutRule out = row(steadyLike, true);
        out.speedShown = false;
        out.musicModeShown = true;
        out.colourPage = 1;
        return out;
    }
    if (effect == 30) {
        LightLayoutRule out = row(brightnessOnly, false);
        out.colourCard = false;
        return out;
    }
    return row(kNone, false);
}

// A row of the mouse, pad and headset tables: the groups enabled, the
// direction group's state and whether the same-mode button is offered (it
// starts hidden for these kinds).
LightLayoutRule OtherKindRow(Enabled on, bool direction, bool offered) {
    LightLayoutRule rule;
    rule.sameMode = SameModeButton::kHidden;
    LightLayoutRule out = WithEnabled(rule, on);
    out.direction = direction;
    if (offered) out.sameMode = SameModeButton::kOffered;
    return out;
}

// Kind 2 (mouse): the direction group starts enabled, the same-mode button
// hidden.
LightLayoutRule MouseRule(int effect) {
    const auto row = OtherKindRow;
    switch (effect) {
        case 0:
        case 5: return row(kAll, true, false);
        case 1: return row({false, false, false, true, true}, false, true);
        case 2: return row(kAll, true, true);
        case 3: return row({false, true, true, true, false}, false, true);
        case 4: return row(kAll, false, true);
        case 6:
        case 7: return row({false, false, false, true, true}, false, false);
        case 8: return row(kNone, false, true);
        default: return row(kNone, false, false);
    }
}

// Kinds 3, 4 and 7 (mouse pad, headset): as the mouse, with their own rows.
LightLayoutRule PadRule(int effect) {
    const auto row = OtherKindRow;
    switch (effect) {
        case 0: return row(kAll, true, false);
        case 1: return row({false, false, false, true, true}, false, true);
        case 2:
        case 4: return row(kAll, false, true);
        case 3: return row({false, true, true, true, false}, false, true);
        case 8: return row(kNone, false, true);
        default: return row(kNone, false, false);
    }
}

// Kind 5: neither the direction group nor the same-mode button changes.
LightLayoutRule KindFiveRule(int effect) {
    const LightLayoutRule rule;
    switch (effect) {
        case 0:
        case 2:
        case 3: return WithEnabled(rule, kAll);
        case 1: return WithEnabled(rule, {false, true, true, true, false});
        case 4: return WithEnabled(rule, {false, false, false, true, true});
        default: return WithEnabled(rule, kNone);
    }
}

}  // namespace

bool DirectionTexts::operator==(const DirectionTexts& other) const {
    return std::strcmp(first, other.first) == 0 && std::strcmp(second, other.second) == 0;
}

std::optional<LightLayoutRule> LightLayoutRuleFor(int kind, int effect) {
    switch (kind) {
        case kLightKindKeyboard: return KeyboardRule(effect);
        case 2: return MouseRule(effect);
        case 3:
        case 4:
        case 7: return PadRule(effect);
        case 5: return KindFiveRule(effect);
        default: return std::nullopt;
    }
}

}  // namespace ivra::panels
