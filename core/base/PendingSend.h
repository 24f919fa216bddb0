// One task sent to the owner thread, shared by the sender waiting for it and
// the owner thread running it. A stop ends the sender's wait only while the
// task has not been taken up: a worker being stopped by the owner thread must
// not wait for it, and a task already running finishes before Wait returns.
#pragma once

#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace ivra {

class PendingSend {
public:
    // Owner thread, before running the task: false when the sender gave up
    // (the task must not run); otherwise marks it taken.
    bool Take();
    // Owner thread, after running the task: wakes the sender.
    void Finish();
    // Sender: waits until the task has run (true) or `stop` came before the
    // owner thread took it up (false; it will never run).
    bool Wait(std::stop_token stop);

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool taken_ = false;
    bool cancelled_ = false;
    bool finished_ = false;
};

}  // namespace ivra
