// The lighting panel's layout rules, effect by effect, for every kind that
// has them: the groups enabled, what is shown or hidden, the direction texts
// and whether the same-mode button is offered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/light/LightLayoutRules.h"

namespace ivra::panels {
namespace {

// One row: 'e' effect, 'm' multicolour, 'c' colour, 'p' palette,
// 'b' brightness, 's' speed, 'd' direction ('-' where the rule leaves the
// direction as it is); upper case = enabled, '.' = disabled.
struct Row {
    int kind;
    std::vector<int> effects;
    const char* enabled;  // "EMCPBSD" with '.' for off
    SameModeButton sameMode;
};

constexpr SameModeButton kHide = SameModeButton::kHidden;
constexpr SameModeButton kOffer = SameModeButton::kOffered;
constexpr SameModeButton kKeep = SameModeButton::kUnchanged;

std::string Pattern(const LightLayoutRule& rule) {
    std::string out;
    out += rule.effect ? 'E' : '.';
    out += rule.multicolour ? 'M' : '.';
    out += rule.colour ? 'C' : '.';
    out += rule.palette ? 'P' : '.';
    out += rule.brightness ? 'B' : '.';
    out += rule.speed ? 'S' : '.';
    out += rule.direction ? (*rule.direction ? 'D' : '.') : '-';
    return out;
}

TEST(LightLayoutRules, EachEffectEnablesItsGroups) {
    const std::vector<Row> rows = {
        {1, {1, 2}, "EMCPB..", kOffer},
        {1, {3}, "EMCPBS.", kOffer},
        {1, {4, 5, 6, 10, 13, 14, 15, 16, 17}, "EMCPBS.", kHide},
        {1, {7}, "EMCPB..", kHide},
        {1, {8, 11, 18}, "EMCPBSD", kHide},
        {1, {9}, "E...B.D", kHide},
        {1, {12}, "E...BSD", kHide},
        {1, {19}, "E...BS.", kOffer},
        {1, {20}, "E......", kOffer},
        {1, {21}, "E.CPB..", kHide},
        {1, {29}, "EMCPB.D", kHide},
        {1, {30}, "E...B..", kHide},
        {1, {-1, 0, 22, 28, 31, 200}, "E......", kHide},
        {2, {0, 5}, "EMCPBSD", kHide},
        {2, {1}, "E...BS.", kOffer},
        {2, {2}, "EMCPBSD", kOffer},
        {2, {3}, "E.CPB..", kOffer},
        {2, {4}, "EMCPBS.", kOffer},
        {2, {6, 7}, "E...BS.", kHide},
        {2, {8}, "E......", kOffer},
        {2, {9, 30}, "E......", kHide},
        {3, {0}, "EMCPBSD", kHide},
        {4, {1}, "E...BS.", kOffer},
        {7, {2, 4}, "EMCPBS.", kOffer},
        {3, {3}, "E.CPB..", kOffer},
        {7, {8}, "E......", kOffer},
        {4, {5, 6, 7, 9}, "E......", kHide},
        {5, {0, 2, 3}, "EMCPBS-", kKeep},
        {5, {1}, "E.CPB.-", kKeep},
        {5, {4}, "E...BS-", kKeep},
        {5, {5, 8, 29}, "E.....-", kKeep},
    };
    for (const Row& row : rows) {
        for (int effect : row.effects) {
            SCOPED_TRACE("kind " + std::to_string(row.kind) + " effect " + std::to_string(effect));
            const std::optional<LightLayoutRule> rule = LightLayoutRuleFor(row.kind, effect);
            ASSERT_TRUE(rule.has_value());
            EXPECT_EQ(Pattern(*rule), row.enabled);
            EXPECT_EQ(rule->sameMode, row.sameMode);
        }
    }
}

TEST(LightLayoutRules, KindsWithoutRulesChangeNothing) {
    for (int kind : {0, 6, 8, 9, 255}) EXPECT_FALSE(LightLayoutRuleFor(kind, 1).has_value()) << kind;
}

// The keyboard's shown/hidden groups, the colour card, the colour page and
// the direction texts; the other kinds leave all of them as they are.
TEST(LightLayoutRules, KeyboardEffectsShowTheirOwnGroupsAndDirectionTexts) {
    struct Case {
        int effect;
        bool speedShown, colourCard, customShown, musicModeShown;
        int colourPage;
        DirectionTexts texts;
    };
    const DirectionTexts sideways{"light_set_right_to_left_text", "light_set_left_to_right_text"};
    const Case cases[] = {
        {1, true, true, false, false, 0, sideways},
        {8, true, true, false, false, 0, {"light_set_clockwise_text", "light_set_anticlockwise_text"}},
        {9, true, false, false, false, 0, {"light_set_inside_to_outside_text", "light_set_outside_to_inside_text"}},
        {12, true, false, false, false, 0, {"light_set_up_to_down_text", "light_set_down_to_up_text"}},
        {19, true, false, false, false, 0, sideways},
        {21, false, true, true, false, 0, sideways},
        {29, false, true, false, true, 1, sideways},
        {30, true, false, false, false, 0, sideways},
        {40, true, true, false, false, 0, sideways},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("effect " + std::to_string(c.effect));
        const LightLayoutRule rule = *LightLayoutRuleFor(kLightKindKeyboard, c.effect);
        EXPECT_EQ(rule.speedShown, c.speedShown);
        EXPECT_EQ(rule.colourCard, c.colourCard);
        EXPECT_EQ(rule.customShown, c.customShown);
        EXPECT_EQ(rule.musicModeShown, c.musicModeShown);
        EXPECT_EQ(rule.colourPresetShown, false);
        EXPECT_EQ(rule.colourPage, c.colourPage);
        ASSERT_TRUE(rule.directionTexts.has_value());
        EXPECT_EQ(*rule.directionTexts, c.texts);
    }
    for (int kind : {2, 3, 4, 5, 7}) {
        const LightLayoutRule rule = *LightLayoutRuleFor(kind, 0);
        EXPECT_FALSE(rule.speedShown || rule.colourCard || rule.customShown || rule.musicModeShown || rule.colourPage ||
                     rule.directionTexts || rule.colourPresetShown)
            << kind;
    }
}

}  // namespace
}  // namespace ivra::panels
