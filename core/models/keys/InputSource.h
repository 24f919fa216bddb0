// A source of keyboard and mouse events for key capture and macro
// recording: the window's own events, a global X11 source, evdev devices, or
// a script in tests. A source only watches: it never takes the events away
// from the programs they are meant for.
#pragma once

#include <functional>
#include <string>

#include "models/keys/InputEvent.h"

namespace ivra {

class IInputSource {
public:
    // Receives the events while the source runs. Sources with a thread of
    // their own call it on that thread; the receiver hands the events to
    // its owner thread itself.
    using Sink = std::function<void(const InputEvent&)>;

    virtual ~IInputSource() = default;

    // A short name for messages ("window", "X11", "evdev", "script").
    virtual std::string Name() const = 0;
    // Empty when the source can run here; otherwise why it cannot, in words
    // a user can act on.
    virtual std::string Unavailable() const = 0;
    // Sees events anywhere on the desktop, not only while the program's
    // window has the focus.
    virtual bool Global() const = 0;

    // Starts delivering events to `sink`; false (with Unavailable() saying
    // why) when it cannot. Starting a running source replaces its sink.
    virtual bool Start(Sink sink) = 0;
    // Stops delivering; no call of the sink runs or follows once it returns.
    virtual void Stop() = 0;
};

}  // namespace ivra
