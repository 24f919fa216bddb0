// ivractl macro list | add | rename I NAME | delete I | show I |
//               import FILE | export I FILE | record I --seconds N
//
// Works on the macros of one device kind (--kind, default keyboard) in the
// per-user data folder (--data-dir replaces the data root), through the same
// macro list the program uses. I is a macro index as "macro list" shows it:
// the position a macro key assignment refers to, counted from 0.
#include <charconv>
#include <cstdio>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <json/value.h>

#include "CommandContext.h"
#include "EvdevInputSource.h"
#include "StopSignals.h"
#include "base/Clock.h"
#include "KeyboardCommands.h"
#include "models/keys/MacroEvent.h"
#include "models/keys/MacroList.h"
#include "models/keys/MacroRecorder.h"
#include "models/profile/DataLocations.h"
#include "base/TextHelpers.h"
#include "VerbTable.h"

namespace ivra::cli {
namespace {

int EditMacros(CommandContext& context, const std::vector<std::string>& args);
int WriteMacros(CommandContext& context, const std::vector<std::string>& args);
int EditMacroEvents(CommandContext& context, const std::vector<std::string>& args);
int RecordMacro(CommandContext& context, const std::vector<std::string>& args);

constexpr VerbOption kEventSetOptions[] = {
    {"--type T", "1 mouse button, 4/5 pointer move, 9 modifier, 10 key"},
    {"--button B", "the button, distance, modifier mask or key usage"},
    {"--action down|up", "press or release"},
    {"--delay MS", "milliseconds after the event, 0..65535"},
};

constexpr VerbOption kRecordOptions[] = {
    {"--seconds N", "how long to record, 1..86400 (Ctrl+C stops earlier)"},
    {"--fixed MS", "each event waits MS ms, 0..65535 (default: as pressed)"},
    {"--device NODE", "read this input device only (repeatable; default: every\n"
                      "readable keyboard and mouse in /dev/input)"},
};

constexpr Verb kMacroVerbList[] = {
    {"list", "", "the macros in order, with their index", EditMacros},
    {"add", "", "add an empty macro named macro_N (at most 50 macros)", EditMacros},
    {"rename", "I NAME", "rename macro I", EditMacros},
    {"delete", "I",
     "delete macro I; the keys of every profile that ran it get\n"
     "their default back, keys of later macros move down by one",
     EditMacros},
    {"show", "I", "the events of macro I and their 4-byte device form", EditMacros},
    {"event", "add I TYPE BUTTON down|up DELAY [--at J]",
     "\nedit macro I's events (J: an event's number as show\n"
     "prints it); add appends, or inserts before event J",
     EditMacroEvents},
    {"event", "delete I J | move I J TO | set I J OPTIONS",
     "\ndelete event J, move it to TO, or change its fields:", EditMacroEvents, kEventSetOptions},
    {"record", "I --seconds N [OPTIONS]",
     "\nappend the keys and buttons pressed now to macro I (the\n"
     "input devices are only read, other programs still get them):",
     RecordMacro, kRecordOptions},
    {"import", "FILE", "add a macro from an exported macro file", EditMacros},
    {"export", "I FILE", "write macro I's file to FILE", EditMacros},
    {"write", "",
     "send every macro to the keyboard (refused, sending\n"
     "nothing, when the list or a macro file cannot be read)",
     WriteMacros},
};

constexpr VerbTable kMacroVerbs{
    .noun = "macro",
    .head = "Usage: ivractl [--kind NAME] [--data-dir DIR] [--json] macro VERB [arguments]\n\n",
    .descriptionColumn = 20,
    .verbs = kMacroVerbList,
    .tail = "\n"
            "I is the macro index that macro key assignments use, counted from 0. The kind\n"
            "defaults to keyboard. Every verb but show, event and record prints the resulting\n"
            "list (they print the macro); a refusal prints the reason and exits with 1.\n",
};

std::optional<std::size_t> ParseIndex(const std::string& text) {
    std::size_t index = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return index;
}

int Refused(CommandContext& context, const std::string& reason) {
    context.Err() << "ivractl: " << reason << "\n";
    return kExitFailed;
}

void PrintNotices(CommandContext& context, MacroList& macros) {
    for (const std::string& notice : macros.TakeNotices()) context.Err() << "ivractl: " << notice << "\n";
}

void PrintList(CommandContext& context, const std::string& kindName, const MacroList& macros) {
    if (context.Options().json) {
        Json::Value root(Json::objectValue);
        root["kind"] = kindName;
        root["macros"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < macros.Count(); ++i) {
            Json::Value entry(Json::objectValue);
            entry["index"] = static_cast<Json::UInt64>(i);
            entry["name"] = ToValidUtf8(macros.Entries()[i].name);
            entry["id"] = ToValidUtf8(macros.Entries()[i].id);
            entry["events"] = static_cast<Json::UInt64>(macros.LoadEvents(i).content.events.size());
            root["macros"].append(entry);
        }
        WriteJsonLine(context.Out(), root);
        return;
    }
    for (std::size_t i = 0; i < macros.Count(); ++i) {
        context.Out() << "  " << i << "  " << PrintableText(macros.Entries()[i].name) << "\n";
    }
}

int ShowMacro(CommandContext& context, const MacroList& macros, std::size_t index) {
    if (index >= macros.Count()) {
        return Refused(context, "there is no macro " + std::to_string(index) + " (the list has " +
                                    std::to_string(macros.Count()) + ")");
    }
    const MacroFileRead read = macros.LoadEvents(index);
    if (read.state == JsonFileState::kUnreadable) return Refused(context, read.error);
    const MacroEntry& entry = macros.Entries()[index];
    const std::vector<MacroEvent>& events = read.content.events;
    if (context.Options().json) {
        Json::Value root(Json::objectValue);
        root["index"] = static_cast<Json::UInt64>(index);
        root["name"] = ToValidUtf8(entry.name);
        root["id"] = ToValidUtf8(entry.id);
        root["events"] = Json::Value(Json::arrayValue);
        for (const MacroEvent& event : events) {
            Json::Value element = MacroEventToJson(event);
            element["device"] = FormatDeviceEvent(EventToDeviceEvent(event));
            root["events"].append(element);
        }
        WriteJsonLine(context.Out(), root);
        return kExitDone;
    }
    context.Out() << PrintableText(entry.name) << " (" << PrintableText(entry.id) << "), " << events.size()
                  << (events.size() == 1 ? " event\n" : " events\n");
    if (events.empty()) return kExitDone;
    char line[96];
    std::snprintf(line, sizeof line, "%6s %5s %7s %-6s %6s  %s\n", "#", "Type", "Button", "Action", "Delay", "Device");
    context.Out() << line;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const MacroEvent& event = events[i];
        std::snprintf(line, sizeof line, "%6zu %5d %7d %-6s %6u  %s\n", i, event.type, event.button,
                      event.action.substr(0, 12).c_str(), static_cast<unsigned>(event.delay),
                      FormatDeviceEvent(EventToDeviceEvent(event)).c_str());
        context.Out() << line;
    }
    return kExitDone;
}

// macro write
std::optional<long> EventNumber(const std::string& text, long most) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > most) {
        return std::nullopt;
    }
    return value;
}

// One field of an event from its option; the reason when the value is wrong.
bool SetEventField(MacroEvent& event, const std::string& option, const std::string& value, std::string& error) {
    if (option == "--action") {
        if (value != kActionDown && value != kActionUp) {
            error = "--action takes down or up";
            return false;
        }
        event.action = value;
        return true;
    }
    struct NumberField {
        const char* option;
        long most;
    };
    static constexpr NumberField kFields[] = {{"--type", 255}, {"--button", 0xFFFF}, {"--delay", kMaxMacroDelay}};
    for (const NumberField& field : kFields) {
        if (option != field.option) continue;
        const std::optional<long> number = EventNumber(value, field.most);
        if (!number) {
            error = option + " takes 0.." + std::to_string(field.most);
            return false;
        }
        if (option == "--type") event.type = static_cast<int>(*number);
        if (option == "--button") event.button = static_cast<int>(*number);
        if (option == "--delay") event.delay = static_cast<uint16_t>(*number);
        return true;
    }
    error = "unknown option " + option;
    return false;
}

// Macro `index` of the kind's folder, read for a change: its list and its
// events. Nothing, with the refusal's exit status in `refused`, when the
// list or the macro cannot be read or there is no such macro.
struct MacroToEdit {
    MacroList macros;
    std::vector<MacroEvent> events;
};

std::optional<MacroToEdit> OpenMacro(CommandContext& context, std::size_t index, int& refused) {
    std::string error;
    bool exists = false;
    const std::filesystem::path folder = context.KindDataFolder(false, exists, error);
    if (folder.empty()) {
        refused = Refused(context, error);
        return std::nullopt;
    }
    MacroList macros(folder);
    if (exists) {
        if (MacroListResult loaded = macros.Load(); !loaded) {
            refused = Refused(context, loaded.reason);
            return std::nullopt;
        }
    }
    if (index >= macros.Count()) {
        refused = Refused(context, "there is no macro " + std::to_string(index) + " (the list has " +
                                       std::to_string(macros.Count()) + ")");
        return std::nullopt;
    }
    const MacroFileRead read = macros.LoadEvents(index);
    if (read.state == JsonFileState::kUnreadable) {
        refused = Refused(context, read.error);
        return std::nullopt;
    }
    return MacroToEdit{std::move(macros), read.content.events};
}

// macro event add I TYPE BUTTON down|up DELAY [--at J] | delete I J |
// move I J TO | set I J OPTIONS: the events read, changed and written back
// (the write under the folder's lock, as every macro change), then shown.
int EditMacroEvents(CommandContext& context, const std::vector<std::string>& args) {
    const std::string what = args.size() > 1 ? args[1] : std::string();
    const auto usage = [&](const std::string& message) {
        return UsageError(context, "macro event " + what + (what.empty() ? "" : ": ") + message, kMacroVerbs);
    };
    const bool known = what == "add" || what == "delete" || what == "move" || what == "set";
    if (!known) return usage("needs add, delete, move or set");
    if (args.size() < 3) return usage("needs a macro index");
    const std::optional<std::size_t> index = ParseIndex(args[2]);
    if (!index) return usage("\"" + args[2] + "\" is not a macro index");

    // What the change is, checked before anything is read.
    MacroEvent added;
    std::optional<long> at;
    std::optional<long> event;
    std::optional<long> to;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string error;
    if (what == "add") {
        if (args.size() != 7 && !(args.size() == 9 && args[7] == "--at")) {
            return usage("needs I TYPE BUTTON down|up DELAY [--at J]");
        }
        fields = {{"--type", args[3]}, {"--button", args[4]}, {"--action", args[5]}, {"--delay", args[6]}};
        if (args.size() == 9 && !(at = EventNumber(args[8], kMaxMacroEvents)))
            return usage("--at takes an event number");
    } else {
        const size_t needed = what == "move" ? 5 : 4;
        if (args.size() < needed || (what != "set" && args.size() != needed) ||
            (what == "set" && (args.size() == 4 || (args.size() - 4) % 2 != 0))) {
            return usage(what == "move" ? "needs I J TO" : what == "set" ? "needs I J and options" : "needs I J");
        }
        event = EventNumber(args[3], kMaxMacroEvents);
        if (!event) return usage("\"" + args[3] + "\" is not an event number");
        if (what == "move" && !(to = EventNumber(args[4], kMaxMacroEvents))) return usage("TO is not an event number");
        for (size_t i = 4; what == "set" && i + 1 < args.size(); i += 2) fields.emplace_back(args[i], args[i + 1]);
    }
    MacroEvent probe;
    for (const auto& [option, value] : fields) {
        if (!SetEventField(what == "add" ? added : probe, option, value, error)) return usage(error);
    }

    int refused = 0;
    std::optional<MacroToEdit> opened = OpenMacro(context, *index, refused);
    if (!opened) return refused;
    MacroList& macros = opened->macros;
    std::vector<MacroEvent>& events = opened->events;
    const auto count = static_cast<long>(events.size());
    if (event && *event >= count) {
        return Refused(context, "macro " + std::to_string(*index) + " has no event " + std::to_string(*event) +
                                    " (it has " + std::to_string(count) + ")");
    }
    if (what == "add") {
        if (events.size() >= kMaxMacroEvents) return Refused(context, "the macro already has the most events");
        if (at && *at > count) return Refused(context, "--at " + std::to_string(*at) + " is past the last event");
        events.insert(at ? events.begin() + *at : events.end(), added);
    } else if (what == "delete") {
        events.erase(events.begin() + *event);
    } else if (what == "move") {
        if (*to >= count) return Refused(context, "TO " + std::to_string(*to) + " is past the last event");
        const MacroEvent moved = events[static_cast<size_t>(*event)];
        events.erase(events.begin() + *event);
        events.insert(events.begin() + *to, moved);
    } else {
        for (const auto& [option, value] : fields)
            SetEventField(events[static_cast<size_t>(*event)], option, value, error);
    }
    if (MacroListResult saved = macros.SaveEvents(*index, events); !saved) {
        return Refused(context, "macro event " + what + ": " + saved.reason);
    }
    return ShowMacro(context, macros, *index);
}

// macro record I --seconds N [--fixed MS] [--device NODE]...: the events of
// the input devices, while the time runs, appended to macro I through the
// same recorder the editor uses (auto-repeat dropped, delays measured or
// fixed), then written once and shown.
int RecordMacro(CommandContext& context, const std::vector<std::string>& args) {
    const auto usage = [&](const std::string& message) {
        return UsageError(context, "macro record: " + message, kMacroVerbs);
    };
    if (args.size() < 2) return usage("needs a macro index and --seconds N");
    const std::optional<std::size_t> index = ParseIndex(args[1]);
    if (!index) return usage("\"" + args[1] + "\" is not a macro index");
    constexpr long kMostSeconds = 86400;
    std::optional<long> seconds;
    std::optional<long> fixed;
    std::vector<std::string> devices;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) return usage(option + " needs a value");
        const std::string& value = args[i + 1];
        if (option == "--seconds") {
            seconds = EventNumber(value, kMostSeconds);
            if (!seconds || *seconds < 1) return usage("--seconds takes 1.." + std::to_string(kMostSeconds));
        } else if (option == "--fixed") {
            fixed = EventNumber(value, kMaxMacroDelay);
            if (!fixed) return usage("--fixed takes 0.." + std::to_string(kMaxMacroDelay));
        } else if (option == "--device") {
            if (value.empty()) return usage("--device needs a node");
            devices.push_back(value);
        } else {
            return usage("unknown option " + option);
        }
    }
    if (!seconds) return usage("needs --seconds N");

    int refused = 0;
    std::optional<MacroToEdit> opened = OpenMacro(context, *index, refused);
    if (!opened) return refused;
    MacroList& macros = opened->macros;

    EvdevInputSource source(devices);
    if (const std::string why = source.Unavailable(); !why.empty()) {
        return Refused(context, "macro record: " + why);
    }
    // Blocked before the reader thread starts, so only Wait takes them.
    StopSignals signals;
    std::mutex mutex;
    std::vector<MacroEvent>& events = opened->events;
    MacroRecorder recorder(DefaultSystemClock());
    recorder.Start(fixed ? RecordDelayMode::kFixed : RecordDelayMode::kRealTime, RecordPlacement::kAppend,
                   static_cast<uint16_t>(fixed.value_or(0)));
    std::size_t full = 0;
    const bool started = source.Start([&](const InputEvent& event) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (recorder.Record(event, events, std::nullopt).what == MacroRecorder::Outcome::What::kFull) ++full;
    });
    if (!started) {
        const std::string why = source.Unavailable();
        return Refused(context,
                       "macro record: " + (why.empty() ? std::string("the input devices could not be read") : why));
    }
    context.Err() << "ivractl: recording into macro " << *index << " for " << *seconds
                  << (*seconds == 1 ? " second" : " seconds") << " (Ctrl+C stops)\n";
    signals.Wait(*seconds * 1000);
    source.Stop();  // no event is recorded after this
    recorder.Stop();
    if (full > 0)
        context.Err() << "ivractl: the macro is full (" << kMaxMacroEvents << " events); later events were dropped\n";
    if (MacroListResult saved = macros.SaveEvents(*index, events); !saved) {
        return Refused(context, "macro record: " + saved.reason);
    }
    return ShowMacro(context, macros, *index);
}

int WriteMacros(CommandContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError(context, "macro write: takes no arguments", kMacroVerbs);
    // Every file is read and checked before the keyboard is touched: an
    // unreadable list or macro file sends nothing.
    std::string error;
    bool exists = false;
    const std::filesystem::path folder = context.KindDataFolder(false, exists, error);
    if (folder.empty()) return Refused(context, error);
    if (exists) {
        MacroList macros(folder);
        std::vector<std::vector<MacroEvent>> events;
        if (MacroListResult read = macros.ReadAllEvents(events); !read) {
            PrintNotices(context, macros);
            return Refused(context, "macro write: " + read.reason + "; nothing was sent");
        }
    }
    return RunMacroWrite(context);
}

// macro list | add | rename I NAME | delete I | show I | import FILE | export I FILE
int EditMacros(CommandContext& context, const std::vector<std::string>& args) {
    const std::string& verb = args.front();
    std::size_t argumentCount = 0;
    if (verb == "list" || verb == "add") {
        argumentCount = 0;
    } else if (verb == "delete" || verb == "show" || verb == "import") {
        argumentCount = 1;
    } else {  // rename, export
        argumentCount = 2;
    }
    if (args.size() != argumentCount + 1) {
        return UsageError(context,
                          "macro " + verb + ": needs " + std::to_string(argumentCount) +
                              (argumentCount == 1 ? " argument" : " arguments"),
                          kMacroVerbs);
    }
    std::size_t index = 0;
    if (verb != "list" && verb != "add" && verb != "import") {
        const std::optional<std::size_t> parsed = ParseIndex(args[1]);
        if (!parsed)
            return UsageError(context, "macro " + verb + ": \"" + args[1] + "\" is not a macro index", kMacroVerbs);
        index = *parsed;
    }

    const std::string kindName = context.KindName();
    const bool onlyReads = verb == "list" || verb == "show" || verb == "export";
    std::string error;
    bool exists = false;
    const std::filesystem::path folder = context.KindDataFolder(!onlyReads, exists, error);
    if (folder.empty()) return Refused(context, error);
    MacroList macros(folder);
    // A kind without a folder has no macros; reading it makes no folder.
    if (exists) {
        if (MacroListResult loaded = macros.Load(); !loaded) return Refused(context, loaded.reason);
    }

    MacroListResult result;
    if (verb == "show") {
        return ShowMacro(context, macros, index);
    } else if (verb == "add") {
        result = macros.Add();
    } else if (verb == "rename") {
        result = macros.Rename(index, args[2]);
    } else if (verb == "delete") {
        result = macros.Delete(index);
    } else if (verb == "import") {
        result = macros.Import(args[1]);
    } else if (verb == "export") {
        result = macros.Export(index, args[2]);
    }
    PrintNotices(context, macros);
    if (!result) return Refused(context, "macro " + verb + ": " + result.reason);
    PrintList(context, kindName, macros);
    return kExitDone;
}

}  // namespace

int RunMacroCommand(CommandContext& context, const std::vector<std::string>& args) {
    return RunVerb(context, kMacroVerbs, args);
}

}  // namespace ivra::cli
