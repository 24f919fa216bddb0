// The user interface thread as the owner thread of the device model: worker
// threads hand it work through Qt's event loop.
#pragma once

#include <QObject>

#include "base/OwnerThread.h"

namespace ivra::shell {

class QtOwnerThread final : public QObject, public IOwnerThread {
    Q_OBJECT
public:
    // Lives in (and runs tasks on) the thread that creates it.
    QtOwnerThread() = default;

    bool Send(std::function<void()> task, std::stop_token stop) override;
    void Post(std::function<void()> task) override;
};

}  // namespace ivra::shell
