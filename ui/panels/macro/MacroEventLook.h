// How an event row shows its event: the language key of the key, button or
// move it names, the styles of its two labels, and the action label's text.
#pragma once

#include <QString>

#include "models/keys/MacroEvent.h"

namespace ivra::panels {

struct MacroEventLook {
    QString nameKey;      // empty for a key or button the tables do not know
    QString nameStyle;    // "macro_label_keyboard_style" or "macro_label_mouse_style"
    QString actionStyle;  // down, up, or the text style of a pointer move
    QString actionKey;    // the action's language key; empty for a pointer move
    QString actionText;   // a pointer move's distance
    bool pointerMove = false;
};

MacroEventLook LookOfEvent(const MacroEvent& event);

// The event's name and action in the current language, for the row's
// accessible name ("A down, 20 ms").
QString DescribeEvent(const MacroEvent& event);

}  // namespace ivra::panels
