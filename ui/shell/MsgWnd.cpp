#include "shell/MsgWnd.h"

#include <QLabel>

#include "base/DebugOutput.h"
#include "dui/LanguageResources.h"

namespace ivra::shell {
namespace {

bool IsSupportedDpi(int dpi) {
    for (int supported : {48, 72, 96, 120, 144, 168, 192}) {
        if (dpi == supported) return true;
    }
    return false;
}

}  // namespace

MsgWnd::MsgWnd(QWidget* owner) : WindowImplBase(owner) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("msgwnd"));
}

void MsgWnd::Notify(dui::TNotifyUI& msg) {
    if (msg.sType != QLatin1String("click")) return;
    const QString name = dui::ControlName(msg.pSender).toLower();
    if (name == QLatin1String("closebtn") || name == QLatin1String("cancel_btn")) {
        Close(0);
    } else if (name == QLatin1String("confirm_btn")) {
        Close(1);
    }
}

void MsgWnd::SetDPI(int dpi) {
    if (!IsSupportedDpi(dpi)) {
        DebugLine("MSG_WND DPI SET ERROR");
        dpi = 96;
    }
    if (dpi == dpi_) return;
    if (!baseSize_.isValid()) {
        baseSize_ = size();
        baseFont_ = font();
    }
    dpi_ = dpi;
    GetPaintManager().SetDPI(dpi);
    resize(baseSize_ * dpi / 96);
    QFont scaled = baseFont_;
    scaled.setPointSizeF(baseFont_.pointSizeF() * dpi / 96.0);
    setFont(scaled);
}

int ShowMessageBox(QWidget* owner, const QString& skinFolder, const QString& title, const QString& text, int dpi,
                   bool textIsResourceId, int buttons) {
    MsgWnd box(owner);
    QString error;
    if (!box.Create(skinFolder, QStringLiteral("MsgWnd.ui"), &error)) {
        DebugLine("message box: " + error.toStdString());
        return 0;
    }
    dui::PaintManager& pm = box.GetPaintManager();
    if (auto* label = pm.Find<QLabel>(QStringLiteral("MessageTitle")); label && !title.isEmpty()) {
        label->setText(title);
    }
    if (auto* label = pm.Find<QLabel>(QStringLiteral("MessageText")); label && !text.isEmpty()) {
        if (textIsResourceId) {
            dui::LanguageResources::Instance().SetTextKey(label, text);
        } else {
            label->setProperty("textKey", QVariant());
            label->setText(text);
        }
    }
    box.SetDPI(dpi);
    QWidget* confirm = pm.FindControl(QStringLiteral("confirm_btn"));
    QWidget* cancel = pm.FindControl(QStringLiteral("cancel_btn"));
    if (buttons == 0 || buttons == 1) {
        if (confirm) confirm->setVisible(true);
        if (cancel) cancel->setVisible(buttons == 1);
    }
    box.CenterWindow();
    return box.ShowModal();
}

}  // namespace ivra::shell
