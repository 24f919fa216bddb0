#include "shell/QtTimerService.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace ivra::shell {

QtTimerService::~QtTimerService() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [key, entry] : entries_) delete entry.timer;
    entries_.clear();
}

void QtTimerService::SetTimer(const void* owner, int id, uint32_t ms, Callback callback) {
    const Key key{owner, id};
    uint64_t generation;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Entry& entry = entries_[key];
        entry.generation = generation = nextGeneration_++;
        entry.callback = std::move(callback);
    }
    if (QThread::currentThread() == thread()) {
        Apply(key, generation, ms);
    } else {
        QMetaObject::invokeMethod(
            this, [this, key, generation, ms] { Apply(key, generation, ms); }, Qt::QueuedConnection);
    }
}

void QtTimerService::Apply(Key key, uint64_t generation, uint32_t ms) {
    QTimer* timer = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = entries_.find(key);
        // Killed or set again since: that later call decides.
        if (it == entries_.end() || it->second.generation != generation) return;
        if (it->second.timer == nullptr) {
            it->second.timer = new QTimer(this);
            it->second.timer->setSingleShot(true);
        }
        timer = it->second.timer;
    }
    timer->disconnect();
    connect(timer, &QTimer::timeout, this, [this, key, generation] { Fire(key, generation); });
    timer->start(static_cast<int>(ms));
}

void QtTimerService::Fire(Key key, uint64_t generation) {
    Callback callback;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = entries_.find(key);
        if (it == entries_.end() || it->second.generation != generation) return;
        callback = std::move(it->second.callback);
        if (it->second.timer) it->second.timer->deleteLater();
        entries_.erase(it);
    }
    if (callback) callback();
}

void QtTimerService::KillTimer(const void* owner, int id) {
    QTimer* timer = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = entries_.find(Key{owner, id});
        if (it == entries_.end()) return;
        timer = it->second.timer;
        entries_.erase(it);
    }
    if (timer == nullptr) return;
    QPointer<QTimer> guard(timer);
    QMetaObject::invokeMethod(
        this, [guard] { delete guard.data(); }, Qt::QueuedConnection);
}

void QtTimerService::KillTimers(const void* owner) {
    std::vector<int> ids;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [key, entry] : entries_) {
            if (key.first == owner) ids.push_back(key.second);
        }
    }
    for (int id : ids) KillTimer(owner, id);
}

bool QtTimerService::IsTimerSet(const void* owner, int id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.count(Key{owner, id}) != 0;
}

}  // namespace ivra::shell
