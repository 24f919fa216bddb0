#include "panels/macro/MacroInputFeed.h"

#include <QPointer>
#include <QThread>

namespace ivra::panels {

bool MacroInputFeed::Start(const std::vector<IInputSource*>& sources, std::function<void(const InputEvent&)> receiver) {
    Stop();
    skipped_.clear();
    sourceName_.clear();
    receiver_ = std::move(receiver);
    const quint64 generation = ++generation_;
    QPointer<MacroInputFeed> self(this);
    for (IInputSource* source : sources) {
        if (source == nullptr) continue;
        const bool started = source->Start([self, generation](const InputEvent& event) {
            if (self.isNull()) return;
            if (QThread::currentThread() == self->thread()) {
                self->Deliver(event, generation);
                return;
            }
            // A source with a thread of its own: the event waits for the UI
            // thread. The feed outlives every call (Stop waits for them), and
            // a queued event whose run has ended is dropped.
            QMetaObject::invokeMethod(
                self.data(),
                [self, event, generation] {
                    if (self) self->Deliver(event, generation);
                },
                Qt::QueuedConnection);
        });
        if (started) {
            source_ = source;
            sourceName_ = QString::fromStdString(source->Name());
            return true;
        }
        std::string why = source->Unavailable();
        if (why.empty()) why = "it did not start";
        skipped_.push_back({QString::fromStdString(source->Name()), QString::fromStdString(why)});
    }
    return false;
}

void MacroInputFeed::Stop() {
    if (source_ == nullptr) return;
    IInputSource* source = source_;
    source_ = nullptr;
    ++generation_;
    source->Stop();
}

void MacroInputFeed::Deliver(const InputEvent& event, quint64 generation) {
    if (source_ == nullptr || generation != generation_ || !receiver_) return;
    receiver_(event);
}

}  // namespace ivra::panels
