// What the scan thread reports to the owner of the slot list. Every call
// runs on the owner thread: bound and released are sent (the scan thread
// waits for them), the others posted.
#pragma once

#include <string>

#include "discovery/DeviceSlot.h"

namespace ivra {

class ISlotEvents {
public:
    virtual ~ISlotEvents() = default;
    // An interface was bound to slot `index` (message 0x0C12).
    virtual void OnSlotBound(int index) = 0;
    // The interface of slot `index` is gone (message 0x0C13).
    virtual void OnSlotReleased(int index) = 0;
    // The first pass is over.
    virtual void OnFirstPassDone() = 0;
    // A served interface could not be opened for lack of permission; called
    // once per path.
    virtual void OnAccessDenied(const DeviceSlot& candidate) = 0;
};

}  // namespace ivra
