#include "models/keys/MacroRecorder.h"

#include <algorithm>

namespace ivra {

namespace {

uint8_t ButtonMask(MouseButton button) {
    switch (button) {
        case MouseButton::kLeft: return 0x01;
        case MouseButton::kRight: return 0x02;
        case MouseButton::kMiddle: return 0x04;
        case MouseButton::kBack: return 0x08;
        case MouseButton::kForward: return 0x10;
    }
    return 0;
}

}  // namespace

MacroRecorder::MacroRecorder(IClock& clock) : clock_(clock) {}

void MacroRecorder::Start(RecordDelayMode mode, RecordPlacement placement, uint16_t fixedDelay) {
    mode_ = mode;
    placement_ = placement;
    fixedDelay_ = fixedDelay;
    lastTickMs_ = clock_.NowMs();
    recording_ = true;
}

std::optional<MacroEvent> MacroRecorder::KeyEvent(const InputEvent& input) {
    if (!input.scan) return std::nullopt;
    std::optional<KeyScanCode>& last = lastKey_[static_cast<std::size_t>(placement_)];
    if (input.down) {
        if (last == input.scan) return std::nullopt;  // auto-repeat
        last = input.scan;
    } else if (last == input.scan) {
        last.reset();
    }
    return RecordedKeyEvent(input.scan->scanCode, input.scan->extended, input.down, 0);
}

std::optional<MacroEvent> MacroRecorder::ButtonEvent(const InputEvent& input) {
    auto& last = lastButton_[static_cast<std::size_t>(placement_)];
    const std::pair<MouseButton, bool> message{input.button, input.down};
    if (last == message) return std::nullopt;  // the same event reported again
    last = message;
    if (input.button == MouseButton::kLeft && stopButtonHit_ && input.x && input.y &&
        stopButtonHit_(*input.x, *input.y)) {
        return std::nullopt;
    }
    return MouseButtonEvent(ButtonMask(input.button), input.down, 0);
}

MacroRecorder::Outcome MacroRecorder::Record(const InputEvent& input, std::vector<MacroEvent>& events,
                                             std::optional<std::size_t> selected) {
    if (!recording_) return {};
    if (selected && *selected >= events.size()) selected.reset();
    std::optional<MacroEvent> made = input.kind == InputEvent::Kind::kKey ? KeyEvent(input) : ButtonEvent(input);
    if (!made) return {};
    if (placement_ == RecordPlacement::kReplaceSelected) {
        if (!selected) return {};
        MacroEvent& target = events[*selected];
        target.type = made->type;
        target.button = made->button;
        return {Outcome::What::kReplaced, *selected, std::nullopt};
    }
    return Insert(std::move(*made), events, selected);
}

MacroRecorder::Outcome MacroRecorder::Insert(MacroEvent event, std::vector<MacroEvent>& events,
                                             std::optional<std::size_t> selected) {
    if (events.size() >= kMaxMacroEvents) return {Outcome::What::kFull, events.empty() ? 0 : events.size() - 1, {}};
    uint16_t gap = 0;
    switch (mode_) {
        case RecordDelayMode::kRealTime: {
            const uint64_t now = clock_.NowMs();
            gap = static_cast<uint16_t>(std::min<uint64_t>(now - lastTickMs_, kMaxMacroDelay));
            lastTickMs_ = now;
            break;
        }
        case RecordDelayMode::kFixed: gap = fixedDelay_; break;
        case RecordDelayMode::kNone: gap = 0; break;
    }
    event.delay = mode_ == RecordDelayMode::kFixed ? fixedDelay_ : 0;

    // Before or after the selected event; at the end without a selection.
    std::size_t index = events.size();
    if (selected && placement_ == RecordPlacement::kBefore) index = *selected;
    if (selected && placement_ == RecordPlacement::kAfter) index = *selected + 1;
    const bool wasEmpty = events.empty();
    events.insert(events.begin() + static_cast<std::ptrdiff_t>(index), std::move(event));

    Outcome outcome{Outcome::What::kInserted, index, std::nullopt};
    if (wasEmpty) {
        events[index].delay = 0;
    } else if (hasPrevious_ && index > 0) {
        // The event in front of the new one waits until the new one.
        events[index - 1].delay = gap;
        outcome.delayChanged = index - 1;
    }
    hasPrevious_ = true;
    return outcome;
}

}  // namespace ivra
