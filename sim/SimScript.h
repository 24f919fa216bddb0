// A timed script of things that happen to a simulated device while a
// program runs: unplug, plug, an event, the receiver link going down or up.
// Given as the "script" key of a device file (sim/README.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Json {
class Value;
}

namespace ivra::sim {

enum class SimScriptAction { Unplug, Plug, Event, LinkDown, LinkUp };

struct SimScriptStep {
    uint32_t atMs = 0;  // from the start of the run
    SimScriptAction action = SimScriptAction::Event;
    uint16_t code = 0;  // for Event
};

// Parses the "script" array (steps are sorted by time, stable). On failure
// `error` names the step and the key.
bool ParseSimScript(const Json::Value& script, std::vector<SimScriptStep>& steps,
                    std::string& error);

const char* SimScriptActionName(SimScriptAction action);

}  // namespace ivra::sim
