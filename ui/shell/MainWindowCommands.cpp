#include "shell/MainWindowCommands.h"

#include "base/DebugOutput.h"
#include "shell/MainWnd.h"
#include "shell/WindowMessages.h"

namespace ivra::shell {

void MainWindowCommands::SetLightControl(bool on) {
    window_.SendMessage(message::kLightControlSet, 1, on ? 1 : 0);
}

void MainWindowCommands::ReapplyLightControl() {
    window_.SendMessage(message::kLightControlSet, 1, 2);
}

bool MainWindowCommands::LightControl() const {
    return window_.LightControl();
}

bool MainWindowCommands::ProcessingEnabled() const {
    return MainWnd::ProcessingEnabled();
}

// Game events and companion data drive the lighting, which takes them once
// the effect engine is in; until then they are only logged.
void MainWindowCommands::GameLightEvent(int32_t action, int32_t effect) {
    DebugLine("game light event " + std::to_string(action) + " " + std::to_string(effect));
}

void MainWindowCommands::FeedSoundFrame(const dbus::SoundFrame&) {}

void MainWindowCommands::FeedScreenColour(const dbus::ScreenColour&) {}

void MainWindowCommands::ShowProgress() {
    window_.SendMessage(message::kShowProgress, 0, 0);
}

void MainWindowCommands::OpenSettingsCentred() {
    window_.SendMessage(message::kOpenSettingsCentred, 0, 0);
}

void MainWindowCommands::RaiseWindow() {
    window_.RaiseWindow();
}

}  // namespace ivra::shell
