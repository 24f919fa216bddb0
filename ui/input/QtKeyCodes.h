// The Linux key code of a Qt key event. The window system's own scan code
// comes first (under X11 and Wayland Qt reports the X keycode, the Linux
// code + 8); where it is 0 (the offscreen platform, synthetic events) the
// Qt key is mapped with a table of the keys of a US layout.
#pragma once

#include <optional>

class QKeyEvent;

namespace ivra::ui {

std::optional<int> LinuxKeyForQtKey(int qtKey, bool keypad);
std::optional<int> LinuxKeyOfEvent(const QKeyEvent& event);

}  // namespace ivra::ui
