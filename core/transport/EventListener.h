// The loop that reads one event channel of a device: one input report at a
// time with no time-out, its first usage taken as the event code and handed
// to a handler on the listener's thread.
//
// Stopping wakes the blocked read by closing the channel, so a stop always
// completes; the owner then clears its open flag and closes the channel
// under its lock as usual.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "hid/HidChannel.h"
#include "base/WorkerThread.h"

namespace ivra {

class EventListener {
public:
    using Handler = std::function<void(uint16_t code)>;

    // `channel` and `openFlag` belong to the owner and outlive the listener.
    EventListener(HidChannel& channel, const std::atomic<bool>& openFlag, std::string exitLine);
    ~EventListener();
    EventListener(const EventListener&) = delete;
    EventListener& operator=(const EventListener&) = delete;

    // Starts reading the (open) channel. False when it is not open or the
    // listener already runs.
    bool Start(Handler handler);
    // Stops the loop; the channel is closed to wake a pending read.
    void Stop();
    bool Running() const { return worker_.Running(); }

private:
    void Pass();

    HidChannel& channel_;
    const std::atomic<bool>& openFlag_;
    Handler handler_;
    // Taken when the loop starts, so a close cannot pull them away mid-report.
    HidTopLevelCollection collection_;
    std::vector<HidDataItem> items_;
    size_t reportLength_ = 0;
    WorkerThread worker_;
};

}  // namespace ivra
