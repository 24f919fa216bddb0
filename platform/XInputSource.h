// Key and mouse button events from the whole X11 desktop, through the X
// Input extension's raw events on a connection of its own. Raw events are
// copies: every program still gets its keys and clicks. Only in real X11
// sessions: under Wayland (Xwayland included) the desktop hands no program
// the input of other windows, and this source says so.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "models/keys/InputSource.h"

namespace ivra {

class XInputSource final : public IInputSource {
public:
    // `display` as in $DISPLAY; empty takes $DISPLAY.
    explicit XInputSource(std::string display = {});
    ~XInputSource() override;
    XInputSource(const XInputSource&) = delete;
    XInputSource& operator=(const XInputSource&) = delete;

    std::string Name() const override { return "X11"; }
    std::string Unavailable() const override;
    bool Global() const override { return true; }
    // The sink runs on the source's reader thread; it must not call Stop.
    bool Start(Sink sink) override;
    void Stop() override;

    // A raw X event (key press or release with its X keycode, button press
    // or release with its button number) as capture and recording see it;
    // nothing for wheel steps and buttons beyond forward.
    static std::optional<InputEvent> TranslateKey(uint32_t xKeycode, bool down);
    static std::optional<InputEvent> TranslateButton(uint32_t button, bool down);

private:
    // Why the session cannot give global input, from its environment; empty
    // when it may.
    std::string SessionRefusal() const;
    void Run();

    std::string display_;
    std::mutex sinkMutex_;
    Sink sink_;
    struct Connection;
    // Opens the display and checks that the X Input extension speaks 2.0 or
    // later; null with the reason otherwise.
    static std::unique_ptr<Connection> OpenDisplay(const std::string& display, std::string& why);

    Connection* connection_ = nullptr;
    int stopEvent_ = -1;
    std::thread reader_;
    std::atomic<bool> running_{false};
};

}  // namespace ivra
