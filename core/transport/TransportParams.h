// How a command transport runs on the path it is opened on: through the
// receiver or the cable, the payload bytes per paged chunk, and the answer
// timeout.
#pragma once

#include <cstdint>

namespace ivra {

struct TransportParams {
    bool receiverMode = false;
    uint8_t chunkSize = 24;
    int timeoutMs = 1000;
};

// The two paths a wireless device's command transport can run on.
enum class TransportPath { kCable, kReceiver };

}  // namespace ivra
