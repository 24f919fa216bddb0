// The verbs that work on a connected keyboard: device sync and readback,
// light show/set, key show/set/default, macro write, settings show/set.
// Each connects the way the program does (KeyboardSession) and then runs
// the keyboard object's own operations on the owner thread.
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <json/writer.h>

#include "CommandContext.h"
#include "KeyboardCommands.h"
#include "KeyboardSession.h"
#include "transport/DeviceTransport.h"
#include "models/keys/Assignment.h"
#include "models/keys/AssignmentFromName.h"
#include "models/keys/AssignmentName.h"
#include "models/keys/MacroList.h"
#include "models/keys/EnglishKeyNames.h"
#include "models/lighting/LightRecordLayout.h"
#include "VerbTable.h"

namespace ivra::cli {

namespace {

int ShowOrSetLight(CommandContext& context, const std::vector<std::string>& args);
int RunPreviewVerb(CommandContext& context, const std::vector<std::string>& args);
int RunStreamVerb(CommandContext& context, const std::vector<std::string>& args);
int ShowOrSetSettings(CommandContext& context, const std::vector<std::string>& args);

constexpr VerbOption kLightSetOptions[] = {
    {"--effect N", "effect index (see \"light show\" for the list)"},
    {"--brightness N", "0..4"},
    {"--speed N", "0..4 (4 fastest)"},
    {"--direction N", "1 = first direction, 0 = second"},
    {"--multicolour N", "1 = colours from the hue wheel, 0 = the fixed colour"},
    {"--colour RRGGBB", "the fixed colour"},
    {"--preset N", "colour preset 0..3"},
    {"--group N", "custom colour group 0..127"},
};

constexpr VerbOption kAudioOptions[] = {
    {"--mode N", "music light mode 0..6"},
    {"--background RRGGBB", "the background colour"},
    {"--foreground RRGGBB", "the foreground colour"},
    {"--multicolour 0|1", "1 = the seven colours instead of the foreground"},
};

constexpr Verb kLightVerbList[] = {
    {"show", "", "the keyboard's light record (from its profile)", ShowOrSetLight},
    {"set", "OPTIONS", "change it, save the profile and write the keyboard:", ShowOrSetLight, kLightSetOptions},
    {"preview", "[--frames N] [--effect N]",
     "\nprint the colour buffer step by step as the effect\n"
     "engine computes it",
     RunPreviewVerb},
    {"paint", "--keys POS[,POS...] (--colour RRGGBB | --off)",
     "\ncustom effect: paint the keys (or turn them off) in the\n"
     "group in use, save it and send it to the keyboard",
     RunLightPaint},
    {"group", "show|save|upload N",
     "\na stored custom group's colours per position; the keys'\n"
     "colours saved as group N; group N sent to the keyboard",
     RunLightGroup},
    {"audio", "show | set OPTIONS", "\nthe music light record; set changes it and saves it:", RunLightAudio,
     kAudioOptions},
    {"stream", "[--effect N] [--for-ms N]",
     "\nstream the effect to the keyboard and print the frames\n"
     "sent and dropped per second",
     RunStreamVerb},
};

constexpr VerbTable kLightVerbs{
    .noun = "light",
    .head = "Usage: ivractl [--simulate keyboard] light VERB [options]\n\n",
    .descriptionColumn = 22,
    .verbs = kLightVerbList,
};

constexpr VerbOption kSettingsSetOptions[] = {
    {"--repeat N", "repeat rate (profile only)"},
    {"--delay N", "repeat delay 0..3 = 250..1000 ms (profile only)"},
    {"--winlock 0|1", "Windows-key lock"},
    {"--wflag 0|1", "W switch"},
    {"--key6 0|1", "6-key switch"},
    {"--rate N", "report rate choice 0..3"},
};

constexpr Verb kSettingsVerbList[] = {
    {"show", "", "the keyboard's system settings (from its profile)", ShowOrSetSettings},
    {"set", "OPTIONS",
     "change them and save the profile; the switches and the\n"
     "report rate are also written to the keyboard:",
     ShowOrSetSettings, kSettingsSetOptions},
};

constexpr VerbTable kSettingsVerbs{
    .noun = "settings",
    .head = "Usage: ivractl [--simulate keyboard] settings VERB [options]\n\n",
    .descriptionColumn = 22,
    .verbs = kSettingsVerbList,
    .unknownVerbError = "unknown verb or arguments",
};

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char byte[4];
    for (uint8_t value : bytes) {
        std::snprintf(byte, sizeof byte, "%02X", value);
        text += byte;
    }
    return text;
}

std::string HexAssignment(const AssignmentSlot& slot) {
    char text[12];
    std::snprintf(text, sizeof text, "%02X %02X %02X", slot.type, slot.byte1, slot.byte2);
    return text;
}

std::string EnglishName(Assignment assignment) {
    const AssignmentNameText name = AssignmentName(assignment, {}, KeyDeviceFamily::kKeyboard);
    return name.Resolve([](std::string_view key) { return std::string(EnglishKeyText(key)); });
}

Json::Value LightJson(const LightInfo& light, const light::LightNameLists& names) {
    namespace info = light::info;
    Json::Value out(Json::objectValue);
    const unsigned effect = light[info::kSelectItem];
    out["effect"] = effect;
    out["effectName"] = effect < names.names.size() ? names.names[effect] : std::string();
    out["deviceCode"] = light::DeviceEffectCode(names, effect);
    out["brightness"] = light[info::kLight];
    out["speed"] = light[info::kSpeed];
    out["direction"] = light[info::kFx];
    out["multicolour"] = light[info::kMultiColor] != 0;
    char colour[8];
    std::snprintf(colour, sizeof colour, "%02X%02X%02X", light[info::kRed], light[info::kGreen], light[info::kBlue]);
    out["colour"] = colour;
    out["preset"] = light[info::kZZCCLedMode];
    out["group"] = light[info::kCustomGroup];
    return out;
}

Json::Value StagesJson(const KeyboardSystemStages& stages, const std::string& delayLabel) {
    Json::Value out(Json::objectValue);
    out["repeat"] = stages.repeat;
    out["delay"] = stages.repeatDelay;
    out["delayLabel"] = delayLabel;
    out["winlock"] = stages.winFlag;
    out["wflag"] = stages.wFlag;
    out["key6"] = stages.key6Flag;
    out["rate"] = stages.pollingRate;
    return out;
}

int Sync(CommandContext& context) {
    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    Json::Value out(Json::objectValue);
    session.OnOwner([&] {
        const KeyPositionMaps maps = keyboard.Maps();
        out["keyCount"] = keyboard.KeyCount();
        out["macroMemoryBytes"] = 128 * keyboard.InfoBlock()[6];
        out["keyTableValid"] = keyboard.KeyTableValid();
        out["keyTable"] = Hex(keyboard.DeviceKeyTable());
        out["ledMap"] = Hex(keyboard.LedMap());
        Json::Value positions(Json::arrayValue);
        Json::Value unmapped(Json::arrayValue);
        for (size_t p = 0; p < kKeyboardPositions; ++p) {
            if (maps.deviceKey[p] == kNoDeviceKey) {
                unmapped.append(static_cast<int>(p));
                continue;
            }
            Json::Value entry(Json::objectValue);
            entry["position"] = static_cast<int>(p);
            entry["key"] = maps.deviceKey[p];
            entry["led"] = maps.led[p] == kNoDeviceKey ? Json::Value() : Json::Value(maps.led[p]);
            positions.append(entry);
        }
        out["positions"] = positions;
        out["unmapped"] = unmapped;
    });
    if (context.Options().json) {
        WriteJsonLine(context.Out(), out);
    } else {
        std::ostream& o = context.Out();
        o << "keys: " << out["keyCount"].asInt() << ", macro memory: " << out["macroMemoryBytes"].asInt()
          << " bytes, key table " << (out["keyTableValid"].asBool() ? "read" : "NOT read (uploads refused)") << "\n";
        o << "position  key  led\n";
        for (const Json::Value& entry : out["positions"]) {
            char line[40];
            std::snprintf(line, sizeof line, "%8d %4d %4s\n", entry["position"].asInt(), entry["key"].asInt(),
                          entry["led"].isNull() ? "-" : std::to_string(entry["led"].asInt()).c_str());
            o << line;
        }
        o << "positions without a key:";
        for (const Json::Value& p : out["unmapped"]) o << " " << p.asInt();
        o << "\n";
    }
    return out["keyTableValid"].asBool() ? kExitDone : kExitFailed;
}

// Why a read-back did not end in the profile, or "" when it did.
std::string ReadBackFailure(const SettingsReadBackResult& back) {
    using Outcome = SettingsReadBackResult::Outcome;
    const std::string why = back.code != result::kSuccess ? std::string(" (") + DescribeResult(back.code) + ")" : "";
    switch (back.outcome) {
        case Outcome::kStored: return {};
        case Outcome::kClosed: return "the keyboard was closed before its settings could be read";
        case Outcome::kSlotUnreadable:
            return "the keyboard's active settings slot could not be read" + why + "; nothing was changed";
        case Outcome::kRecordUnreadable:
            return "the keyboard's settings record could not be read" + why + "; nothing was changed";
        case Outcome::kNotSaved: return "the settings were read but the profile could not be saved";
    }
    return "the settings read-back failed";
}

int ReadBack(CommandContext& context) {
    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    Json::Value out(Json::objectValue);
    SettingsReadBackResult back;
    session.OnOwner([&] {
        back = keyboard.ReadBackAndStore();
        const SettingsRecord record = keyboard.LastReadBackRecord();
        out["slot"] = record[settings::kSlot];
        out["record"] = Hex(std::vector<uint8_t>(record.begin(), record.end()));
        out["light"] = LightJson(keyboard.CurrentLight(), keyboard.LightNames());
        const KeyboardSystemStages stages = keyboard.SystemStages();
        out["settings"] = StagesJson(stages, RepeatDelayLabel("", stages.repeatDelay));
    });
    // A record that was never read is not printed as if it had been.
    const bool read = back.outcome == SettingsReadBackResult::Outcome::kStored ||
                      back.outcome == SettingsReadBackResult::Outcome::kNotSaved;
    if (!read) return Failed(context, ReadBackFailure(back));
    if (context.Options().json) {
        WriteJsonLine(context.Out(), out);
    } else {
        context.Out() << "active slot " << out["slot"].asInt() << ": " << out["record"].asString() << "\n";
        Print(context, out["light"]);
        Print(context, out["settings"]);
    }
    if (!back.Ok()) return Failed(context, ReadBackFailure(back));
    return kExitDone;
}

bool ParseLightOptions(const std::vector<std::string>& args, LightInfo& light, std::string& error) {
    namespace info = light::info;
    static const std::map<std::string, std::pair<size_t, long>> kFields = {
        {"--effect", {info::kSelectItem, 255}},
        {"--brightness", {info::kLight, 4}},
        {"--speed", {info::kSpeed, 4}},
        {"--direction", {info::kFx, 1}},
        {"--multicolour", {info::kMultiColor, 1}},
        {"--preset", {info::kZZCCLedMode, 3}},
        {"--group", {info::kCustomGroup, 127}},
    };
    if (args.empty()) {
        error = "light set: nothing to set";
        return false;
    }
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            error = "light set: " + args[i] + " needs a value";
            return false;
        }
        const std::string& value = args[i + 1];
        if (args[i] == "--colour" || args[i] == "--color") {
            const auto rgb = value.size() == 6 ? ParseNumber(value, 16) : std::nullopt;
            if (!rgb) {
                error = "light set: \"" + value + "\" is not a colour RRGGBB";
                return false;
            }
            light[info::kRed] = static_cast<uint8_t>(*rgb >> 16);
            light[info::kGreen] = static_cast<uint8_t>(*rgb >> 8);
            light[info::kBlue] = static_cast<uint8_t>(*rgb);
            continue;
        }
        const auto field = kFields.find(args[i]);
        if (field == kFields.end()) {
            error = "light set: unknown option \"" + args[i] + "\"";
            return false;
        }
        const auto number = ParseNumber(value);
        if (!number || *number < 0 || *number > field->second.second) {
            error = "light set: " + args[i] + " takes 0.." + std::to_string(field->second.second);
            return false;
        }
        light[field->second.first] = static_cast<uint8_t>(*number);
    }
    return true;
}

// light show | set OPTIONS
int ShowOrSetLight(CommandContext& context, const std::vector<std::string>& args) {
    if (args[0] == "show" && args.size() != 1)
        return UsageError(context, "light show: takes no arguments", kLightVerbs);
    KeyboardSession session(context);
    LightInfo light{};
    std::string error;
    if (args[0] == "set") {
        // Options are checked before anything connects or changes.
        LightInfo probe{};
        if (!ParseLightOptions({args.begin() + 1, args.end()}, probe, error)) {
            return UsageError(context, error, kLightVerbs);
        }
    }
    if (!Connect(context, session)) return kExitFailed;
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    bool written = true;
    session.OnOwner([&] {
        light = keyboard.CurrentLight();
        if (args[0] == "set") {
            ParseLightOptions({args.begin() + 1, args.end()}, light, error);
            written = keyboard.ChangeLight(light);
            light = keyboard.CurrentLight();
        }
    });
    Json::Value out = LightJson(light, keyboard.LightNames());
    if (args[0] == "show") {
        Json::Value effects(Json::arrayValue);
        const light::LightNameLists& names = keyboard.LightNames();
        for (size_t i = 0; i < names.names.size(); ++i) {
            if (i < names.visible.size() && !names.visible[i]) continue;
            if (context.Options().json) {
                Json::Value entry(Json::objectValue);
                entry["index"] = static_cast<int>(i);
                entry["name"] = names.names[i];
                effects.append(entry);
            } else {
                effects.append(std::to_string(i) + " " + names.names[i]);
            }
        }
        if (context.Options().json) out["effects"] = effects;
        Print(context, out);
        if (!context.Options().json) {
            context.Out() << "effects:";
            for (const Json::Value& entry : effects) context.Out() << "\n  " << entry.asString();
            context.Out() << "\n";
        }
        return kExitDone;
    }
    Print(context, out);
    if (!keyboard.LastSaveSucceeded()) return Failed(context, "the profile could not be saved");
    if (!written) return Failed(context, "the light settings were saved but not written to the keyboard");
    return kExitDone;
}

int RunPreviewVerb(CommandContext& context, const std::vector<std::string>& args) {
    return RunLightPreview(context, {args.begin() + 1, args.end()});
}

int RunStreamVerb(CommandContext& context, const std::vector<std::string>& args) {
    return RunLightStream(context, {args.begin() + 1, args.end()});
}

bool ParsePosition(const std::string& text, int& position) {
    const auto number = ParseNumber(text);
    if (!number || *number < 0 || *number >= static_cast<long>(kKeyboardPositions)) return false;
    position = static_cast<int>(*number);
    return true;
}

}  // namespace

std::optional<long> ParseNumber(const std::string& text, int base) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int Failed(CommandContext& context, const std::string& what) {
    context.Err() << "ivractl: " << what << "\n";
    return kExitFailed;
}

// Connects; prints the reason and returns false on failure.
bool Connect(CommandContext& context, KeyboardSession& session) {
    std::string error;
    if (session.Connect(error)) return true;
    context.Err() << "ivractl: " << error << "\n";
    return false;
}

// Prints a flat object as "key: value" lines, or as one JSON line.
void Print(CommandContext& context, const Json::Value& object) {
    if (context.Options().json) {
        WriteJsonLine(context.Out(), object);
        return;
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    for (const std::string& name : object.getMemberNames()) {
        const Json::Value& value = object[name];
        context.Out() << name << ": " << (value.isString() ? value.asString() : Json::writeString(builder, value))
                      << "\n";
    }
}

int RunDeviceSync(CommandContext& context) {
    return Sync(context);
}
int RunDeviceReadBack(CommandContext& context) {
    return ReadBack(context);
}
const VerbTable& LightVerbs() {
    return kLightVerbs;
}

int RunLightCommand(CommandContext& context, const std::vector<std::string>& args) {
    return RunVerb(context, kLightVerbs, args);
}

namespace {

// "macro:NAME", the prefix in any case.
bool IsMacroName(const std::string& text) {
    constexpr std::string_view kPrefix = "macro:";
    if (text.size() < kPrefix.size()) return false;
    for (size_t i = 0; i < kPrefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != kPrefix[i]) return false;
    }
    return true;
}

}  // namespace

int RunKeyboardKeyVerb(CommandContext& context, const std::vector<std::string>& args, const VerbTable& keyVerbs) {
    const std::string& verb = args[0];
    int position = -1;
    std::optional<Assignment> assignment;
    if (verb == "show") {
        if (args.size() != 1) return UsageError(context, "key show: takes no arguments", keyVerbs);
    } else if (verb == "set") {
        if (args.size() != 3 || !ParsePosition(args[1], position)) {
            return UsageError(context, "key set: needs a POSITION 0..125 and three bytes in hex", keyVerbs);
        }
        // Three bytes in hex, or a name as `key name` prints it; a macro's
        // name is looked up once the kind's macro list is known.
        assignment = ParseThreeByteHex(args[2]);
        if (!assignment) assignment = AssignmentFromName(args[2], {}, KeyDeviceFamily::kKeyboard);
        if (!assignment && !IsMacroName(args[2])) {
            return UsageError(context, "key set: \"" + args[2] + "\" is neither three bytes in hex nor a key name",
                              keyVerbs);
        }
    } else if (args.size() != 2 || !ParsePosition(args[1], position)) {
        return UsageError(context, "key default: needs a POSITION 0..125", keyVerbs);
    }
    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    KestrelKeyboardDevice& keyboard = session.Keyboard();
    if (verb == "set" && !assignment) {
        std::vector<std::string> macros;
        MacroList list(keyboard.Binding().UserDataFolder());
        if (list.Load()) macros = list.Names();
        assignment = AssignmentFromName(args[2], macros, KeyDeviceFamily::kKeyboard);
        if (!assignment) {
            context.Err() << "ivractl: key set: the keyboard has no macro \"" << args[2].substr(6) << "\"\n";
            return kExitFailed;
        }
    }
    bool done = true;
    std::vector<KeyRecord> keys;
    KeyPositionMaps maps;
    session.OnOwner([&] {
        if (verb == "set") done = keyboard.SetKeyAssignment(position, *assignment);
        if (verb == "default") done = keyboard.RestoreKeyDefault(position);
        keys = keyboard.KeyList();
        maps = keyboard.Maps();
    });
    Json::Value list(Json::arrayValue);
    for (size_t p = 0; p < keys.size(); ++p) {
        if (position >= 0 && static_cast<int>(p) != position) continue;
        Json::Value entry(Json::objectValue);
        entry["position"] = static_cast<int>(p);
        entry["key"] = p < maps.deviceKey.size() && maps.deviceKey[p] != kNoDeviceKey ? Json::Value(maps.deviceKey[p])
                                                                                      : Json::Value();
        entry["assignment"] = HexAssignment(keys[p].current);
        entry["default"] = HexAssignment(keys[p].defaults);
        entry["name"] = EnglishName(keys[p].current.Bytes());
        list.append(entry);
    }
    if (context.Options().json) {
        WriteJsonLine(context.Out(), list);
    } else {
        for (const Json::Value& entry : list) {
            char line[64];
            std::snprintf(line, sizeof line, "%3d key %3s  %s (default %s)  ", entry["position"].asInt(),
                          entry["key"].isNull() ? "-" : std::to_string(entry["key"].asInt()).c_str(),
                          entry["assignment"].asCString(), entry["default"].asCString());
            context.Out() << line << entry["name"].asString() << "\n";
        }
    }
    if (verb != "show" && !keyboard.LastSaveSucceeded()) return Failed(context, "the profile could not be saved");
    if (!done) return Failed(context, "the key list was saved but not written to the keyboard");
    return kExitDone;
}

int RunMacroWrite(CommandContext& context) {
    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    int result = 0;
    session.OnOwner([&] { result = session.Keyboard().WriteMacros(); });
    if (result == kMacroInfoBlockUnreadable) {
        return Failed(context, "the keyboard's information block could not be read, so the size of its macro "
                               "memory is unknown; nothing was written");
    }
    if (result < 0) return Failed(context, "the macros were not written to the keyboard");
    if (result > 0) {
        return Failed(context, "the macros do not fit into the keyboard: " + std::to_string(result) +
                                   " events too many; nothing was written");
    }
    context.Out() << "macros written\n";
    return kExitDone;
}

int RunSettingsCommand(CommandContext& context, const std::vector<std::string>& args) {
    return RunVerb(context, kSettingsVerbs, args);
}

namespace {

// settings show | set OPTIONS
int ShowOrSetSettings(CommandContext& context, const std::vector<std::string>& args) {
    static const std::map<std::string, std::pair<KeyboardSetting, long>> kOptions = {
        {"--repeat", {KeyboardSetting::kRepeat, 65535}}, {"--delay", {KeyboardSetting::kRepeatDelay, 3}},
        {"--winlock", {KeyboardSetting::kWinLock, 1}},   {"--wflag", {KeyboardSetting::kWFlag, 1}},
        {"--key6", {KeyboardSetting::kKey6Flag, 1}},     {"--rate", {KeyboardSetting::kPollingRate, 3}},
    };
    std::vector<std::pair<KeyboardSetting, uint16_t>> changes;
    if (args[0] == "set") {
        for (size_t i = 1; i < args.size(); i += 2) {
            const auto option = kOptions.find(args[i]);
            if (option == kOptions.end())
                return UsageError(context, "settings set: unknown option \"" + args[i] + "\"", kSettingsVerbs);
            const auto number = i + 1 < args.size() ? ParseNumber(args[i + 1]) : std::nullopt;
            if (!number || *number < 0 || *number > option->second.second) {
                return UsageError(context,
                                  "settings set: " + args[i] + " takes 0.." + std::to_string(option->second.second),
                                  kSettingsVerbs);
            }
            changes.emplace_back(option->second.first, static_cast<uint16_t>(*number));
        }
        if (changes.empty()) return UsageError(context, "settings set: nothing to set", kSettingsVerbs);
    } else if (args[0] != "show" || args.size() != 1) {
        return UsageError(context, "settings: unknown verb or arguments", kSettingsVerbs);
    }
    KeyboardSession session(context);
    if (!Connect(context, session)) return kExitFailed;
    bool written = true;
    KeyboardSystemStages stages;
    session.OnOwner([&] {
        for (const auto& [setting, value] : changes)
            written = session.Keyboard().ChangeSetting(setting, value) && written;
        stages = session.Keyboard().SystemStages();
    });
    Print(context, StagesJson(stages, RepeatDelayLabel("Repeat delay ", stages.repeatDelay)));
    if (!changes.empty() && !session.Keyboard().LastSaveSucceeded()) {
        return Failed(context, "the profile could not be saved");
    }
    if (!written) return Failed(context, "the settings were saved but not written to the keyboard");
    return kExitDone;
}

}  // namespace

}  // namespace ivra::cli
