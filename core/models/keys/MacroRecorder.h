// Macro recording: turns the key and mouse button events of an input source
// into macro events and puts them into the macro being edited.
//
// Delays: in real-time mode an event's delay is the time from it to the next
// recorded event (so the last event of a recording keeps 0, and a gap longer
// than 65.535 s stores 65535); in fixed mode every event gets the fixed
// delay; with no delays every event gets 0. Auto-repeat is suppressed (a held
// key records one press and one release), and a left click on the stop
// button is not recorded, so stopping does not add a click.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/Clock.h"
#include "models/keys/InputEvent.h"
#include "models/keys/MacroEvent.h"

namespace ivra {

enum class RecordDelayMode : uint8_t { kRealTime = 1, kFixed = 2, kNone = 3 };

// Where a recorded event goes: after the last one, before or after the
// selected one, or in place of the selected event's key or button.
enum class RecordPlacement : uint8_t { kAppend, kBefore, kAfter, kReplaceSelected };

class MacroRecorder {
public:
    explicit MacroRecorder(IClock& clock);

    // Starts a recording; the real-time delay counts from now.
    void Start(RecordDelayMode mode, RecordPlacement placement, uint16_t fixedDelay = 0);
    void Stop() { recording_ = false; }
    bool Recording() const { return recording_; }
    RecordDelayMode DelayMode() const { return mode_; }
    RecordPlacement Placement() const { return placement_; }

    // Whether a screen point lies on the stop button (left clicks there are
    // not recorded). Without it every click is recorded.
    void SetStopButtonHitTest(std::function<bool(int x, int y)> hit) { stopButtonHit_ = std::move(hit); }

    struct Outcome {
        enum class What : uint8_t {
            kInserted,  // a new event at `index`
            kReplaced,  // the event at `index` took the key or button
            kIgnored,   // a repeat, an unknown key, the stop click, nothing selected
            kFull,      // the macro holds the most events it may
        };
        What what = What::kIgnored;
        std::size_t index = 0;                    // the event to select
        std::optional<std::size_t> delayChanged;  // an earlier event whose delay was set
    };

    // Records one event into `events` (the macro being edited) with the
    // editor's selected event. Nothing happens while not recording.
    Outcome Record(const InputEvent& input, std::vector<MacroEvent>& events, std::optional<std::size_t> selected);

private:
    // The event a key or button makes, or nothing for one that is ignored
    // (with the repeat memory updated).
    std::optional<MacroEvent> KeyEvent(const InputEvent& input);
    std::optional<MacroEvent> ButtonEvent(const InputEvent& input);
    Outcome Insert(MacroEvent event, std::vector<MacroEvent>& events, std::optional<std::size_t> selected);

    IClock& clock_;
    bool recording_ = false;
    RecordDelayMode mode_ = RecordDelayMode::kRealTime;
    RecordPlacement placement_ = RecordPlacement::kAppend;
    uint16_t fixedDelay_ = 0;
    uint64_t lastTickMs_ = 0;
    // Set by the first event this recorder records; kept across recordings,
    // so a new recording appended to a macro gives its last event the delay
    // up to the first new one.
    bool hasPrevious_ = false;
    std::function<bool(int, int)> stopButtonHit_;
    // The last key press and the last button event each placement accepted.
    static constexpr std::size_t kPlacements = 4;
    std::array<std::optional<KeyScanCode>, kPlacements> lastKey_{};
    std::array<std::optional<std::pair<MouseButton, bool>>, kPlacements> lastButton_{};
};

}  // namespace ivra
