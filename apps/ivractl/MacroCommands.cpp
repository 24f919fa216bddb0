// ivractl macro list | add | rename I NAME | delete I | show I |
//               import FILE | export I FILE
//
// Works on the macros of one device kind (--kind, default keyboard) in the
// per-user data folder (--data-dir replaces the data root), through the same
// macro list the program uses. I is a macro index as "macro list" shows it:
// the position a macro key assignment refers to, counted from 0.
#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <json/value.h>

#include "CommandContext.h"
#include "KeyboardCommands.h"
#include "models/keys/MacroEvent.h"
#include "models/keys/MacroList.h"
#include "models/profile/DataLocations.h"
#include "base/TextHelpers.h"
#include "VerbTable.h"

namespace ivra::cli {
namespace {

int EditMacros(CommandContext& context, const std::vector<std::string>& args);
int WriteMacros(CommandContext& context, const std::vector<std::string>& args);

constexpr Verb kMacroVerbList[] = {
    {"list", "", "the macros in order, with their index", EditMacros},
    {"add", "", "add an empty macro named macro_N (at most 50 macros)", EditMacros},
    {"rename", "I NAME", "rename macro I", EditMacros},
    {"delete", "I",
     "delete macro I; the keys of every profile that ran it get\n"
     "their default back, keys of later macros move down by one",
     EditMacros},
    {"show", "I", "the events of macro I and their 4-byte device form", EditMacros},
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
            "defaults to keyboard. Every verb but show prints the resulting list; a refusal\n"
            "prints the reason and exits with 1.\n",
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
