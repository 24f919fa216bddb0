// What the D-Bus service asks of the rest of the program. The main window
// implements it; every call comes on the thread the service lives on (the
// user interface thread).
#pragma once

#include <cstdint>

#include "dbus/CompanionData.h"

namespace ivra::dbus {

class IManagerCommands {
public:
    virtual ~IManagerCommands() = default;

    // Light control: true while the program drives the device lights.
    // SetLightControl sets the state and applies it to the devices;
    // ReapplyLightControl applies the current state again.
    virtual void SetLightControl(bool on) = 0;
    virtual void ReapplyLightControl() = 0;
    virtual bool LightControl() const = 0;

    // False while the system suspends or sleeps: game events are then
    // dropped by the service (see SuspendPolicy.h).
    virtual bool ProcessingEnabled() const = 0;
    // A game light event: "Game_Start", "Game_End", "Game_Kill" and
    // "Game_Death" all come here alike.
    virtual void GameLightEvent(int32_t action, int32_t effect) = 0;

    // Companion data, already checked for size.
    virtual void FeedSoundFrame(const SoundFrame& frame) = 0;
    virtual void FeedScreenColour(const ScreenColour& colour) = 0;

    virtual void ShowProgress() = 0;
    // The settings window, centred; nothing when one is already open.
    virtual void OpenSettingsCentred() = 0;
    // Restore and raise the main window (the instance message).
    virtual void RaiseWindow() = 0;
};

}  // namespace ivra::dbus
