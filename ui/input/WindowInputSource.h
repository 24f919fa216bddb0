// The input source every session has: the key and mouse button events that
// reach the program's own windows while one of them has the focus (X11,
// Wayland and the offscreen platform alike). It watches the events on their
// way and lets them go on.
#pragma once

#include <QObject>

#include "models/keys/InputSource.h"

class QEvent;

namespace ivra::ui {

class WindowInputSource final : public QObject, public IInputSource {
    Q_OBJECT
public:
    explicit WindowInputSource(QObject* parent = nullptr);
    ~WindowInputSource() override;

    std::string Name() const override { return "window"; }
    std::string Unavailable() const override { return {}; }
    bool Global() const override { return false; }
    // The sink runs on the UI thread, inside the event's delivery.
    bool Start(Sink sink) override;
    void Stop() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // An event travels from the focus widget up to its parents and passes
    // the filter at each; only its first pass counts.
    bool SeenBefore(const QEvent* event);

    Sink sink_;
    const QEvent* lastEvent_ = nullptr;
    quint64 lastStamp_ = 0;
    int lastType_ = 0;
};

}  // namespace ivra::ui
