#include "shell/QtOwnerThread.h"

#include <QMetaObject>
#include <QThread>
#include <memory>

#include "base/PendingSend.h"

namespace ivra::shell {

bool QtOwnerThread::Send(std::function<void()> task, std::stop_token stop) {
    if (QThread::currentThread() == thread()) {
        task();
        return true;
    }
    auto pending = std::make_shared<PendingSend>();
    QMetaObject::invokeMethod(
        this,
        [pending, task = std::move(task)] {
            if (!pending->Take()) return;
            task();
            pending->Finish();
        },
        Qt::QueuedConnection);
    return pending->Wait(stop);
}

void QtOwnerThread::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

}  // namespace ivra::shell
