#include "SimScript.h"

#include <algorithm>
#include <optional>
#include <set>

#include <json/value.h>

#include "SimFirmwareMemory.h"
#include "SimHexText.h"

namespace ivra::sim {

namespace {

constexpr uint32_t kLongestScriptMs = 24u * 3600u * 1000u;

struct ActionName {
    SimScriptAction action;
    const char* name;
    const char* argument;  // the one further key the step takes, if any
};

constexpr ActionName kActions[] = {
    {SimScriptAction::Unplug, "unplug", nullptr},
    {SimScriptAction::Plug, "plug", nullptr},
    {SimScriptAction::Event, "event", "code"},
    {SimScriptAction::LinkDown, "linkDown", nullptr},
    {SimScriptAction::LinkUp, "linkUp", nullptr},
    {SimScriptAction::KeyPress, "keyPress", "key"},
    {SimScriptAction::KeyRelease, "keyRelease", "key"},
    {SimScriptAction::DeviceSettings, "deviceSettings", "hex"},
    {SimScriptAction::Slot, "slot", "slot"},
};

constexpr const char kActionList[] =
    "unplug, plug, event, linkDown, linkUp, keyPress, keyRelease, deviceSettings, slot";

// The further keys, and who may give them.
struct Argument {
    const char* key;
    const char* onlyWith;
};

constexpr Argument kArguments[] = {
    {"code", "only an event takes a code"},
    {"key", "only keyPress and keyRelease take a key"},
    {"hex", "only deviceSettings takes hex"},
    {"slot", "only a slot step takes a slot"},
};

std::optional<int64_t> IntegerIn(const Json::Value& value, int64_t min, int64_t max) {
    if (!value.isIntegral() || !value.isInt64() || value.asInt64() < min || value.asInt64() > max) {
        return std::nullopt;
    }
    return value.asInt64();
}

bool ParseStep(const Json::Value& item, const std::string& where, SimScriptStep& step, std::string& error) {
    const auto fail = [&](const std::string& key, const std::string& what) {
        error = "key \"" + where + (key.empty() ? "" : "." + key) + "\": " + what;
        return false;
    };
    if (!item.isObject()) return fail("", "must be an object");
    static const std::set<std::string> allowed = {"atMs", "do", "code", "key", "hex", "slot"};
    for (const std::string& name : item.getMemberNames()) {
        if (allowed.count(name) == 0) return fail(name, "unknown key");
    }
    const std::optional<int64_t> at = IntegerIn(item["atMs"], 0, kLongestScriptMs);
    if (!at) return fail("atMs", "must be an integer between 0 and " + std::to_string(kLongestScriptMs));
    step.atMs = static_cast<uint32_t>(*at);

    const Json::Value& action = item["do"];
    const std::string name = action.isString() ? action.asString() : std::string();
    const ActionName* found = nullptr;
    for (const ActionName& a : kActions) {
        if (name == a.name) found = &a;
    }
    if (found == nullptr) return fail("do", std::string("must be one of ") + kActionList);
    step.action = found->action;

    for (const Argument& argument : kArguments) {
        const bool takes = found->argument != nullptr && std::string(argument.key) == found->argument;
        if (!takes && item.isMember(argument.key)) return fail(argument.key, argument.onlyWith);
    }
    switch (step.action) {
        case SimScriptAction::Event: {
            const std::optional<int64_t> code = IntegerIn(item["code"], 1, 0xFFFF);
            if (!code) return fail("code", "must be an integer between 1 and 65535");
            step.code = static_cast<uint16_t>(*code);
            break;
        }
        case SimScriptAction::KeyPress:
        case SimScriptAction::KeyRelease: {
            const std::optional<int64_t> key = IntegerIn(item["key"], 0, 255);
            if (!key) return fail("key", "must be an integer between 0 and 255");
            step.key = static_cast<uint8_t>(*key);
            break;
        }
        case SimScriptAction::DeviceSettings: {
            const Json::Value& hex = item["hex"];
            if (!hex.isString()) return fail("hex", "must be a hex string");
            std::string why;
            if (!ParseHexBytes(hex.asString(), SimFirmwareMemory::kSettingsRecordSize, step.settings, why)) {
                return fail("hex", why);
            }
            break;
        }
        case SimScriptAction::Slot: {
            const std::optional<int64_t> slot = IntegerIn(item["slot"], 0, SimFirmwareMemory::kSettingsSlots - 1);
            if (!slot) {
                return fail("slot", "must be an integer between 0 and " +
                                        std::to_string(SimFirmwareMemory::kSettingsSlots - 1));
            }
            step.slot = static_cast<uint8_t>(*slot);
            break;
        }
        case SimScriptAction::Unplug:
        case SimScriptAction::Plug:
        case SimScriptAction::LinkDown:
        case SimScriptAction::LinkUp: break;
    }
    return true;
}

}  // namespace

bool ParseSimScript(const Json::Value& script, std::vector<SimScriptStep>& steps, std::string& error) {
    steps.clear();
    if (!script.isArray()) {
        error = "key \"script\": must be an array";
        return false;
    }
    std::vector<SimScriptStep> parsed;
    for (Json::ArrayIndex i = 0; i < script.size(); ++i) {
        SimScriptStep step;
        if (!ParseStep(script[i], "script[" + std::to_string(i) + "]", step, error)) return false;
        parsed.push_back(std::move(step));
    }
    std::stable_sort(parsed.begin(), parsed.end(),
                     [](const SimScriptStep& a, const SimScriptStep& b) { return a.atMs < b.atMs; });
    steps = std::move(parsed);
    return true;
}

const char* SimScriptActionName(SimScriptAction action) {
    for (const ActionName& a : kActions) {
        if (a.action == action) return a.name;
    }
    return "?";
}

}  // namespace ivra::sim
