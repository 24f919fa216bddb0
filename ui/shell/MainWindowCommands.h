// What other programs may ask of the running program (through the D-Bus
// service), carried out by the main window.
#pragma once

#include "dbus/ManagerCommands.h"

namespace ivra::shell {

class MainWnd;

class MainWindowCommands final : public dbus::IManagerCommands {
public:
    explicit MainWindowCommands(MainWnd& window) : window_(window) {}

    void SetLightControl(bool on) override;
    void ReapplyLightControl() override;
    bool LightControl() const override;
    bool ProcessingEnabled() const override;
    void GameLightEvent(int32_t action, int32_t effect) override;
    void FeedSoundFrame(const dbus::SoundFrame& frame) override;
    void FeedScreenColour(const dbus::ScreenColour& colour) override;
    void ShowProgress() override;
    void OpenSettingsCentred() override;
    void RaiseWindow() override;

private:
    MainWnd& window_;
};

}  // namespace ivra::shell
