// The headset's light effect engine: pass pacing, each effect over the 13
// LEDs, per-key overlays and recorded playback. Time is a ManualClock.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "models/lighting/HeadsetEffectEngine.h"
#include "models/lighting/LightTables.h"
#include "ManualClock.h"

namespace ivra::light {
namespace {

constexpr size_t kHeadsetLeds = 13;
constexpr Rgb kRed{255, 0, 0};
constexpr uint32_t kGarbage = 0xFFFFFFFFu;

LightInfo Record(uint8_t effect, uint8_t speed = 0, bool multi = false, bool forward = true) {
    LightInfo record{};
    record[info::kSelectItem] = effect;
    record[info::kLight] = 4;
    record[info::kSpeed] = speed;
    record[info::kFx] = forward ? 1 : 0;
    record[info::kMultiColor] = multi ? 1 : 0;
    record[info::kRed] = 255;
    return record;
}

class HeadsetEffectEngineTest : public ::testing::Test {
protected:
    void Steps(int count) {
        for (int i = 0; i < count; ++i) engine_.Step(colours_);
    }
    void Passes(int count) {
        for (int i = 0; i < count; ++i) {
            engine_.Pass(colours_);
            clock_.Advance(1);
        }
    }

    sim::ManualClock clock_;
    HeadsetEffectEngine engine_{clock_};
    std::vector<uint32_t> colours_ = std::vector<uint32_t>(kHeadsetLeds, kGarbage);
};

TEST_F(HeadsetEffectEngineTest, StepsEverySpeedPassesAndRecordedEveryPass) {
    engine_.Restart(Record(1, 4));  // colour cycle, a step every 7 passes
    EXPECT_EQ(engine_.PassesPerStep(), 7u);
    Passes(6);
    EXPECT_EQ(colours_[0], kGarbage);
    Passes(1);
    EXPECT_EQ(colours_[0], PackLed(Hue(1), 255));
    engine_.Restart(Record(5));  // 5 is not drawn here: the recorded list
    EXPECT_EQ(engine_.PassesPerStep(), 0u);
    colours_.assign(kHeadsetLeds, kGarbage);
    Passes(1);
    EXPECT_EQ(colours_[0], 0u);  // empty list: dark
}

struct HeadsetCase {
    const char* name;
    LightInfo record;
    int steps;
    size_t led;
    uint32_t expected;
};

TEST_F(HeadsetEffectEngineTest, EffectColoursAfterSteps) {
    const HeadsetCase cases[] = {
        {"hue shift LED 0", Record(0), 1, 0, PackLed(Hue(1), 255)},
        {"hue shift LED 1", Record(0), 1, 1, PackLed(Hue(17), 255)},
        {"hue shift backward", Record(0, 0, false, false), 1, 0, PackLed(Hue(191), 255)},
        {"colour cycle", Record(1), 3, 12, PackLed(Hue(3), 255)},
        {"breathing top", Record(2), 64, 5, PackLed(kRed, 254)},
        {"breathing next colour", Record(2, 0, true), 128, 5, PackLed({255, 96, 0}, 0)},
        {"steady", Record(3), 1, 7, PackLed(kRed, 255)},
        {"comet head", Record(6), 1, 1, PackLed(kRed, 255)},
        {"comet tail", Record(6), 1, 0, PackLed(kRed, 127)},
        {"comet tail wraps", Record(6), 1, 12, PackLed(kRed, 63)},
        {"comet end of tail", Record(6), 1, 11, PackLed(kRed, 31)},
        {"comet dark", Record(6), 1, 5, 0},
        {"alternating even", Record(7), 64, 2, PackLed(kRed, 254)},
        {"alternating odd", Record(7), 64, 3, PackLed(kRed, 0)},
        {"off", Record(8), 1, 4, 0},
        {"recorded index, empty", Record(9), 1, 4, 0},
    };
    for (const HeadsetCase& c : cases) {
        colours_.assign(kHeadsetLeds, kGarbage);
        engine_.Restart(c.record);
        Steps(c.steps);
        EXPECT_EQ(colours_[c.led], c.expected) << c.name;
    }
}

TEST_F(HeadsetEffectEngineTest, BlinkTogglesByClockTime) {
    engine_.Restart(Record(4, 4, true));  // 1400 ms half period
    Steps(1);
    EXPECT_EQ(colours_[0], PackLed(Hue(0), 255));
    clock_.Advance(1399);
    Steps(1);
    EXPECT_EQ(colours_[0], PackLed(Hue(0), 255));
    clock_.Advance(1);
    Steps(1);
    EXPECT_EQ(colours_[0], 0u);
    clock_.Advance(1400);
    Steps(1);
    EXPECT_EQ(colours_[0], PackLed(Hue(32), 255));
}

TEST_F(HeadsetEffectEngineTest, OverlaysAndRecordedStepsOverAnyLength) {
    engine_.Restart(Record(3));
    std::vector<LightInfo> list(kHeadsetLeds + 5);  // longer than the LEDs: the rest is ignored
    list[2][perkey::kMode] = 4;                     // dark
    list[2][perkey::kPresent] = 1;
    engine_.SetPerKeyList(list);
    Passes(28);
    EXPECT_EQ(colours_[2], 0u);
    EXPECT_EQ(colours_[3], PackLed(kRed, 255));

    RecordedStep step;
    step.mode = 1;
    step.brightness = 2;
    step.colour = {0, 0, 255};
    engine_.Restart(Record(20));
    engine_.SetRecordedSteps({step});
    Passes(1);
    EXPECT_EQ(colours_[12], PackLed({0, 0, 255}, 100));

    for (size_t length : {0u, 1u}) {
        std::vector<uint32_t> few(length, kGarbage);
        for (uint8_t effect : {0, 1, 2, 3, 4, 6, 7, 8, 20}) {
            engine_.Restart(Record(effect));
            engine_.Step(few);
            engine_.Pass(few);
        }
        EXPECT_EQ(few.size(), length);
    }
}

}  // namespace
}  // namespace ivra::light
