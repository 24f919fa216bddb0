// The about window: the software version.
#pragma once

#include "dui/WindowImplBase.h"

namespace ivra::shell {

class AboutWnd final : public dui::WindowImplBase {
    Q_OBJECT
public:
    explicit AboutWnd(QWidget* owner = nullptr);
    QString GetWindowClassName() const override { return QStringLiteral("AboutWnd"); }
    void InitWindow() override;
    void Notify(dui::TNotifyUI& msg) override;
    bool HandleMessage(uint message, quintptr wParam, qintptr lParam) override;

    // "software_rev_text" in the current language followed by the version label.
    void SetVersionText(const QString& versionLabel);

private:
    void FollowZoomState();
};

}  // namespace ivra::shell
