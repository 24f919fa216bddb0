// One-shot timers keyed by (owner, id), fired on the owner's thread. Setting
// a timer that is already set replaces it; a handler that wants to run again
// sets its timer again. May be called from any thread.
#pragma once

#include <cstdint>
#include <functional>

namespace ivra {

class ITimerService {
public:
    using Callback = std::function<void()>;
    virtual ~ITimerService() = default;

    virtual void SetTimer(const void* owner, int id, uint32_t ms, Callback callback) = 0;
    virtual void KillTimer(const void* owner, int id) = 0;
    // Kills every timer of the owner (when the owner goes away).
    virtual void KillTimers(const void* owner) = 0;
    virtual bool IsTimerSet(const void* owner, int id) const = 0;
};

}  // namespace ivra
