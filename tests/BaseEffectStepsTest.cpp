// The shared effect steps: breathing, four-colour breathing, steady, hue
// cycle, flash, four-colour blink and off.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "models/lighting/BaseEffectSteps.h"
#include "models/lighting/LightRecordLayout.h"
#include "models/lighting/LightTables.h"

namespace ivra::light {
namespace {

LightInfo Record(uint8_t light, uint8_t speed, bool forward, bool multi, Rgb colour = {10, 20, 30}) {
    LightInfo record{};
    record[info::kLight] = light;
    record[info::kSpeed] = speed;
    record[info::kFx] = forward ? 1 : 0;
    record[info::kMultiColor] = multi ? 1 : 0;
    record[info::kRed] = colour.red;
    record[info::kGreen] = colour.green;
    record[info::kBlue] = colour.blue;
    return record;
}

// Every entry of the buffer holds `led`.
void ExpectAll(const std::vector<uint32_t>& colours, uint32_t led) {
    for (size_t i = 0; i < colours.size(); ++i) ASSERT_EQ(colours[i], led) << i;
}

TEST(BaseEffectStepsTest, BreatheWrapsThePhaseAndAdvancesTheColourOnlyWhenItComesRoundToZero) {
    std::vector<uint32_t> colours(5, 0xDEADBEEF);
    EffectStepState state{127, 6, false, 0};
    StepBreathe(state, colours, Record(4, 0, true, true));
    EXPECT_EQ(state.phase, 0);
    EXPECT_EQ(state.colourIndex, 0);  // 6 wraps to the first of the seven
    ExpectAll(colours, PackLed(SevenColour(0), 0));

    state = {0, 2, false, 0};
    StepBreathe(state, colours, Record(4, 0, false, true));
    EXPECT_EQ(state.phase, 127);
    EXPECT_EQ(state.colourIndex, 2);  // leaving 0 does not advance
    state.phase = 1;
    StepBreathe(state, colours, Record(4, 0, false, true));
    EXPECT_EQ(state.colourIndex, 3);

    // Fixed colour at bright(level) x curve / 256; a level above 4 reads as 4.
    state = {62, 0, false, 0};
    StepBreathe(state, colours, Record(9, 0, true, false));
    EXPECT_EQ(state.phase, 63);
    ExpectAll(colours, PackLed({10, 20, 30}, static_cast<uint8_t>(255 * Curve128(63) / 256)));
    state = {62, 0, false, 0};
    StepBreathe(state, colours, Record(2, 0, true, false));
    ExpectAll(colours, PackLed({10, 20, 30}, static_cast<uint8_t>(100 * Curve128(63) / 256)));

    // A phase beyond the curve, left by the hue cycle, is brought into it.
    state = {190, 0, false, 0};
    StepBreathe(state, colours, Record(4, 0, true, false));
    EXPECT_LT(state.phase, 128);
}

TEST(BaseEffectStepsTest, FourColourBreatheUsesItsOwnListEvenWithALeftoverIndex) {
    std::vector<uint32_t> colours(3);
    for (uint8_t leftover : {4, 5, 6}) {
        EffectStepState state{10, leftover, false, 0};
        StepFourColourBreathe(state, colours, Record(4, 0, true, false));
        EXPECT_LT(state.colourIndex, 4) << int(leftover);
        ExpectAll(colours, PackLed(FourColour(state.colourIndex), static_cast<uint8_t>(255 * Curve128(11) / 256)));
    }
    EffectStepState state{127, 3, false, 0};
    StepFourColourBreathe(state, colours, Record(4, 0, true, true));
    EXPECT_EQ(state.colourIndex, 0);
    ExpectAll(colours, PackLed(FourColour(0), 0));
}

TEST(BaseEffectStepsTest, FlashTogglesAfterHalfABlinkPeriodAcrossTheTickCounterWrap) {
    std::vector<uint32_t> colours(4);
    const uint32_t start = 0xFFFFFF00u;  // the millisecond tick wraps during the test
    const LightInfo record = Record(3, 4, true, true);
    const uint32_t half = BlinkHalfPeriodMs(4);
    EffectStepState state{176, 0, false, start};

    StepFlash(state, colours, record, start + half - 1);
    EXPECT_FALSE(state.toggle);
    EXPECT_EQ(state.phase, 176);
    ExpectAll(colours, 0);

    StepFlash(state, colours, record, start + half);
    EXPECT_TRUE(state.toggle);
    EXPECT_EQ(state.phase, 0);  // 176 + 16 reaches 192
    EXPECT_EQ(state.toggleTime, start + half);
    ExpectAll(colours, PackLed(Hue(0), Bright(3)));

    StepFlash(state, colours, record, start + 2 * half);
    EXPECT_FALSE(state.toggle);
    EXPECT_EQ(state.phase, 16);
    ExpectAll(colours, 0);

    // Without MultiColor the lit half is the fixed colour; the slowest speed
    // (and any speed above the table) keeps its own period.
    state = {0, 0, false, 0};
    StepFlash(state, colours, Record(4, 0, false, false), BlinkHalfPeriodMs(0));
    ExpectAll(colours, PackLed({10, 20, 30}, 255));
    state = {0, 0, false, 0};
    StepFlash(state, colours, Record(4, 200, false, false), BlinkHalfPeriodMs(4) - 1);
    EXPECT_FALSE(state.toggle);
}

TEST(BaseEffectStepsTest, FourColourBlinkStepsThroughFourColoursWhateverPhaseItFinds) {
    std::vector<uint32_t> colours(2);
    const LightInfo record = Record(4, 4, true, false);
    const uint32_t half = BlinkHalfPeriodMs(4);
    EffectStepState state{100, 0, false, 0};  // a phase another step left
    StepFourColourBlink(state, colours, record, half);
    EXPECT_TRUE(state.toggle);
    EXPECT_LT(state.phase, 4);
    ExpectAll(colours, PackLed(FourColour(state.phase), 255));

    state = {3, 0, true, 0};
    StepFourColourBlink(state, colours, record, half);
    EXPECT_FALSE(state.toggle);
    EXPECT_EQ(state.phase, 0);
    ExpectAll(colours, 0);
    StepFourColourBlink(state, colours, record, 2 * half);
    ExpectAll(colours, PackLed(FourColour(1), 255));
}

TEST(BaseEffectStepsTest, HueCycleStaticAndOff) {
    std::vector<uint32_t> colours(3);
    EffectStepState state{191, 0, false, 0};
    StepHueCycle(state, colours, Record(1, 0, true, false));
    EXPECT_EQ(state.phase, 0);
    ExpectAll(colours, PackLed(Hue(0), 50));
    StepHueCycle(state, colours, Record(1, 0, false, false));
    EXPECT_EQ(state.phase, 191);

    StepStatic(colours, Record(2, 0, false, true, {1, 2, 3}));
    ExpectAll(colours, PackLed({1, 2, 3}, 100));  // MultiColor does not matter
    StepOff(colours);
    ExpectAll(colours, 0);

    std::vector<uint32_t> none;
    StepBreathe(state, none, Record(4, 0, true, true));
    EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace ivra::light
