#include "base/PendingSend.h"

namespace ivra {

bool PendingSend::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_) return false;
    taken_ = true;
    return true;
}

void PendingSend::Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

bool PendingSend::Wait(std::stop_token stop) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, stop, [&] { return finished_; });
    if (finished_) return true;
    if (!taken_) {
        cancelled_ = true;
        return false;
    }
    // The owner thread is running it now: it is not the one stopping us, so
    // it will finish.
    changed_.wait(lock, [&] { return finished_; });
    return true;
}

}  // namespace ivra
