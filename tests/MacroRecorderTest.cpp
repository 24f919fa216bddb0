#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ManualClock.h"
#include "models/keys/MacroRecorder.h"

namespace ivra {
namespace {

constexpr int kKeyA = 30;  // Linux KEY_A: usage 4
constexpr int kKeyB = 48;  // KEY_B: usage 5
constexpr int kLeftCtrl = 29;
constexpr int kUnknownKey = 240;  // KEY_UNKNOWN

// One scripted step: an event after `afterMs` milliseconds.
struct Step {
    uint64_t afterMs;
    InputEvent event;
};

InputEvent Down(int key) {
    return InputEvent::Key(key, true);
}
InputEvent Up(int key) {
    return InputEvent::Key(key, false);
}

// "A+ 500, A- 0" style: each event as button, direction and delay.
std::string Describe(const std::vector<MacroEvent>& events) {
    std::string text;
    for (const MacroEvent& event : events) {
        if (!text.empty()) text += ", ";
        text += std::to_string(event.type) + ":" + std::to_string(event.button) + (event.IsDown() ? "+ " : "- ") +
                std::to_string(event.delay);
    }
    return text;
}

std::string RecordSteps(RecordDelayMode mode, uint16_t fixedDelay, const std::vector<Step>& steps) {
    sim::ManualClock clock(1000);
    MacroRecorder recorder(clock);
    recorder.Start(mode, RecordPlacement::kAppend, fixedDelay);
    std::vector<MacroEvent> events;
    for (const Step& step : steps) {
        clock.Advance(step.afterMs);
        recorder.Record(step.event, events, std::nullopt);
    }
    return Describe(events);
}

TEST(MacroRecorder, DelaysRepeatsAndFiltersWhileAppending) {
    struct Case {
        const char* what;
        RecordDelayMode mode;
        uint16_t fixed;
        std::vector<Step> steps;
        const char* recorded;
    };
    const Case cases[] = {
        {"a held key records one press and one release",
         RecordDelayMode::kRealTime,
         0,
         {{0, Down(kKeyA)}, {30, Down(kKeyA)}, {30, Down(kKeyA)}, {940, Up(kKeyA)}},
         "10:4+ 1000, 10:4- 0"},
        {"the same key twice: the release lets the next press in",
         RecordDelayMode::kNone,
         0,
         {{0, Down(kKeyA)}, {10, Up(kKeyA)}, {10, Down(kKeyA)}, {10, Up(kKeyA)}},
         "10:4+ 0, 10:4- 0, 10:4+ 0, 10:4- 0"},
        {"real time: the delay runs to the next event, the last keeps 0",
         RecordDelayMode::kRealTime,
         0,
         {{200, Down(kKeyA)}, {500, Up(kKeyA)}},
         "10:4+ 500, 10:4- 0"},
        {"a gap beyond 65.535 s stores 65535",
         RecordDelayMode::kRealTime,
         0,
         {{0, Down(kKeyA)}, {70000, Up(kKeyA)}},
         "10:4+ 65535, 10:4- 0"},
        {"fixed delays: every event but a lone first one",
         RecordDelayMode::kFixed,
         40,
         {{0, Down(kKeyA)}, {500, Up(kKeyA)}, {5, Down(kKeyB)}},
         "10:4+ 40, 10:4- 40, 10:5+ 40"},
        {"no delays", RecordDelayMode::kNone, 0, {{0, Down(kKeyA)}, {500, Up(kKeyA)}}, "10:4+ 0, 10:4- 0"},
        {"modifiers record their mask, unknown keys nothing",
         RecordDelayMode::kNone,
         0,
         {{0, Down(kLeftCtrl)}, {0, Down(kUnknownKey)}, {0, Up(kLeftCtrl)}},
         "9:1+ 0, 9:1- 0"},
        {"a button reported twice records once",
         RecordDelayMode::kNone,
         0,
         {{0, InputEvent::Mouse(MouseButton::kRight, true)},
          {0, InputEvent::Mouse(MouseButton::kRight, true)},
          {0, InputEvent::Mouse(MouseButton::kRight, false)},
          {0, InputEvent::Mouse(MouseButton::kForward, true)},
          {0, InputEvent::Mouse(MouseButton::kBack, false)}},
         "1:2+ 0, 1:2- 0, 1:16+ 0, 1:8- 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordSteps(c.mode, c.fixed, c.steps), c.recorded) << c.what;
}

TEST(MacroRecorder, TheStopClickIsLeftOutButOtherClicksOnTheButtonAreRecorded) {
    sim::ManualClock clock;
    MacroRecorder recorder(clock);
    recorder.SetStopButtonHitTest([](int x, int y) { return x >= 100 && x < 150 && y >= 10 && y < 30; });
    recorder.Start(RecordDelayMode::kNone, RecordPlacement::kAppend);
    std::vector<MacroEvent> events;
    recorder.Record(InputEvent::Mouse(MouseButton::kLeft, true, 120, 20), events, {});
    recorder.Record(InputEvent::Mouse(MouseButton::kLeft, false, 120, 20), events, {});
    recorder.Record(InputEvent::Mouse(MouseButton::kRight, true, 120, 20), events, {});
    recorder.Record(InputEvent::Mouse(MouseButton::kLeft, true, 10, 20), events, {});
    EXPECT_EQ(Describe(events), "1:2+ 0, 1:1+ 0");
}

TEST(MacroRecorder, InsertsBeforeOrAfterTheSelectionAndGivesTheEventInFrontTheGap) {
    struct Case {
        RecordPlacement placement;
        std::size_t selected;
        const char* recorded;
    };
    // B pressed 100 ms after the start, released 300 ms later, each time
    // with the new event selected, as the editor does.
    const Case cases[] = {
        {RecordPlacement::kBefore, 1, "10:4+ 300, 10:5- 0, 10:5+ 0, 10:4- 7"},
        {RecordPlacement::kAfter, 0, "10:4+ 7, 10:5+ 300, 10:5- 0, 10:4- 7"},
        {RecordPlacement::kAppend, 0, "10:4+ 7, 10:4- 7, 10:5+ 300, 10:5- 0"},
    };
    for (const Case& c : cases) {
        sim::ManualClock clock;
        MacroRecorder recorder(clock);
        std::vector<MacroEvent> events = {{10, 4, "down", 7}, {10, 4, "up", 7}};
        recorder.Start(RecordDelayMode::kRealTime, c.placement);
        clock.Advance(100);
        const auto first = recorder.Record(Down(kKeyB), events, c.selected);
        ASSERT_EQ(first.what, MacroRecorder::Outcome::What::kInserted);
        EXPECT_FALSE(first.delayChanged) << "the first event of a recorder sets no earlier delay";
        clock.Advance(300);
        recorder.Record(Up(kKeyB), events, first.index);
        EXPECT_EQ(Describe(events), c.recorded) << static_cast<int>(c.placement);
    }
}

TEST(MacroRecorder, ReplacingTakesTheKeyAndKeepsActionAndDelay) {
    sim::ManualClock clock;
    MacroRecorder recorder(clock);
    std::vector<MacroEvent> events = {{10, 4, "down", 50}, {10, 4, "up", 60}};
    recorder.Start(RecordDelayMode::kNone, RecordPlacement::kReplaceSelected);
    EXPECT_EQ(recorder.Record(Down(kKeyB), events, std::nullopt).what, MacroRecorder::Outcome::What::kIgnored);
    EXPECT_EQ(recorder.Record(Down(kKeyB), events, 0).what, MacroRecorder::Outcome::What::kIgnored)
        << "a repeat of the press just taken";
    recorder.Record(Down(kLeftCtrl), events, 0);
    EXPECT_EQ(Describe(events), "9:1+ 50, 10:4- 60");
    recorder.Record(InputEvent::Mouse(MouseButton::kMiddle, false), events, 1);
    EXPECT_EQ(Describe(events), "9:1+ 50, 1:4- 60");
}

TEST(MacroRecorder, AFullMacroTakesNothingMoreAndAStoppedRecorderNothingAtAll) {
    sim::ManualClock clock;
    MacroRecorder recorder(clock);
    std::vector<MacroEvent> events(kMaxMacroEvents, MacroEvent{10, 4, "down", 0});
    EXPECT_EQ(recorder.Record(Down(kKeyA), events, {}).what, MacroRecorder::Outcome::What::kIgnored);
    recorder.Start(RecordDelayMode::kNone, RecordPlacement::kAppend);
    EXPECT_EQ(recorder.Record(Down(kKeyA), events, {}).what, MacroRecorder::Outcome::What::kFull);
    EXPECT_EQ(events.size(), kMaxMacroEvents);
}

}  // namespace
}  // namespace ivra
