// A connection to the first keyboard, made the way the program makes it:
// discovery by the scan thread, the selector entry's timers on an owner
// loop, synchronisation by the keyboard object itself, with the profile
// that is selected in the keyboard's profile store. The verbs then run the
// keyboard object's operations on the owner thread, as the window does.
//
// With --kind the keyboard is one of that kind; without it, any keyboard.
// A kind that is no keyboard, no such keyboard present, or a keyboard the
// user may not open ends the connection at once, with the reason.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "CommandContext.h"
#include "services/DeviceService.h"
#include "services/DeviceModelObserver.h"
#include "base/UiLoop.h"
#include "drivers/keyboard/KestrelKeyboardDevice.h"

namespace ivra::cli {

class KeyboardSession final : public IDeviceModelObserver {
public:
    explicit KeyboardSession(CommandContext& context);
    ~KeyboardSession() override;
    KeyboardSession(const KeyboardSession&) = delete;
    KeyboardSession& operator=(const KeyboardSession&) = delete;

    // Waits (at most `timeoutMs`) until a keyboard has arrived and been
    // synchronised. False with the reason in `error`.
    bool Connect(std::string& error, uint32_t timeoutMs = 5000);

    KestrelKeyboardDevice& Keyboard() { return *keyboard_; }
    // The service the connection was made through (after Connect).
    DeviceService& Devices() { return *service_; }
    // Runs `task` on the owner thread and waits for it.
    void OnOwner(const std::function<void()>& task);
    // The keyboard's data folder (profiles, macros).
    const std::filesystem::path& DataFolder() const { return dataFolder_; }

    void OnSynchronised(const SelectorEntry& entry) override;
    void OnAccessDenied(const DeviceSlot& candidate) override;

private:
    // Whether a keyboard of kind `kindName` is one this session may take.
    bool Wanted(const std::string& kindName) const;
    // The keyboard kinds of the present HID collections this session may
    // take; false with the reason when the devices cannot be listed.
    bool PresentKinds(IHidBackend& backend, std::set<std::string>& kinds, std::string& error) const;

    CommandContext& context_;
    UiLoop loop_;
    std::unique_ptr<DeviceService> service_;
    std::jthread loopThread_;
    std::filesystem::path dataFolder_;
    std::mutex mutex_;
    std::condition_variable synced_;
    KestrelKeyboardDevice* keyboard_ = nullptr;
    std::string denied_;  // why a wanted keyboard cannot be opened
};

}  // namespace ivra::cli
