#include "SimDeviceFile.h"

#include <json/json.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include "base/JsonHelpers.h"
#include "SimCommandFirmware.h"
#include "SimDevice.h"
#include "SimFaultScript.h"
#include "SimHexText.h"
#include "SimKeyboardLayout.h"

namespace ivra::sim {

namespace {

// Collects the first problem found; every check returns false once one is.
class Checker {
public:
    bool Fail(const std::string& key, const std::string& what) {
        if (message_.empty()) message_ = "key \"" + key + "\": " + what;
        return false;
    }
    const std::string& Message() const { return message_; }

    bool OnlyKeys(const Json::Value& object, const std::string& where, const std::set<std::string>& allowed) {
        for (const std::string& name : object.getMemberNames()) {
            if (allowed.count(name) == 0) {
                return Fail(where.empty() ? name : where + "." + name, "unknown key");
            }
        }
        return true;
    }

    bool Integer(const Json::Value& value, const std::string& key, int64_t min, int64_t max, int64_t& out) {
        if (!value.isIntegral()) return Fail(key, "must be an integer");
        if (!value.isInt64() || value.asInt64() < min || value.asInt64() > max) {
            return Fail(key, "must be between " + std::to_string(min) + " and " + std::to_string(max));
        }
        out = value.asInt64();
        return true;
    }

    bool Bool(const Json::Value& value, const std::string& key, bool& out) {
        if (!value.isBool()) return Fail(key, "must be true or false");
        out = value.asBool();
        return true;
    }

    // Hex digits, two per byte; spaces between bytes are allowed.
    bool Hex(const Json::Value& value, const std::string& key, size_t maxBytes, std::vector<uint8_t>& out) {
        if (!value.isString()) return Fail(key, "must be a hex string");
        std::string why;
        if (!ParseHexBytes(value.asString(), maxBytes, out, why)) return Fail(key, why);
        return true;
    }

private:
    std::string message_;
};

template <typename Area>
void Place(Area& area, size_t offset, const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), area.begin() + static_cast<std::ptrdiff_t>(offset));
}

bool ReadDataPart(Checker& check, const Json::Value& part, const std::string& key, SimFirmwareMemory& memory) {
    using M = SimFirmwareMemory;
    if (!part.isObject()) return check.Fail(key, "must be an object with offset and hex");
    if (!check.OnlyKeys(part, key, {"offset", "hex"})) return false;
    int64_t offset = 0;
    if (part.isMember("offset") && !check.Integer(part["offset"], key + ".offset", 0, M::kDataSize - 1, offset)) {
        return false;
    }
    if (!part.isMember("hex")) return check.Fail(key + ".hex", "missing");
    std::vector<uint8_t> bytes;
    if (!check.Hex(part["hex"], key + ".hex", M::kDataSize, bytes)) return false;
    if (static_cast<size_t>(offset) + bytes.size() > M::kDataSize) {
        return check.Fail(key, "offset " + std::to_string(offset) + " + " + std::to_string(bytes.size()) +
                                   " bytes run past " + std::to_string(M::kDataSize));
    }
    Place(memory.data, static_cast<size_t>(offset), bytes);
    return true;
}

bool ReadFault(Checker& check, const Json::Value& item, const std::string& key, SimFault& fault) {
    if (!item.isObject()) return check.Fail(key, "must be an object");
    if (!check.OnlyKeys(item, key, {"command", "occurrence", "kind", "status"})) return false;
    int64_t number = 0;
    if (!item.isMember("command")) return check.Fail(key + ".command", "missing");
    if (!check.Integer(item["command"], key + ".command", 0, 255, number)) return false;
    fault.command = static_cast<uint8_t>(number);
    if (item.isMember("occurrence")) {
        if (!check.Integer(item["occurrence"], key + ".occurrence", 0, UINT32_MAX, number)) {
            return false;
        }
        fault.occurrence = static_cast<uint32_t>(number);
    }
    if (!item.isMember("kind")) return check.Fail(key + ".kind", "missing");
    const Json::Value& kind = item["kind"];
    const std::optional<SimFaultKind> parsed = kind.isString() ? SimFaultKindFromName(kind.asString()) : std::nullopt;
    if (!parsed) {
        return check.Fail(key + ".kind", "must be one of noAnswer, staleEcho, status, receiverAnswer, "
                                         "unplugDuringRead");
    }
    fault.kind = *parsed;
    if (item.isMember("status")) {
        if (fault.kind != SimFaultKind::Status) {
            return check.Fail(key + ".status", "only allowed with kind \"status\"");
        }
        if (!check.Integer(item["status"], key + ".status", 1, 255, number)) return false;
        fault.status = static_cast<uint8_t>(number);
    }
    return true;
}

bool ReadSettings(Checker& check, const Json::Value& settings, SimFirmwareMemory& memory) {
    using M = SimFirmwareMemory;
    if (!settings.isObject()) return check.Fail("settings", "must be an object");
    if (!check.OnlyKeys(settings, "settings", {"activeSlot", "slots"})) return false;
    if (settings.isMember("slots")) {
        const Json::Value& slots = settings["slots"];
        if (!slots.isArray()) return check.Fail("settings.slots", "must be an array");
        if (slots.size() > M::kSettingsSlots) {
            return check.Fail("settings.slots", std::to_string(slots.size()) + " records, at most " +
                                                    std::to_string(M::kSettingsSlots) + " slots");
        }
        for (Json::ArrayIndex i = 0; i < slots.size(); ++i) {
            std::vector<uint8_t> record;
            if (!check.Hex(slots[i], "settings.slots[" + std::to_string(i) + "]", M::kSettingsRecordSize, record)) {
                return false;
            }
            memory.StoreSettingsRecord(i, record);
        }
    }
    if (settings.isMember("activeSlot")) {
        int64_t slot = 0;
        if (!check.Integer(settings["activeSlot"], "settings.activeSlot", 0, M::kSettingsSlots - 1, slot)) {
            return false;
        }
        memory.data[0] = static_cast<uint8_t>(slot);
    }
    return true;
}

// The keys that size and lay out the keyboard: "keyCount", "macroMemory",
// "lightGroups", then "keyTable" and "ledMap" over the layout.
bool ReadKeyboardShape(Checker& check, const Json::Value& root, SimFirmwareMemory& memory) {
    using M = SimFirmwareMemory;
    int64_t number = 0;
    if (root.isMember("keyCount")) {
        if (!check.Integer(root["keyCount"], "keyCount", 0, M::kMaxKeys, number)) return false;
        LayOutSimKeyboard(memory, static_cast<size_t>(number));
    }
    if (root.isMember("macroMemory")) {
        if (!check.Integer(root["macroMemory"], "macroMemory", 0, 255, number)) return false;
        memory.infoBlock[M::kMacroUnitsByte] = static_cast<uint8_t>(number);
    }
    if (root.isMember("lightGroups")) {
        if (!check.Integer(root["lightGroups"], "lightGroups", 0, M::kMaxLightGroups, number)) {
            return false;
        }
        memory.SetLightGroups(static_cast<size_t>(number));
    }
    std::vector<uint8_t> bytes;
    if (root.isMember("keyTable")) {
        if (!check.Hex(root["keyTable"], "keyTable", memory.KeyTableSize(), bytes)) return false;
        Place(memory.keyTable, 0, bytes);
    }
    if (root.isMember("ledMap")) {
        if (!check.Hex(root["ledMap"], "ledMap", M::kLedMapCapacity, bytes)) return false;
        if (bytes.size() != memory.KeyCount()) {
            return check.Fail("ledMap", std::to_string(bytes.size()) + " bytes for " +
                                            std::to_string(memory.KeyCount()) + " keys: one byte per key");
        }
        Place(memory.ledMap, 0, bytes);
    }
    return true;
}

struct Pending {
    SimFirmwareMemory memory;
    std::vector<SimFault> faults;
    std::optional<uint16_t> versionNumber;
    std::optional<uint16_t> productId;
    std::optional<bool> permissionDenied;
    std::optional<std::vector<SimScriptStep>> script;
};

bool ReadDocument(Checker& check, const Json::Value& root, Pending& out) {
    using M = SimFirmwareMemory;
    if (!root.isObject()) return check.Fail("(top level)", "must be an object");
    if (!check.OnlyKeys(root, "",
                        {"infoBlock", "keyCount", "macroMemory", "lightGroups", "keyTable", "ledMap", "data",
                         "settings", "power", "versionNumber", "productId", "permissionDenied", "receiverLinked",
                         "faults", "script"})) {
        return false;
    }
    std::vector<uint8_t> bytes;
    if (root.isMember("infoBlock")) {
        if (!check.Hex(root["infoBlock"], "infoBlock", M::kInfoBlockSize, bytes)) return false;
        Place(out.memory.infoBlock, 0, bytes);
    }
    if (!ReadKeyboardShape(check, root, out.memory)) return false;
    if (root.isMember("power")) {
        if (!check.Hex(root["power"], "power", M::kPowerRecordSize, bytes)) return false;
        if (bytes.size() != M::kPowerRecordSize) {
            return check.Fail("power", "must be exactly 6 bytes");
        }
        Place(out.memory.power, 0, bytes);
    }
    if (root.isMember("data")) {
        const Json::Value& data = root["data"];
        if (data.isArray()) {
            for (Json::ArrayIndex i = 0; i < data.size(); ++i) {
                if (!ReadDataPart(check, data[i], "data[" + std::to_string(i) + "]", out.memory)) {
                    return false;
                }
            }
        } else if (!ReadDataPart(check, data, "data", out.memory)) {
            return false;
        }
    }
    if (root.isMember("settings") && !ReadSettings(check, root["settings"], out.memory)) {
        return false;
    }
    int64_t number = 0;
    if (root.isMember("versionNumber")) {
        if (!check.Integer(root["versionNumber"], "versionNumber", 0, 0xFFFF, number)) {
            return false;
        }
        out.versionNumber = static_cast<uint16_t>(number);
    }
    if (root.isMember("productId")) {
        if (!check.Integer(root["productId"], "productId", 0, 0xFFFF, number)) return false;
        out.productId = static_cast<uint16_t>(number);
    }
    bool flag = false;
    if (root.isMember("permissionDenied")) {
        if (!check.Bool(root["permissionDenied"], "permissionDenied", flag)) return false;
        out.permissionDenied = flag;
    }
    if (root.isMember("receiverLinked")) {
        if (!check.Bool(root["receiverLinked"], "receiverLinked", flag)) return false;
        out.memory.receiverLinked = flag;
    }
    if (root.isMember("script")) {
        std::vector<SimScriptStep> steps;
        std::string why;
        if (!ParseSimScript(root["script"], steps, why)) {
            // The parser names the step's key as `key "script[2].do": ...`.
            const size_t open = why.find('"');
            const size_t close = why.find('"', open + 1);
            if (open == std::string::npos || close == std::string::npos) {
                return check.Fail("script", why);
            }
            const size_t text = std::min(why.size(), close + 3);
            return check.Fail(why.substr(open + 1, close - open - 1), why.substr(text));
        }
        out.script = std::move(steps);
    }
    if (root.isMember("faults")) {
        const Json::Value& faults = root["faults"];
        if (!faults.isArray()) return check.Fail("faults", "must be an array");
        for (Json::ArrayIndex i = 0; i < faults.size(); ++i) {
            SimFault fault;
            if (!ReadFault(check, faults[i], "faults[" + std::to_string(i) + "]", fault)) {
                return false;
            }
            out.faults.push_back(fault);
        }
    }
    return true;
}

}  // namespace

bool ApplySimDeviceJson(const Json::Value& root, SimDevice& device, SimCommandFirmware& firmware, std::string& error) {
    Checker check;
    Pending pending;
    // The memory starts from what the device holds, so a file may set only
    // some of it.
    pending.memory = firmware.Memory();
    try {
        if (!ReadDocument(check, root, pending)) {
            error = check.Message();
            return false;
        }
    } catch (const Json::Exception& e) {
        error = std::string("malformed document: ") + e.what();
        return false;
    }
    firmware.SetMemory(pending.memory);
    for (const SimFault& fault : pending.faults) firmware.Faults().Add(fault);
    if (pending.versionNumber) device.SetVersionNumber(*pending.versionNumber);
    if (pending.productId) device.SetProductId(*pending.productId);
    if (pending.permissionDenied) device.SetPermissionDenied(*pending.permissionDenied);
    if (pending.script) device.SetScript(std::move(*pending.script));
    error.clear();
    return true;
}

bool LoadSimDeviceText(const std::string& text, SimDevice& device, SimCommandFirmware& firmware, std::string& error) {
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    Json::Value root;
    std::string parseErrors;
    try {
        std::istringstream stream(text);
        if (!Json::parseFromStream(builder, stream, &root, &parseErrors)) {
            while (!parseErrors.empty() && (parseErrors.back() == '\n')) parseErrors.pop_back();
            error = "not valid JSON: " + parseErrors;
            return false;
        }
    } catch (const Json::Exception& e) {
        error = std::string("not valid JSON: ") + e.what();
        return false;
    }
    return ApplySimDeviceJson(root, device, firmware, error);
}

bool LoadSimDeviceFile(const std::string& path, SimDevice& device, SimCommandFirmware& firmware, std::string& error) {
    // Checked like every file the program reads: a FIFO would block the
    // start and a huge file would be read whole.
    std::string text;
    std::string why;
    bool missing = false;
    if (!ReadRegularFileText(path, kMaxSimDeviceFileBytes, text, why, &missing)) {
        error = path + (missing ? ": cannot be opened" : ": cannot be read: " + why);
        return false;
    }
    if (!LoadSimDeviceText(text, device, firmware, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace ivra::sim
