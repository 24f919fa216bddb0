// A timed script of things that happen to a simulated device while a
// program runs: unplug, plug, an event, the receiver link going down or up,
// and what the user does on the keyboard (keys pressed and released, lights
// changed with the keyboard's own keys, another settings slot chosen).
// Given as the "script" key of a device file (sim/README.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Json {
class Value;
}

namespace ivra::sim {

enum class SimScriptAction {
    Unplug,
    Plug,
    Event,
    LinkDown,
    LinkUp,
    KeyPress,
    KeyRelease,
    DeviceSettings,
    Slot,
};

struct SimScriptStep {
    uint32_t atMs = 0;  // from the start of the run
    SimScriptAction action = SimScriptAction::Event;
    uint16_t code = 0;              // for Event
    uint8_t key = 0;                // for KeyPress and KeyRelease: the keyboard's key index
    std::vector<uint8_t> settings;  // for DeviceSettings: the settings record
    uint8_t slot = 0;               // for Slot
};

// Parses the "script" array (steps are sorted by time, stable). On failure
// `error` names the step and the key.
bool ParseSimScript(const Json::Value& script, std::vector<SimScriptStep>& steps, std::string& error);

const char* SimScriptActionName(SimScriptAction action);

}  // namespace ivra::sim
