#include "input/WindowInputSource.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "input/QtKeyCodes.h"

namespace ivra::ui {

namespace {

std::optional<MouseButton> ButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton: return MouseButton::kLeft;
        case Qt::RightButton: return MouseButton::kRight;
        case Qt::MiddleButton: return MouseButton::kMiddle;
        case Qt::BackButton: return MouseButton::kBack;
        case Qt::ForwardButton: return MouseButton::kForward;
        default: return std::nullopt;
    }
}

}  // namespace

WindowInputSource::WindowInputSource(QObject* parent) : QObject(parent) {}

WindowInputSource::~WindowInputSource() {
    Stop();
}

bool WindowInputSource::Start(Sink sink) {
    if (!sink_ && QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
    sink_ = std::move(sink);
    return true;
}

void WindowInputSource::Stop() {
    if (sink_ && QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
    sink_ = nullptr;
}

bool WindowInputSource::SeenBefore(const QEvent* event) {
    const auto* input = static_cast<const QInputEvent*>(event);
    const bool seen = event == lastEvent_ && input->timestamp() == lastStamp_ && event->type() == lastType_;
    lastEvent_ = event;
    lastStamp_ = input->timestamp();
    lastType_ = event->type();
    return seen;
}

bool WindowInputSource::eventFilter(QObject* watched, QEvent* event) {
    if (!sink_) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            if (SeenBefore(event)) break;
            const auto* key = static_cast<const QKeyEvent*>(event);
            if (const std::optional<int> code = LinuxKeyOfEvent(*key)) {
                sink_(InputEvent::Key(*code, event->type() == QEvent::KeyPress));
            }
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            if (SeenBefore(event)) break;
            const auto* mouse = static_cast<const QMouseEvent*>(event);
            if (const std::optional<MouseButton> button = ButtonOf(mouse->button())) {
                const QPoint at = mouse->globalPosition().toPoint();
                sink_(InputEvent::Mouse(*button, event->type() == QEvent::MouseButtonPress, at.x(), at.y()));
            }
            break;
        }
        default: break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ivra::ui
