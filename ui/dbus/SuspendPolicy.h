// What the program still handles while processing is off, that is between
// SleepWatcher's Suspending and Resumed signals. Only the input hook and the
// game light messages are dropped. Device arrivals, removals and receiver
// link changes go on being handled: dropping them would leave a device that
// is plugged in meanwhile bound to its slot without a page until it is
// plugged in again.
#pragma once

namespace ivra::dbus {

enum class ManagerInput {
    InputHook,
    GameEvent,
    DeviceArrival,
    DeviceRemoval,
    LinkState,
    LightControl,
    CompanionData,
    ProgressIndicator,
    OpenSettings,
    Raise,
};

constexpr bool HandledWhileSuspended(ManagerInput input) {
    return input != ManagerInput::InputHook && input != ManagerInput::GameEvent;
}

}  // namespace ivra::dbus
