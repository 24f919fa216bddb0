// One-shot timers for the device model, fired on the user interface thread
// by Qt timers. Callable from any thread.
#pragma once

#include <QObject>
#include <map>
#include <mutex>

#include "base/TimerService.h"

class QTimer;

namespace ivra::shell {

class QtTimerService final : public QObject, public ITimerService {
    Q_OBJECT
public:
    QtTimerService() = default;
    ~QtTimerService() override;

    void SetTimer(const void* owner, int id, uint32_t ms, Callback callback) override;
    void KillTimer(const void* owner, int id) override;
    void KillTimers(const void* owner) override;
    bool IsTimerSet(const void* owner, int id) const override;

private:
    using Key = std::pair<const void*, int>;
    struct Entry {
        uint64_t generation = 0;
        Callback callback;
        QTimer* timer = nullptr;  // touched on the timer thread only
    };
    // Runs on this object's thread: (re)starts or stops the Qt timer of a key.
    void Apply(Key key, uint64_t generation, uint32_t ms);
    void Fire(Key key, uint64_t generation);

    mutable std::mutex mutex_;
    std::map<Key, Entry> entries_;
    uint64_t nextGeneration_ = 1;
};

}  // namespace ivra::shell
