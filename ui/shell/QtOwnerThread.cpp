#include "shell/QtOwnerThread.h"

#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace ivra::shell {
namespace {

struct SentTask {
    std::mutex mutex;
    std::condition_variable_any done;
    bool taken = false;
    bool finished = false;
    bool cancelled = false;
};

}  // namespace

bool QtOwnerThread::Send(std::function<void()> task, std::stop_token stop) {
    if (QThread::currentThread() == thread()) {
        task();
        return true;
    }
    auto state = std::make_shared<SentTask>();
    QMetaObject::invokeMethod(
        this,
        [state, task = std::move(task)] {
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                if (state->cancelled) return;
                state->taken = true;
            }
            task();
            std::lock_guard<std::mutex> lock(state->mutex);
            state->finished = true;
            state->done.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock<std::mutex> lock(state->mutex);
    // A stop ends the wait only while the task has not started: a worker
    // being stopped by the user interface thread must not wait for it.
    state->done.wait(lock, stop, [&] { return state->finished; });
    if (state->finished) return true;
    if (!state->taken) {
        state->cancelled = true;
        return false;
    }
    // Started: it finishes on the owner thread, which is running it now.
    state->done.wait(lock, [&] { return state->finished; });
    return true;
}

void QtOwnerThread::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

}  // namespace ivra::shell
