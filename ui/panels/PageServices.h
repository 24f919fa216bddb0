// What the window lends a device page's panels: messages, file dialogs, the
// input sources for key capture and macro recording, and the window-wide
// lock while a macro is recorded. Tests replace any of them.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "models/keys/InputSource.h"

namespace ivra::panels {

struct PageServices {
    // Shows the language text `textKey` (with "%d" replaced by `number` when
    // it is not negative) and the buttons (1 OK, 2 OK and Cancel); the
    // answer is 1 for OK.
    std::function<int(const QString& textKey, int buttons, int number)> message;
    // The file the user picks to open or to save under, with a filter such
    // as "Macro Files(*.mac)"; empty when the user cancels.
    std::function<QString(const QString& filter)> openFile;
    std::function<QString(const QString& filter)> saveFile;
    // The input sources to try, best first (X11's global events, evdev, the
    // window's own events); the first that starts is used. The sources
    // belong to the window and live as long as it.
    std::function<std::vector<IInputSource*>()> inputSources;
    // While a macro is recorded the selector strip and the profile panel
    // take no input (on = recording).
    std::function<void(bool recording)> recordingLock;
    // False while the computer goes to sleep or wakes: captured keys and
    // recorded events are dropped then. None: always true.
    std::function<bool()> takingInput;
};

}  // namespace ivra::panels
