#include "shell/AboutWnd.h"

#include <QLabel>

#include "shell/WindowMessages.h"
#include "dui/LanguageResources.h"

namespace ivra::shell {

AboutWnd::AboutWnd(QWidget* owner) : WindowImplBase(owner) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("  "));
    resize(800, 572);
}

void AboutWnd::InitWindow() {
    FollowZoomState();
}

void AboutWnd::SetVersionText(const QString& versionLabel) {
    dui::PaintManager& pm = GetPaintManager();
    auto* probe = pm.Find<QLabel>(QStringLiteral("text_test"));
    auto* version = pm.Find<QLabel>(QStringLiteral("software_ver_label"));
    if (probe == nullptr || version == nullptr) return;
    // The hidden label fetches the text in the current language.
    dui::LanguageResources::Instance().SetTextKey(probe, QStringLiteral("software_rev_text"));
    version->setText(probe->text() + versionLabel);
}

void AboutWnd::Notify(dui::TNotifyUI& msg) {
    if (msg.sType == QLatin1String("timer")) {
        GetPaintManager().KillTimer(msg.pSender, static_cast<int>(msg.wParam));
        return;
    }
    if (msg.sType != QLatin1String("click")) return;
    const QString name = dui::ControlName(msg.pSender).toLower();
    if (name == QLatin1String("closebtn")) {
        Close(0);
        return;
    }
    if (name == QLatin1String("minbtn")) {
        showMinimized();
    } else if (name == QLatin1String("maxbtn")) {
        showMaximized();
    } else if (name == QLatin1String("restorebtn")) {
        showNormal();
    }
    FollowZoomState();  // "menubtn" and "homepage_btn" do nothing else
}

bool AboutWnd::HandleMessage(uint message, quintptr, qintptr) {
    if (message != message::kLanguageChanged) return false;
    dui::LanguageResources::Instance().ReloadText(this);
    update();
    return true;
}

void AboutWnd::FollowZoomState() {
    const bool maximised = isMaximized();
    if (QWidget* max = GetPaintManager().FindControl(QStringLiteral("maxbtn"))) max->setVisible(!maximised);
    if (QWidget* restore = GetPaintManager().FindControl(QStringLiteral("restorebtn"))) restore->setVisible(maximised);
}

}  // namespace ivra::shell
