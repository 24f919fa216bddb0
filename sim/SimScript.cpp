#include "sim/SimScript.h"

#include <algorithm>
#include <set>

#include <json/value.h>

namespace ivra::sim {

namespace {

constexpr uint32_t kLongestScriptMs = 24u * 3600u * 1000u;

bool ParseStep(const Json::Value& item, const std::string& where, SimScriptStep& step,
               std::string& error) {
    if (!item.isObject()) {
        error = "key \"" + where + "\": must be an object";
        return false;
    }
    static const std::set<std::string> allowed = {"atMs", "do", "code"};
    for (const std::string& name : item.getMemberNames()) {
        if (allowed.count(name) == 0) {
            error = "key \"" + where + "." + name + "\": unknown key";
            return false;
        }
    }
    const Json::Value& at = item["atMs"];
    if (!at.isIntegral() || !at.isInt64() || at.asInt64() < 0 || at.asInt64() > kLongestScriptMs) {
        error = "key \"" + where + ".atMs\": must be an integer between 0 and " +
                std::to_string(kLongestScriptMs);
        return false;
    }
    step.atMs = static_cast<uint32_t>(at.asInt64());
    const Json::Value& action = item["do"];
    const std::string name = action.isString() ? action.asString() : std::string();
    if (name == "unplug") step.action = SimScriptAction::Unplug;
    else if (name == "plug") step.action = SimScriptAction::Plug;
    else if (name == "event") step.action = SimScriptAction::Event;
    else if (name == "linkDown") step.action = SimScriptAction::LinkDown;
    else if (name == "linkUp") step.action = SimScriptAction::LinkUp;
    else {
        error = "key \"" + where + ".do\": must be one of unplug, plug, event, linkDown, linkUp";
        return false;
    }
    if (step.action == SimScriptAction::Event) {
        const Json::Value& code = item["code"];
        if (!code.isIntegral() || !code.isInt64() || code.asInt64() < 1 || code.asInt64() > 0xFFFF) {
            error = "key \"" + where + ".code\": must be an integer between 1 and 65535";
            return false;
        }
        step.code = static_cast<uint16_t>(code.asInt64());
    } else if (item.isMember("code")) {
        error = "key \"" + where + ".code\": only an event takes a code";
        return false;
    }
    return true;
}

}  // namespace

bool ParseSimScript(const Json::Value& script, std::vector<SimScriptStep>& steps,
                    std::string& error) {
    steps.clear();
    if (!script.isArray()) {
        error = "key \"script\": must be an array";
        return false;
    }
    std::vector<SimScriptStep> parsed;
    for (Json::ArrayIndex i = 0; i < script.size(); ++i) {
        SimScriptStep step;
        if (!ParseStep(script[i], "script[" + std::to_string(i) + "]", step, error)) return false;
        parsed.push_back(step);
    }
    std::stable_sort(parsed.begin(), parsed.end(),
                     [](const SimScriptStep& a, const SimScriptStep& b) { return a.atMs < b.atMs; });
    steps = std::move(parsed);
    return true;
}

const char* SimScriptActionName(SimScriptAction action) {
    switch (action) {
        case SimScriptAction::Unplug: return "unplug";
        case SimScriptAction::Plug: return "plug";
        case SimScriptAction::Event: return "event";
        case SimScriptAction::LinkDown: return "linkDown";
        case SimScriptAction::LinkUp: return "linkUp";
    }
    return "?";
}

}  // namespace ivra::sim
