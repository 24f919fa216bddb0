#include "StopSignals.h"

#include <pthread.h>

#include <cerrno>
#include <chrono>
#include <ctime>

namespace ivra::cli {

StopSignals::StopSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
}

StopSignals::~StopSignals() {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

bool StopSignals::Wait(long long ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
    for (;;) {
        // Without a limit, one wake-up an hour at most.
        long long waitMs = 3600LL * 1000;
        if (ms >= 0) {
            waitMs = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (waitMs <= 0) return false;
        }
        timespec timeout{static_cast<time_t>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000000L};
        const int got = sigtimedwait(&signals_, nullptr, &timeout);
        if (got == SIGINT || got == SIGTERM) return true;
        if (got < 0 && errno != EAGAIN && errno != EINTR) return false;
    }
}

}  // namespace ivra::cli
