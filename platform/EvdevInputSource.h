// Key and mouse button events from the kernel's input devices
// (/dev/input/event*), where the user may read them (usually members of the
// "input" group). Sees the whole desktop, under X11, Wayland or a console.
// It only reads: the devices are never grabbed, so every program still gets
// its keys.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "models/keys/InputSource.h"

namespace ivra {

class EvdevInputSource final : public IInputSource {
public:
    // Reads the given device nodes; with none, every readable event node in
    // /dev/input that reports keys or mouse buttons.
    explicit EvdevInputSource(std::vector<std::string> nodes = {});
    ~EvdevInputSource() override;
    EvdevInputSource(const EvdevInputSource&) = delete;
    EvdevInputSource& operator=(const EvdevInputSource&) = delete;

    std::string Name() const override { return "evdev"; }
    std::string Unavailable() const override;
    bool Global() const override { return true; }
    // The sink runs on the source's reader thread; it must not call Stop.
    bool Start(Sink sink) override;
    void Stop() override;

    // The input event (type, code, value) as the kernel reports it, turned
    // into what capture and recording see; false for anything else (moves,
    // synchronisation, keys of no interest). Value 2, the kernel's
    // auto-repeat, counts as another press.
    static bool Translate(uint16_t type, uint16_t code, int32_t value, InputEvent& out);

private:
    // The nodes to read: the given ones, or the readable key devices.
    std::vector<std::string> Nodes(std::string* why) const;
    void Run(std::vector<int> descriptors);

    std::vector<std::string> givenNodes_;
    std::mutex sinkMutex_;
    Sink sink_;
    int stopEvent_ = -1;
    std::thread reader_;
    std::atomic<bool> running_{false};
};

}  // namespace ivra
