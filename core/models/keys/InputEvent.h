// One keyboard key or mouse button event from an input source, as key
// capture and macro recording see it: a key by the key table's scan code and
// extended flag (and the Linux key code it came from), a mouse button by
// which button, with the pointer's screen position where the source knows it.
#pragma once

#include <cstdint>
#include <optional>

#include "models/keys/LinuxKeyCodes.h"

namespace ivra {

enum class MouseButton : uint8_t { kLeft, kRight, kMiddle, kBack, kForward };

struct InputEvent {
    enum class Kind : uint8_t { kKey, kMouseButton };

    Kind kind = Kind::kKey;
    bool down = false;
    // Keys: the scan code the key table knows the key by; unset for a key it
    // has no scan code for (such events are ignored by capture and recording).
    std::optional<KeyScanCode> scan;
    int linuxKeyCode = 0;
    MouseButton button = MouseButton::kLeft;
    // The pointer's screen position at a mouse button event, where known.
    std::optional<int> x;
    std::optional<int> y;

    static InputEvent Key(int linuxKeyCode, bool down) {
        InputEvent event;
        event.kind = Kind::kKey;
        event.down = down;
        event.linuxKeyCode = linuxKeyCode;
        event.scan = ScanCodeForLinuxKey(linuxKeyCode);
        return event;
    }
    static InputEvent Mouse(MouseButton button, bool down, std::optional<int> x = {}, std::optional<int> y = {}) {
        InputEvent event;
        event.kind = Kind::kMouseButton;
        event.down = down;
        event.button = button;
        event.x = x;
        event.y = y;
        return event;
    }
};

}  // namespace ivra
