// Ctrl+C and SIGTERM for the commands that run until stopped: the signals
// are blocked in every thread (construct this before starting any) and
// taken only by Wait, so no handler runs on an arbitrary thread.
#pragma once

#include <signal.h>

namespace ivra::cli {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Waits up to `ms` (negative: without limit); true when SIGINT or
    // SIGTERM arrived, false when the time ran out.
    bool Wait(long long ms);

private:
    sigset_t signals_;
    sigset_t previous_;
};

}  // namespace ivra::cli
