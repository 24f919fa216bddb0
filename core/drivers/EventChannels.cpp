#include "drivers/EventChannels.h"

#include <utility>

namespace ivra {

namespace {

TransportPath PathOf(bool receiverChannel) {
    return receiverChannel ? TransportPath::kReceiver : TransportPath::kCable;
}

}  // namespace

bool EventChannels::Open(bool receiverChannel, const std::string& path, const char* exitLine, Handler handler) {
    std::unique_ptr<EventListener>& listener = ListenerOf(receiverChannel);
    if (listener) listener->Stop();
    const TransportPath which = PathOf(receiverChannel);
    if (!transport_.ReopenChannel(which, path)) return false;
    listener = std::make_unique<EventListener>(transport_.Channel(which), transport_.ChannelOpenFlag(which), exitLine);
    listener->Start([handler = std::move(handler), receiverChannel](uint16_t code) { handler(code, receiverChannel); });
    return true;
}

void EventChannels::Close(bool receiverChannel) {
    std::unique_ptr<EventListener>& listener = ListenerOf(receiverChannel);
    if (listener) {
        listener->Stop();
        listener.reset();
    }
    transport_.CloseChannel(PathOf(receiverChannel));
}

void EventChannels::CloseAll() {
    Close(false);
    Close(true);
}

bool EventChannels::IsOpen(bool receiverChannel) const {
    return transport_.ChannelOpen(PathOf(receiverChannel));
}

bool EventChannels::ListenerRunning(bool receiverChannel) const {
    const std::unique_ptr<EventListener>& listener = receiverChannel ? listenerB_ : listenerA_;
    return listener && listener->Running();
}

}  // namespace ivra
