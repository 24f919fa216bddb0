// The message box through which the program asks for confirmation or
// reports a problem.
#pragma once

#include "dui/WindowImplBase.h"

namespace ivra::shell {

class MsgWnd final : public dui::WindowImplBase {
    Q_OBJECT
public:
    explicit MsgWnd(QWidget* owner = nullptr);
    QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
    void Notify(dui::TNotifyUI& msg) override;

    // Applies one of the DPIs 48, 72, 96, 120, 144, 168 or 192; any other
    // value writes "MSG_WND DPI SET ERROR" and applies 96.
    void SetDPI(int dpi);
    int Dpi() const { return dpi_; }

private:
    QSize baseSize_;
    QFont baseFont_;
    int dpi_ = 96;
};

enum class MessageButtons { ConfirmOnly = 0, ConfirmAndCancel = 1 };

// Shows a message box modally; 1 when it was closed with "confirm_btn",
// else 0. An empty title or text keeps the skin's. With textIsResourceId
// the text is a language key. `buttons` 0: only "confirm_btn"; 1: both;
// any other value leaves them as the skin declares.
int ShowMessageBox(QWidget* owner, const QString& skinFolder, const QString& title, const QString& text, int dpi,
                   bool textIsResourceId, int buttons);

}  // namespace ivra::shell
