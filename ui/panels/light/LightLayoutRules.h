// Which groups of the lighting panel an effect uses, per device kind: the
// groups it enables, the ones it shows or hides, the texts of the direction
// pair and whether it offers the same-mode button. Plain data, so that the
// table can be read and tested without a window.
#pragma once

#include <optional>

namespace ivra::panels {

// The language keys of the two direction options, first ("deng_FXL_check",
// direction 1) and second ("deng_FXR_check", direction 0).
struct DirectionTexts {
    const char* first;
    const char* second;
    bool operator==(const DirectionTexts& other) const;
};

// What the same-mode button does under a rule.
enum class SameModeButton {
    kUnchanged,  // left as it is
    kHidden,
    kOffered,  // shown while the panel allows same mode
};

// One effect's layout. Enabled flags are always set; the optional fields
// are left as they are when empty.
struct LightLayoutRule {
    bool effect = true;             // "lighteffect_layout"
    bool multicolour = false;       // "deng_7color_check"
    bool colour = false;            // "deng_color_layout"
    bool palette = false;           // "colorpallet_layout"
    bool brightness = false;        // "deng_light_layout"
    bool speed = false;             // "deng_speed_layout"
    std::optional<bool> direction;  // "deng_fx_layout" enabled
    std::optional<bool> speedShown;
    std::optional<bool> colourCard;         // "light_color_layout" enabled
    std::optional<bool> customShown;        // "lightcustom_layout"
    std::optional<bool> colourPresetShown;  // "light_combo_ZZCCmodeSelectLayout"
    std::optional<bool> musicModeShown;     // "light_combo_AudiomodeSelectLayout"
    std::optional<int> colourPage;          // "light_color_tablayout": 0 colours, 1 music colours
    std::optional<DirectionTexts> directionTexts;
    SameModeButton sameMode = SameModeButton::kUnchanged;
};

// Device kinds the rules know (the page's kind; 4 and 5 are served by the
// table although no page gives them).
constexpr int kLightKindKeyboard = 1;

// The rule for effect index `effect` on a panel of device kind `kind`;
// empty for a kind without rules (then nothing is changed).
std::optional<LightLayoutRule> LightLayoutRuleFor(int kind, int effect);

}  // namespace ivra::panels
