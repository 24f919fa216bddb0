// A notification from a control to its window: what happened, to which
// control, and two parameters whose meaning depends on the type.
#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

namespace ivra::dui {

struct TNotifyUI {
    QString sType;  // "click", "selectchanged", "valuechanged", ...
    QWidget* pSender = nullptr;
    quintptr wParam = 0;
    qintptr lParam = 0;
};

// The name a control goes by in the skin ("" when it has none).
QString ControlName(const QWidget* control);

// Receives the notifications of one window's controls.
class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

}  // namespace ivra::dui
