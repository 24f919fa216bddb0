// The input events of a recording: starts the first of the offered sources
// that starts (they come best first), remembers why the better ones could
// not be used, and hands every event to the editor on the UI thread, also
// when the source calls from a thread of its own. The sources only watch:
// no other program loses its input.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "models/keys/InputSource.h"

namespace ivra::panels {

class MacroInputFeed final : public QObject {
    Q_OBJECT
public:
    struct Skipped {
        QString name;
        QString why;
    };

    explicit MacroInputFeed(QObject* parent = nullptr) : QObject(parent) {}
    ~MacroInputFeed() override { Stop(); }
    MacroInputFeed(const MacroInputFeed&) = delete;
    MacroInputFeed& operator=(const MacroInputFeed&) = delete;

    // Starts the first source of `sources` that starts; false when none did.
    bool Start(const std::vector<IInputSource*>& sources, std::function<void(const InputEvent&)> receiver);
    // Stops the source; no event reaches the receiver after this.
    void Stop();

    bool Running() const { return source_ != nullptr; }
    // The source in use (empty before the first start) and the better ones
    // that could not be used, with their reasons.
    QString SourceName() const { return sourceName_; }
    const std::vector<Skipped>& SkippedSources() const { return skipped_; }

private:
    void Deliver(const InputEvent& event, quint64 generation);

    IInputSource* source_ = nullptr;
    QString sourceName_;
    std::vector<Skipped> skipped_;
    std::function<void(const InputEvent&)> receiver_;
    quint64 generation_ = 0;  // counts starts, so events of a stopped run are dropped
};

}  // namespace ivra::panels
