// An input source for tests: the test hands it events and they reach the
// sink at once, on the test's thread, as a real source would deliver them.
#pragma once

#include <string>
#include <utility>

#include "models/keys/InputSource.h"

namespace ivra::sim {

class ScriptedInputSource final : public IInputSource {
public:
    std::string Name() const override { return "script"; }
    std::string Unavailable() const override { return unavailable_; }
    bool Global() const override { return true; }
    bool Start(Sink sink) override {
        if (!unavailable_.empty()) return false;
        sink_ = std::move(sink);
        return true;
    }
    void Stop() override { sink_ = nullptr; }

    bool Running() const { return static_cast<bool>(sink_); }
    // Makes the source refuse to start, saying `why`.
    void SetUnavailable(std::string why) { unavailable_ = std::move(why); }
    // Delivers one event; false when the source is not running.
    bool Emit(const InputEvent& event) {
        if (!sink_) return false;
        sink_(event);
        return true;
    }
    bool Press(int linuxKeyCode) { return Emit(InputEvent::Key(linuxKeyCode, true)); }
    bool Release(int linuxKeyCode) { return Emit(InputEvent::Key(linuxKeyCode, false)); }

private:
    Sink sink_;
    std::string unavailable_;
};

}  // namespace ivra::sim
