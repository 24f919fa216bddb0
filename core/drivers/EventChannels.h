// A device's two event channels (A on the cable, B through the receiver)
// and the listener that reads each: opening a channel starts its listener,
// which hands every event code to the device's handler on its own thread;
// closing stops the listener first. Owner thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "transport/DeviceTransport.h"
#include "transport/EventListener.h"

namespace ivra {

class EventChannels {
public:
    // Gets each event code and whether the receiver channel read it.
    using Handler = std::function<void(uint16_t code, bool receiverChannel)>;

    EventChannels(IHidBackend& backend, IClock& clock) : transport_(backend, clock) {}
    ~EventChannels() { CloseAll(); }
    EventChannels(const EventChannels&) = delete;
    EventChannels& operator=(const EventChannels&) = delete;

    // Opens channel A (cable) or B (receiver) on `path` and starts its
    // listener, which writes `exitLine` when it ends. Re-pointing an open
    // channel stops its listener first. False when the open fails.
    bool Open(bool receiverChannel, const std::string& path, const char* exitLine, Handler handler);
    // Stops the channel's listener and closes the channel.
    void Close(bool receiverChannel);
    void CloseAll();
    bool IsOpen(bool receiverChannel) const;
    bool ListenerRunning(bool receiverChannel) const;

private:
    std::unique_ptr<EventListener>& ListenerOf(bool receiverChannel) {
        return receiverChannel ? listenerB_ : listenerA_;
    }

    DeviceTransport transport_;
    std::unique_ptr<EventListener> listenerA_;
    std::unique_ptr<EventListener> listenerB_;
};

}  // namespace ivra
