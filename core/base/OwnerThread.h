// The thread that owns the pages and entries (the user interface thread under
// the GUI, a dispatch thread under ivractl, the test's own thread in tests),
// as seen by worker threads that have to hand work to it.
#pragma once

#include <functional>
#include <stop_token>

namespace ivra {

class IOwnerThread {
public:
    virtual ~IOwnerThread() = default;

    // Runs `task` on the owner thread and waits until it has run ("sent").
    // Runs it at once when called on the owner thread. The wait ends early,
    // with the task not run, when `stop` is requested before the owner
    // thread took the task up, so a worker being stopped by the owner never
    // deadlocks. True when the task ran.
    virtual bool Send(std::function<void()> task, std::stop_token stop) = 0;
    // Queues `task` for the owner thread and returns ("posted").
    virtual void Post(std::function<void()> task) = 0;
};

}  // namespace ivra
