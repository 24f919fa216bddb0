// Where discovery learns that a device was plugged in or unplugged: the udev
// monitor on Linux (platform/), the simulator's own plugs (sim/). Discovery
// enumerates when the source reports a change instead of polling; where a
// backend has no source, or its source fails, it polls.
#pragma once

#include <stop_token>

namespace ivra {

enum class HotPlugWait {
    Changed,   // something was plugged or unplugged since the last wait returned
    TimedOut,  // nothing changed within the time-out
    Stopped,   // the stop was requested
    Failed     // the source can no longer report; poll instead
};

class IHotPlugSource {
public:
    virtual ~IHotPlugSource() = default;

    // Waits until a change is reported, `stop` is requested, or timeoutMs
    // passed (negative: no limit). A change reported while nobody waited is
    // kept, so the next wait returns Changed at once: a plug during an
    // enumeration is never lost. Every change reported before the call
    // returns is taken with it.
    virtual HotPlugWait WaitForChange(int timeoutMs, std::stop_token stop) = 0;
};

}  // namespace ivra
