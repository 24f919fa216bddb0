// One row of "macro_action_list": the event's name label, its action label
// and its delay cell ("macro_delay"). The row is named "macro_action" and
// raises the notifications the window routes to the macro editor: "menu" on
// a right click, "itemactivate" on a double click, and "killfocus" from the
// delay cell when it loses the focus.
#pragma once

#include <QWidget>
#include <cstdint>

#include "models/keys/MacroEvent.h"

class QLabel;
class QLineEdit;

namespace ivra::panels {

class MacroEventRow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 30;

    explicit MacroEventRow(const MacroEvent& event, QWidget* parent = nullptr);

    // Shows `event` (labels, delay cell, accessible names).
    void Show(const MacroEvent& event);
    // The delay cell's value: its leading number, 0 when empty.
    uint16_t Delay() const;
    void SetDelay(uint16_t delay);
    QLineEdit* DelayCell() const { return delay_; }

signals:
    // The user went into the row (its delay cell took the focus, or it was
    // clicked); the editor selects it.
    void Entered(MacroEventRow* row);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateAccessibleNames();

    QLabel* name_;
    QLabel* action_;
    QLineEdit* delay_;
    QString description_;
};

}  // namespace ivra::panels
