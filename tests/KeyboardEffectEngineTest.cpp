// The keyboard's light effect engine: tick pacing, each effect's colours,
// key reactions and ripples, per-key overlays, recorded playback and music.
// Time is a ManualClock; nothing waits.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include "models/lighting/EffectTables.h"
#include "models/lighting/EffectTicks.h"
#include "models/lighting/KeyboardEffectEngine.h"
#include "models/lighting/KeyboardMusicEffect.h"
#include "models/lighting/LightTables.h"
#include "ManualClock.h"

namespace ivra::light {
namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr uint32_t kGarbage = 0xFFFFFFFFu;

struct Look {
    uint8_t effect = 1;
    uint8_t brightness = 4;
    uint8_t speed = 0;
    bool forward = true;
    bool multi = false;
    Rgb colour = kRed;
};

LightInfo Record(const Look& look) {
    LightInfo record{};
    record[info::kSelectItem] = look.effect;
    record[info::kLight] = look.brightness;
    record[info::kSpeed] = look.speed;
    record[info::kFx] = look.forward ? 1 : 0;
    record[info::kMultiColor] = look.multi ? 1 : 0;
    record[info::kRed] = look.colour.red;
    record[info::kGreen] = look.colour.green;
    record[info::kBlue] = look.colour.blue;
    return record;
}

LightInfo PerKey(uint8_t mode, uint8_t brightness, uint8_t speed, bool multi, Rgb colour) {
    LightInfo record{};
    record[perkey::kMode] = mode;
    record[perkey::kBrightness] = brightness;
    record[perkey::kSpeed] = speed;
    record[perkey::kMultiColor] = multi ? 1 : 0;
    record[perkey::kRed] = colour.red;
    record[perkey::kGreen] = colour.green;
    record[perkey::kBlue] = colour.blue;
    record[perkey::kPresent] = 1;
    return record;
}

class KeyboardEffectEngineTest : public ::testing::Test {
protected:
    void Show(const Look& look) { engine_.Restart(Record(look), false); }
    void Steps(int count) {
        for (int i = 0; i < count; ++i) engine_.Step(colours_);
    }
    // One pass per millisecond for `ms` milliseconds.
    void RunMs(int ms) {
        for (int i = 0; i < ms; ++i) {
            engine_.Pass(colours_);
            clock_.Advance(1);
        }
    }
    // One pass at the start of each of the next `count` ticks.
    void RunTicks(int count) {
        for (int i = 0; i < count; ++i) {
            clock_.Advance(TickStartMs(EffectTickAt(clock_.NowMs()) + 1) - clock_.NowMs());
            engine_.Pass(colours_);
        }
    }
    uint8_t BrightnessAt(uint8_t position) const { return LedBrightness(colours_[position]); }

    sim::ManualClock clock_;
    KeyboardEffectEngine engine_{clock_, 1234};
    std::vector<uint32_t> colours_ = std::vector<uint32_t>(kKeyboardPositions, kGarbage);
};

// ---------------------------------------------------------------- tables

TEST(EffectTablesTest, IntervalsByEffectAndSpeedAreBounded) {
    struct Case {
        unsigned effect, speed, interval;
    };
    const Case cases[] = {
        {1, 0, 5},
        {1, 4, 1},
        {7, 2, 4},
        {9, 0, 3},
        {10, 0, 7},
        {10, 4, 3},
        {15, 0, 6},
        {16, 4, 2},
        {20, 3, 1},
        {20, 4, 0},
        {24, 0, 5},
        {29, 0, 2},
        {30, 4, 2},
        // speed above 4 reads as 4; effects without a row play recorded steps every pass
        {1, 9, 1},
        {20, 200, 0},
        {0, 0, 0},
        {25, 2, 0},
        {31, 0, 0},
        {255, 4, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TickInterval(c.effect, c.speed), c.interval) << "effect " << c.effect << " speed " << c.speed;
    }
}

TEST(EffectTablesTest, FadeSteps) {
    struct Case {
        uint8_t in, down, up, music;
    };
    const Case cases[] = {
        {255, 215, 255, 175}, {128, 88, 255, 48}, {127, 97, 152, 77}, {64, 34, 89, 14}, {63, 53, 83, 43},
        {32, 22, 52, 12},     {31, 23, 46, 23},   {17, 9, 32, 9},     {16, 15, 26, 15}, {9, 8, 19, 8},
        {8, 7, 13, 7},        {1, 0, 6, 0},       {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FadeDown(c.in), c.down) << int(c.in);
        EXPECT_EQ(FadeUp(c.in), c.up) << int(c.in);
        EXPECT_EQ(MusicFadeDown(c.in), c.music) << int(c.in);
    }
}

TEST(EffectTablesTest, LookupsOutsideTheTablesGiveNoKey) {
    EXPECT_EQ(OrderedKey(0), 20);
    EXPECT_EQ(OrderedKey(kOrderedKeys - 1), 77);
    EXPECT_EQ(OrderedKey(kOrderedKeys), kNoPosition);
    EXPECT_EQ(OrderedKey(100000), kNoPosition);
    EXPECT_EQ(GridCell(0, 0), 51);
    EXPECT_EQ(GridCell(0, 1), kNoPosition);
    EXPECT_EQ(GridCell(12, 0), kNoPosition);
    EXPECT_EQ(GridCell(0, 12), kNoPosition);
    for (size_t i = 0; i < 2 * kRandomTableSize; ++i) EXPECT_LT(RandomOrderIndex(i), kOrderedKeys);
    const MatrixPlace key51 = PlaceOf(51);
    EXPECT_TRUE(key51.valid);
    EXPECT_EQ(key51.column, 10);
    EXPECT_EQ(key51.row, 2);
    for (int position : {-1, 13, 125, 126, 1000}) EXPECT_FALSE(PlaceOf(position).valid) << position;
}

// ---------------------------------------------------------------- ticks

TEST(EffectTicksTest, CountsTicksOfA64HzClockNotMilliseconds) {
    EffectTickCounter ticks;
    EXPECT_EQ(ticks.Poll(0), 0u);   // first reading
    EXPECT_EQ(ticks.Poll(15), 0u);  // still tick 0
    EXPECT_EQ(ticks.Poll(16), 1u);  // tick 1
    EXPECT_EQ(ticks.Poll(17), 0u);
    // A loop that slept until tick 12 counts the ticks it skipped.
    EXPECT_EQ(ticks.Poll(200), 11u);
    EXPECT_EQ(ticks.Changes(), 12u);
    EXPECT_FALSE(ticks.TakeStepIfDue(13));
    EXPECT_TRUE(ticks.TakeStepIfDue(12));
    EXPECT_EQ(ticks.Changes(), 0u);
    EXPECT_TRUE(ticks.TakeStepIfDue(0));
    // Where the next step falls: tick 12 + 5 begins at 266 ms; interval 0
    // (and a due step) waits for the next tick.
    EXPECT_EQ(ticks.DueMs(5), 266u);
    EXPECT_EQ(ticks.DueMs(0), 204u);
    for (uint64_t tick : {0u, 1u, 5u, 63u, 64u, 1000u}) {
        EXPECT_EQ(EffectTickAt(TickStartMs(tick)), tick);
        if (tick > 0) {
            EXPECT_EQ(EffectTickAt(TickStartMs(tick) - 1), tick - 1);
        }
    }
}

TEST_F(KeyboardEffectEngineTest, OneSecondOfPassesStepsByTicks) {
    // Colour cycle at speed 0 steps every 5 tick changes: one second of
    // 1 ms passes sees 63 changes, so 12 steps (not 200).
    Show({.effect = 19, .speed = 0});
    RunMs(1000);
    EXPECT_EQ(engine_.StepCounter(), 12);
    Show({.effect = 19, .speed = 4});  // a step per change
    RunMs(1000);                       // ticks 64..127
    EXPECT_EQ(engine_.StepCounter(), 64);
}

TEST_F(KeyboardEffectEngineTest, IntervalZeroStepsOnEveryPass) {
    Show({.effect = 20, .speed = 4});
    EXPECT_EQ(engine_.StepInterval(), 0u);
    for (int pass = 0; pass < 3; ++pass) {
        colours_.assign(kKeyboardPositions, kGarbage);
        engine_.Pass(colours_);  // same millisecond: no tick change
        EXPECT_EQ(colours_[40], 0u) << "pass " << pass;
    }
    // Speed 3 waits for a tick change after its first step.
    Show({.effect = 20, .speed = 3});
    engine_.Pass(colours_);
    clock_.Advance(16);
    engine_.Pass(colours_);
    colours_.assign(kKeyboardPositions, kGarbage);
    engine_.Pass(colours_);
    EXPECT_EQ(colours_[40], kGarbage);
}

// ---------------------------------------------------------------- pacing

struct KeyEventAt {
    uint64_t ms;
    int position;
    int type;
};

// Runs `look` for `ms` milliseconds twice: once with a pass every
// millisecond, once with passes only when the engine says something can
// change (and right after each key event, as the woken thread does).
// Returns the passes the second run made; both buffers must end equal.
struct PacedRun {
    std::vector<uint32_t> everyMs, paced;
    int pacedPasses = 0;
};

PacedRun RunBothWays(const LightInfo& record, const std::vector<LightInfo>& perKey,
                     const std::vector<KeyEventAt>& events, uint64_t ms) {
    PacedRun run;
    {
        sim::ManualClock clock;
        KeyboardEffectEngine engine(clock, 99);
        engine.Restart(record, false);
        if (!perKey.empty()) engine.SetPerKeyList(perKey);
        run.everyMs.assign(kKeyboardPositions, 0);
        for (uint64_t t = 0; t <= ms; ++t) {
            for (const KeyEventAt& e : events) {
                if (e.ms == t) engine.OnKeyEvent(e.position, e.type);
            }
            engine.Pass(run.everyMs);
            if (t < ms) clock.Advance(1);
        }
    }
    sim::ManualClock clock;
    KeyboardEffectEngine engine(clock, 99);
    engine.Restart(record, false);
    if (!perKey.empty()) engine.SetPerKeyList(perKey);
    run.paced.assign(kKeyboardPositions, 0);
    size_t nextEvent = 0;
    for (;;) {
        engine.Pass(run.paced);
        ++run.pacedPasses;
        const uint64_t now = clock.NowMs();
        if (now == ms) break;
        uint64_t next = engine.NextChangeMs().value_or(ms);
        if (nextEvent < events.size()) next = std::min(next, events[nextEvent].ms);
        next = std::min(std::max(next, now + 1), ms);
        clock.Advance(next - now);
        while (nextEvent < events.size() && events[nextEvent].ms == next) {
            engine.OnKeyEvent(events[nextEvent].position, events[nextEvent].type);
            ++nextEvent;
        }
    }
    return run;
}

TEST(KeyboardEffectPacingTest, PassesOnlyWhenSomethingCanChangeGiveTheSamePicture) {
    std::vector<LightInfo> overlays(kKeyboardPositions);
    overlays[30] = PerKey(0, 4, 2, true, kWhite);      // breathe
    overlays[31] = PerKey(3, 4, 1, false, kWhite);     // colour cycle
    overlays[32] = PerKey(2, 4, 4, true, kWhite);      // blink
    overlays[33] = PerKey(1, 2, 0, false, {1, 2, 3});  // steady
    const std::vector<KeyEventAt> presses = {{100, 64, kKeyPressed}, {450, 64, kKeyReleased}, {700, 22, kKeyPressed}};
    struct Case {
        const char* name;
        Look look;
        bool withOverlays;
        std::vector<KeyEventAt> events;
        int maxPasses;  // in 3 s
    };
    const Case cases[] = {
        {"colour cycle, slow", {.effect = 19, .speed = 0}, false, {}, 3 * 64 / 5 + 2},
        {"colour cycle, fast", {.effect = 19, .speed = 4}, false, {}, 3 * 64 + 2},
        {"breathing", {.effect = 3, .speed = 2, .multi = true}, false, {}, 3 * 64 / 3 + 2},
        {"sparkle (random)", {.effect = 10, .speed = 1, .multi = true}, false, {}, 3 * 64 / 6 + 2},
        {"twinkle", {.effect = 13, .speed = 3}, false, {}, 3 * 64 / 2 + 2},
        {"travelling wave", {.effect = 7, .speed = 4}, false, {}, 3 * 64 / 4 + 2},
        {"off at interval 0", {.effect = 20, .speed = 4}, false, {}, 3},
        {"steady", {.effect = 1, .speed = 0}, false, {}, 3},
        {"steady under overlays", {.effect = 1, .speed = 0}, true, {}, 3 * 64 + 10},
        {"reactive rise", {.effect = 4, .speed = 3, .multi = true}, false, presses, 3 * 64 / 2},
        {"ripple", {.effect = 5, .speed = 4, .multi = true}, false, presses, 3 * 64},
        {"dark ripple", {.effect = 14, .speed = 2}, false, presses, 3 * 64 / 3 + 2},
        {"reactive fall", {.effect = 15, .speed = 0}, false, presses, 3 * 64 / 6 + 4},
    };
    for (const Case& c : cases) {
        const PacedRun run =
            RunBothWays(Record(c.look), c.withOverlays ? overlays : std::vector<LightInfo>{}, c.events, 3000);
        EXPECT_EQ(run.paced, run.everyMs) << c.name;
        EXPECT_LE(run.pacedPasses, c.maxPasses) << c.name;
    }
}

TEST_F(KeyboardEffectEngineTest, SteadyAndRestingEffectsWaitForAnInput) {
    std::atomic<int> inputs{0};
    engine_.onChange = [&] { ++inputs; };
    Show({.effect = 1, .speed = 0});  // a step every 5 ticks
    EXPECT_EQ(inputs.load(), 1);
    EXPECT_EQ(engine_.NextChangeMs(), 0u) << "before the first pass";
    engine_.Pass(colours_);
    EXPECT_EQ(engine_.NextChangeMs(), TickStartMs(5));
    clock_.Advance(50);
    engine_.Pass(colours_);  // between ticks: nothing moves
    EXPECT_EQ(colours_[40], kGarbage);
    EXPECT_EQ(engine_.NextChangeMs(), TickStartMs(5));
    clock_.Advance(TickStartMs(5) - 50);
    engine_.Pass(colours_);
    EXPECT_EQ(colours_[40], PackLed(kRed, 255));
    EXPECT_FALSE(engine_.NextChangeMs().has_value()) << "painted for good";

    // A new colour is an input: it wakes the loop and is painted at the
    // effect's next step.
    engine_.SetRecord(Record({.effect = 1, .speed = 0, .colour = kWhite}));
    EXPECT_EQ(inputs.load(), 2);
    EXPECT_EQ(engine_.NextChangeMs(), TickStartMs(10));

    // A reactive effect rests once its keys are still; key events wake it
    // only when the effect reacts to them.
    Show({.effect = 4, .speed = 4});
    RunTicks(3);
    EXPECT_FALSE(engine_.NextChangeMs().has_value());
    const int before = inputs.load();
    engine_.OnKeyEvent(64, kKeyPressed);
    EXPECT_EQ(inputs.load(), before + 1);
    EXPECT_TRUE(engine_.NextChangeMs().has_value());
    RunTicks(40);
    EXPECT_EQ(BrightnessAt(64), Scale(255, 255));
    EXPECT_FALSE(engine_.NextChangeMs().has_value()) << "risen to full: at rest again";
    Show({.effect = 19});
    engine_.OnKeyEvent(64, kKeyPressed);
    engine_.FeedScreenColours(std::vector<uint8_t>(kScreenColourBytes, 1));
    EXPECT_EQ(inputs.load(), before + 2) << "the colour cycle takes neither key events nor screen data";
}

TEST_F(KeyboardEffectEngineTest, RecordedIndicesStepOnEveryPassEvenWithATableRow) {
    Show({.effect = 22, .speed = 0});
    EXPECT_EQ(engine_.StepInterval(), 0u);
    Show({.effect = 0});
    EXPECT_EQ(engine_.StepInterval(), 0u);
}

// ---------------------------------------------------------------- effects

struct EffectCase {
    const char* name;
    Look look;
    int steps;
    uint8_t position;
    uint32_t expected;
};

TEST_F(KeyboardEffectEngineTest, EffectColoursAfterSteps) {
    const EffectCase cases[] = {
        {"steady fixed", {.effect = 1, .brightness = 3, .colour = {10, 20, 30}}, 1, 0, PackLed({10, 20, 30}, 200)},
        {"steady grid row 0", {.effect = 1, .multi = true}, 1, 51, PackLed({255, 7, 0}, 255)},
        {"steady grid row 11", {.effect = 1, .multi = true}, 1, 118, PackLed({99, 0, 255}, 255)},
        {"steady grid: off-grid key cleared", {.effect = 1, .multi = true}, 1, 16, 0},
        {"gradient column 0", {.effect = 2, .colour = kWhite}, 1, 84, PackLed(kWhite, 254)},
        {"gradient column 16", {.effect = 2, .colour = kWhite}, 1, 96, PackLed(kWhite, 99)},
        {"gradient column 20", {.effect = 2, .colour = kWhite}, 1, 58, PackLed(kWhite, 19)},
        {"gradient hue by row", {.effect = 2, .multi = true}, 1, 105, PackLed({0, 255, 188}, 254)},
        {"breathing top", {.effect = 3}, 64, 7, PackLed(kRed, 254)},
        {"breathing phase 10", {.effect = 3}, 10, 7, PackLed(kRed, 9)},
        {"breathing backward wraps", {.effect = 3, .forward = false}, 1, 7, PackLed(kRed, 0)},
        {"breathing next colour", {.effect = 3, .multi = true}, 128, 7, PackLed({255, 96, 0}, 0)},
        {"order rainbow first key", {.effect = 8, .multi = true}, 1, 20, PackLed({255, 3, 0}, 255)},
        {"order rainbow 11th key", {.effect = 8, .multi = true}, 1, 9, PackLed({47, 255, 0}, 255)},
        {"order curve", {.effect = 8}, 1, 20, PackLed(kRed, 23)},
        {"diagonal rainbow", {.effect = 9}, 1, 51, PackLed({255, 26, 0}, 255)},
        {"column wave", {.effect = 11}, 1, 84, PackLed(kRed, 84)},
        {"row rainbow row 0", {.effect = 12}, 1, 0, PackLed({255, 5, 0}, 255)},
        {"row rainbow row 5", {.effect = 12}, 1, 105, PackLed({0, 12, 255}, 255)},
        {"twinkle", {.effect = 13}, 1, 0, PackLed(kRed, 7)},
        {"twinkle restart", {.effect = 13}, 1, 25, PackLed(kRed, 0)},
        {"dark ripple all lit", {.effect = 14}, 1, 60, PackLed(kRed, 254)},
        {"reactive fall starts lit", {.effect = 15}, 1, 60, PackLed(kRed, 254)},
        {"order twinkle first key", {.effect = 17}, 1, 20, PackLed(kRed, 7)},
        {"order twinkle: key off the order", {.effect = 17}, 1, 16, 0},
        {"moving columns column 0", {.effect = 18, .multi = true}, 1, 84, PackLed({255, 5, 0}, 255)},
        {"moving columns column 2", {.effect = 18, .multi = true}, 1, 0, PackLed({255, 81, 0}, 255)},
        {"colour cycle backward", {.effect = 19, .forward = false}, 1, 50, PackLed({255, 0, 0}, 255)},
        {"off", {.effect = 20}, 1, 50, 0},
        {"screen colour before any", {.effect = 30, .brightness = 2}, 1, 3, PackLed({0, 0, 0}, 100)},
        {"recorded, empty list", {.effect = 40}, 1, 3, 0},
    };
    for (const EffectCase& c : cases) {
        colours_.assign(kKeyboardPositions, kGarbage);
        Show(c.look);
        Steps(c.steps);
        EXPECT_EQ(colours_[c.position], c.expected) << c.name;
    }
}

TEST_F(KeyboardEffectEngineTest, ScreenColourPaintsTheFedColour) {
    Show({.effect = 30, .brightness = 4});
    std::array<uint8_t, kScreenColourBytes> bytes{};
    bytes[0] = 10;
    bytes[4] = 20;
    bytes[8] = 30;
    engine_.FeedScreenColours(bytes);
    Steps(1);
    EXPECT_EQ(colours_[0], PackLed({10, 20, 30}, 255));
    EXPECT_EQ(colours_[125], PackLed({10, 20, 30}, 255));
}

TEST_F(KeyboardEffectEngineTest, CustomEffectLoadsItsGroupAndSetsOnlyBrightness) {
    int loads = 0;
    engine_.onCustomStart = [&] {
        ++loads;
        colours_.assign(kKeyboardPositions, PackLed({1, 2, 3}, 9));
    };
    engine_.ApplyRecord(Record({.effect = 21, .brightness = 2}), false);
    engine_.ApplyRecord(Record({.effect = 21, .brightness = 2}), false);  // re-applying reloads
    EXPECT_EQ(loads, 2);
    Steps(1);
    EXPECT_EQ(colours_[70], PackLed({1, 2, 3}, 100));
}

TEST_F(KeyboardEffectEngineTest, SameEffectRunsOnDifferentEffectRestarts) {
    engine_.ApplyRecord(Record({.effect = 19}), false);
    Steps(5);
    engine_.ApplyRecord(Record({.effect = 19, .brightness = 2}), false);
    EXPECT_EQ(engine_.StepCounter(), 5);
    Steps(1);
    EXPECT_EQ(colours_[0], PackLed(Hue(6), 100));
    engine_.ApplyRecord(Record({.effect = 12}), false);
    EXPECT_EQ(engine_.StepCounter(), 0);
}

TEST_F(KeyboardEffectEngineTest, BufferShorterThanTheBoardIsSafe) {
    for (uint8_t effect : {1, 2, 5, 8, 9, 13, 17, 21, 29, 30, 40}) {
        std::vector<uint32_t> few(10, kGarbage);
        engine_.Restart(Record({.effect = effect, .multi = true}), false);
        engine_.OnKeyEvent(51, kKeyPressed);
        for (int i = 0; i < 3; ++i) engine_.Step(few);
        EXPECT_EQ(few.size(), 10u);
    }
}

// ---------------------------------------------------------------- reactions

TEST_F(KeyboardEffectEngineTest, ReactiveRiseLightsPressedKeysAndFadesReleasedOnes) {
    Show({.effect = 4});
    engine_.OnKeyEvent(51, kKeyPressed);
    engine_.OnKeyEvent(13, kKeyPressed);   // no matrix cell: ignored
    engine_.OnKeyEvent(200, kKeyPressed);  // not a position
    engine_.OnKeyEvent(60, 7);             // not an event type
    Steps(1);
    EXPECT_EQ(colours_[51], PackLed(kRed, 254));
    EXPECT_EQ(BrightnessAt(13), 0);
    EXPECT_EQ(BrightnessAt(60), 0);
    engine_.OnKeyEvent(51, kKeyReleased);
    Steps(3);
    EXPECT_EQ(colours_[51], PackLed(kRed, 239));  // 255 - 3 x 5
}

TEST_F(KeyboardEffectEngineTest, ReactiveFallDarkensHeldKeysAndBringsReleasedBack) {
    Show({.effect = 15});
    engine_.OnKeyEvent(51, kKeyPressed);
    Steps(1);
    EXPECT_EQ(BrightnessAt(51), 0);
    EXPECT_EQ(BrightnessAt(52), 254);
    engine_.OnKeyEvent(51, kKeyReleased);
    Steps(2);
    EXPECT_EQ(BrightnessAt(51), 29);  // 30 x 255 / 256
}

TEST_F(KeyboardEffectEngineTest, RippleExpandsFromThePressedKeyAndDiesOut) {
    Show({.effect = 5});
    engine_.OnKeyEvent(51, kKeyPressed);  // column 10, row 2
    Steps(1);
    EXPECT_EQ(BrightnessAt(51), 214);
    EXPECT_EQ(BrightnessAt(50), 0);
    Steps(1);
    EXPECT_EQ(BrightnessAt(50), 214);  // column 9: the first ring
    EXPECT_EQ(BrightnessAt(52), 214);  // column 11
    EXPECT_EQ(BrightnessAt(30), 214);  // row 1
    EXPECT_EQ(BrightnessAt(51), 174);
    EXPECT_EQ(BrightnessAt(49), 0);
    Steps(1);
    EXPECT_EQ(BrightnessAt(49), 214);  // column 8: the second ring
    Steps(40);
    for (size_t p = 0; p < kKeyboardPositions; ++p) EXPECT_EQ(BrightnessAt(static_cast<uint8_t>(p)), 0) << p;
}

TEST_F(KeyboardEffectEngineTest, RippleColourFollowsTheCounterOfKeyEvents) {
    Show({.effect = 5, .multi = true});
    engine_.OnKeyEvent(51, kKeyPressed);
    engine_.OnKeyEvent(51, kKeyReleased);
    Steps(1);
    EXPECT_EQ(LedColour(colours_[51]), SevenColour(2));
}

TEST_F(KeyboardEffectEngineTest, ClosingRingArrivesAtThePressedKey) {
    Show({.effect = 6});
    engine_.OnKeyEvent(51, kKeyPressed);
    Steps(1);
    EXPECT_EQ(BrightnessAt(45), 214);  // column 4, six columns out
    EXPECT_EQ(BrightnessAt(51), 0);
    Steps(5);
    EXPECT_EQ(BrightnessAt(51), 0);
    Steps(1);
    EXPECT_EQ(BrightnessAt(51), 214);
    Steps(40);
    EXPECT_EQ(BrightnessAt(51), 0);
}

TEST_F(KeyboardEffectEngineTest, TravellingWaveCrossesTheBoardAndStartsAgain) {
    Show({.effect = 7});
    Steps(2);  // the start cell (column 1, row 0) has no key; its first ring holds key 21
    EXPECT_EQ(BrightnessAt(21), 214);
    // The wave reaches the right of the board and comes back from column 1.
    int litAtColumn20 = 0;
    int litAgainAtStart = 0;
    for (int step = 0; step < 60; ++step) {
        Steps(1);
        if (BrightnessAt(58) == 214) ++litAtColumn20;
        if (BrightnessAt(21) == 214) ++litAgainAtStart;
    }
    EXPECT_GE(litAtColumn20, 2);
    EXPECT_GE(litAgainAtStart, 2);
}

TEST_F(KeyboardEffectEngineTest, DarkRippleDropsKeysThatRiseAgain) {
    Show({.effect = 14});
    Steps(1);
    engine_.OnKeyEvent(51, kKeyReleased);  // any event starts a ring
    Steps(1);
    EXPECT_EQ(BrightnessAt(51), 5);  // fade 1, risen to 6
    EXPECT_EQ(BrightnessAt(50), 254);
    Steps(1);
    EXPECT_EQ(BrightnessAt(51), 10);  // 11
    EXPECT_EQ(BrightnessAt(50), 5);
}

TEST_F(KeyboardEffectEngineTest, ReactiveFadeIgnoresReleases) {
    Show({.effect = 16});
    engine_.OnKeyEvent(0, kKeyReleased);
    engine_.OnKeyEvent(51, kKeyPressed);
    Steps(1);
    EXPECT_EQ(BrightnessAt(0), 0);
    EXPECT_EQ(BrightnessAt(51), 214);
}

TEST_F(KeyboardEffectEngineTest, RipplesAtPositionsWithoutACellAreIgnored) {
    Show({.effect = 5});
    for (int position : {-5, 13, 16, 125, 126, 999}) engine_.StartRipple(position);
    Steps(3);
    for (size_t p = 0; p < kKeyboardPositions; ++p) EXPECT_EQ(BrightnessAt(static_cast<uint8_t>(p)), 0) << p;
}

TEST_F(KeyboardEffectEngineTest, KeyEventsFromAnotherThreadDuringPasses) {
    Show({.effect = 5, .speed = 4});
    std::atomic<bool> done{false};
    std::thread listener([&] {
        for (int i = 0; i < 5000; ++i) engine_.OnKeyEvent(i % 126, 1 + i % 2);
        done = true;
    });
    int passes = 0;
    while (!done || passes < 1000) {
        engine_.Pass(colours_);
        clock_.Advance(1);
        ++passes;
    }
    listener.join();
    // Every position was painted, in the ripple's fixed colour, and a press
    // after the race still lights its key: the shared state came through.
    for (size_t p = 0; p < kKeyboardPositions; ++p) {
        ASSERT_NE(colours_[p], kGarbage) << p;
        EXPECT_EQ(LedColour(colours_[p]), kRed) << p;
    }
    engine_.OnKeyEvent(51, kKeyPressed);
    Steps(1);
    EXPECT_EQ(BrightnessAt(51), 214);
}

// ---------------------------------------------------------------- overlays

TEST_F(KeyboardEffectEngineTest, PerKeyRecordsShowOverTheGlobalEffect) {
    Show({.effect = 1, .brightness = 4});
    std::vector<LightInfo> list(kKeyboardPositions);
    list[10] = PerKey(1, 2, 0, false, {0, 255, 0});  // steady
    list[12] = PerKey(4, 4, 0, false, kWhite);       // dark
    list[14] = PerKey(1, 4, 0, false, kWhite);
    list[14][perkey::kPresent] = 0;  // no record: the global effect shows
    engine_.SetPerKeyList(list);
    Steps(1);
    engine_.Pass(colours_);
    EXPECT_EQ(colours_[10], PackLed({0, 255, 0}, 100));
    EXPECT_EQ(colours_[12], 0u);
    EXPECT_EQ(colours_[14], PackLed(kRed, 255));
    EXPECT_EQ(colours_[11], PackLed(kRed, 255));
}

TEST_F(KeyboardEffectEngineTest, PerKeyBreathRestartsWhenItsPhaseJumpsPast128) {
    // Speed 3 grows the phase by 7 per tick: 0, 7, ... 126, then 133 would
    // be past the curve; it restarts at 0 and the hue moves on.
    Show({.effect = 20});
    std::vector<LightInfo> list(kKeyboardPositions);
    list[5] = PerKey(0, 4, 3, true, kWhite);
    engine_.SetPerKeyList(list);
    auto ticks = [&](int count) {
        for (int i = 0; i < count; ++i) {
            clock_.Advance(16);
            engine_.Pass(colours_);
        }
    };
    ticks(9);  // phase 63: the top of the breath
    EXPECT_EQ(colours_[5], PackLed(Hue(0), 254));
    ticks(9);  // phase 126
    EXPECT_EQ(colours_[5], PackLed(Hue(0), Scale(Curve128(126), 255)));
    ticks(1);
    EXPECT_EQ(colours_[5], PackLed(Hue(1), 0));
}

TEST_F(KeyboardEffectEngineTest, PerKeyColourCycleAndBlinkTiming) {
    Show({.effect = 20});
    std::vector<LightInfo> list(kKeyboardPositions);
    list[1] = PerKey(3, 4, 4, false, kWhite);  // colour cycle: a hue every 7 passes (ticks)
    list[2] = PerKey(2, 4, 4, true, kWhite);   // blink: 1400 ms half period
    list[3] = PerKey(2, 4, 4, false, {0, 0, 255});
    engine_.SetPerKeyList(list);
    RunMs(7 * 16);  // 7 ticks
    EXPECT_EQ(colours_[1], PackLed(Hue(1), 255));
    EXPECT_EQ(colours_[2], PackLed(Hue(0), 255));
    EXPECT_EQ(colours_[3], PackLed({0, 0, 255}, 255));
    RunMs(1400 - 7 * 16);
    EXPECT_EQ(colours_[2], PackLed(Hue(0), 255));
    RunMs(1);  // at 1400 ms
    EXPECT_EQ(colours_[2], 0u);
    EXPECT_EQ(colours_[3], 0u);
    RunMs(1400);
    EXPECT_EQ(colours_[2], PackLed(Hue(28), 255));
}

// ---------------------------------------------------------------- recorded

RecordedStep Steady(Rgb colour, uint32_t timeMs) {
    RecordedStep step;
    step.mode = 1;
    step.brightness = 4;
    step.colour = colour;
    step.timeMs = timeMs;
    return step;
}

TEST_F(KeyboardEffectEngineTest, RecordedStepsPlayInTurnAndWrap) {
    Show({.effect = 40});
    engine_.SetRecordedSteps({Steady(kRed, 100), Steady({0, 0, 255}, 50)});
    RunMs(100);
    EXPECT_EQ(colours_[0], PackLed(kRed, 255));
    EXPECT_EQ(engine_.RecordedStepIndex(), 0u);
    RunMs(1);  // 100 ms elapsed: the next step begins
    EXPECT_EQ(engine_.RecordedStepIndex(), 1u);
    RunMs(1);
    EXPECT_EQ(colours_[0], PackLed({0, 0, 255}, 255));
    RunMs(49);
    EXPECT_EQ(engine_.RecordedStepIndex(), 0u);
}

TEST_F(KeyboardEffectEngineTest, RecordedStepOfTimeZeroMovesOnEveryPass) {
    Show({.effect = 40});
    engine_.SetRecordedSteps({Steady(kRed, 0)});
    RunMs(3);
    EXPECT_EQ(engine_.RecordedStepIndex(), 0u);  // one step loops itself
    EXPECT_EQ(colours_[0], PackLed(kRed, 255));
    engine_.SetRecordedSteps({Steady(kRed, 0), Steady({0, 0, 255}, 0)});
    engine_.Pass(colours_);
    EXPECT_EQ(engine_.RecordedStepIndex(), 1u);
    engine_.Pass(colours_);
    EXPECT_EQ(engine_.RecordedStepIndex(), 0u);
    EXPECT_EQ(colours_[0], PackLed({0, 0, 255}, 255));
}

TEST_F(KeyboardEffectEngineTest, RecordedModesPacedByPasses) {
    Show({.effect = 40});
    RecordedStep breathe = Steady(kRed, 100000);
    breathe.mode = 0;
    breathe.speed = 4;  // the curve moves every 7 passes (ticks)
    breathe.direction = 1;
    engine_.SetRecordedSteps({breathe});
    RunTicks(7 * 64);
    EXPECT_EQ(colours_[9], PackLed(kRed, 254));

    RecordedStep flowing = breathe;
    flowing.mode = 4;
    flowing.multiColor = 1;
    engine_.SetRecordedSteps({flowing});
    RunMs(6);  // passes within one tick move nothing
    RunTicks(7);
    EXPECT_EQ(colours_[0], PackLed(Hue(1), 255));
    EXPECT_EQ(colours_[2], PackLed(Hue(25), 255));

    RecordedStep unknown = breathe;
    unknown.mode = 3;
    engine_.SetRecordedSteps({unknown});
    RunMs(1);
    EXPECT_EQ(colours_[9], 0u);
}

TEST_F(KeyboardEffectEngineTest, StillRecordedStepsWakeOnlyToChangeStep) {
    Show({.effect = 40});
    engine_.SetRecordedSteps({Steady(kRed, 100), Steady({0, 0, 255}, 500)});
    engine_.Pass(colours_);
    EXPECT_EQ(engine_.NextChangeMs(), 100u);
    clock_.Advance(100);
    engine_.Pass(colours_);  // the red step ends
    EXPECT_EQ(engine_.NextChangeMs(), TickStartMs(EffectTickAt(100) + 1)) << "the blue step is painted next";
    RunTicks(1);
    EXPECT_EQ(colours_[0], PackLed({0, 0, 255}, 255));
    EXPECT_EQ(engine_.NextChangeMs(), 600u);
    engine_.SetRecordedSteps({Steady(kRed, 100)});
    RunTicks(1);
    EXPECT_FALSE(engine_.NextChangeMs().has_value()) << "one still step: nothing more to do";
}

// ---------------------------------------------------------------- music

TEST(KeyboardMusicEffectTest, SizesAndHeightsOfBandLevels) {
    struct Case {
        int64_t level, size, height;
    };
    const Case cases[] = {
        {0, 600, 7},
        {1000, 300, 4},
        {2000, 0, 1},
        {2001, 0, 1},
        {2004, 500, 0},
        {-5, 600, 7},  // cannot come from the sound reduction: silence
        {std::numeric_limits<int32_t>::max(), 500, -6442443},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyboardMusicEffect::SizeOf(c.level), c.size) << c.level;
        EXPECT_EQ(KeyboardMusicEffect::ColumnHeightOf(c.level), c.height) << c.level;
    }
}

TEST(KeyboardMusicEffectTest, BeatsNeedLoudnessToBuildUp) {
    KeyboardMusicEffect music;
    AudioBandLevels silence{};
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(music.DetectBeat(silence));
    AudioBandLevels loud;
    loud.fill(2000);  // adds 25 per set
    EXPECT_FALSE(music.DetectBeat(loud));
    EXPECT_FALSE(music.DetectBeat(loud));
    EXPECT_TRUE(music.DetectBeat(loud));  // 75 > 70
    EXPECT_FALSE(music.DetectBeat(loud));
}

class MusicTest : public KeyboardEffectEngineTest {
protected:
    void ShowMusic(uint8_t mode) {
        AudioLightInfo audio{};
        audio[audio::kAudioMode] = mode;
        audio[audio::kBkColorR] = 1;
        audio[audio::kBkColorG] = 1;
        audio[audio::kBkColorB] = 1;
        audio[audio::kFgColorG] = 255;
        engine_.SetAudioRecord(audio);
        Show({.effect = kMusicEffect, .brightness = 4});
    }
    void Feed(int32_t level) {
        AudioBandLevels levels;
        levels.fill(level);
        engine_.FeedAudioSpectrum(levels);
    }
    static constexpr Rgb kBackground{1, 1, 1};
    static constexpr Rgb kForeground{0, 255, 0};
};

TEST_F(MusicTest, SilenceReachesNoKeyInAnyShape) {
    for (uint8_t mode : {0, 1, 2, 4, 5, 6, 9}) {
        ShowMusic(mode);
        Feed(0);
        Steps(1);
        for (size_t p = 0; p < kKeyboardPositions; ++p) {
            ASSERT_EQ(colours_[p], PackLed(kBackground, 255)) << "mode " << int(mode) << " key " << p;
        }
    }
}

TEST_F(MusicTest, VerticalBarsRiseWithLevelAndFallWhenTheSetIsConsumed) {
    ShowMusic(0);
    Feed(2000);  // height 1: rows 1..5 reached
    Steps(1);
    EXPECT_EQ(colours_[22], PackLed(kForeground, 254));  // column 2, row 1
    EXPECT_EQ(colours_[0], PackLed(kBackground, 255));   // column 2, row 0
    Steps(1);                                            // no new data: the bars fall
    EXPECT_EQ(colours_[22], PackLed(kForeground, 174));
    Steps(5);
    EXPECT_EQ(colours_[22], PackLed(kBackground, 255));
}

TEST_F(MusicTest, PeakStaysLitUntilTheColumnHasDrained) {
    ShowMusic(4);
    Feed(2000);
    Steps(1);
    Steps(5);  // bottom key of column 2 (107) at fade 17
    EXPECT_EQ(colours_[22], PackLed(kForeground, 254));
    EXPECT_EQ(colours_[107], PackLed(kForeground, 16));
    Steps(1);  // bottom key below 10: the peak goes
    EXPECT_EQ(colours_[22], PackLed(kForeground, 174));
}

TEST_F(MusicTest, GridRainbowMovesFasterWhenLouder) {
    ShowMusic(3);
    Feed(0);
    Steps(1);
    EXPECT_EQ(colours_[51], PackLed(Hue(0), 255));
    EXPECT_EQ(colours_[16], PackLed(kBackground, 255));  // off the grid
    Feed(2000);
    Steps(1);
    EXPECT_EQ(colours_[51], PackLed({255, 73, 0}, 255));  // hue 15
}

TEST_F(MusicTest, BeatsStartRipplesAtKey51InModeTwoOnly) {
    ShowMusic(0);
    Feed(2000);  // not counted outside mode 2
    Feed(2000);
    ShowMusic(2);
    Feed(2000);
    Steps(1);
    EXPECT_EQ(colours_[51], PackLed(kBackground, 255));
    Feed(2000);
    Feed(2000);  // the third loud set in mode 2: a beat
    Steps(1);
    EXPECT_EQ(colours_[51], PackLed(kForeground, 174));
}

}  // namespace
}  // namespace ivra::light
