// ivractl profile list | select N | add | copy | delete | rename NAME |
//                 import FILE | export FILE | reset
//
// Works on the profiles of one device kind (--kind, default keyboard) in the
// per-user data folder (--data-dir replaces the data root), through the same
// store the program uses. Every verb prints the resulting list.
#include <charconv>
#include <ostream>
#include <string>
#include <vector>

#include <json/value.h>

#include "CommandContext.h"
#include "models/profile/DataLocations.h"
#include "models/profile/ProfileStore.h"
#include "services/DeviceService.h"
#include "base/TextHelpers.h"
#include "VerbTable.h"

namespace ivra::cli {
namespace {

int EditProfiles(CommandContext& context, const std::vector<std::string>& args);

constexpr Verb kProfileVerbList[] = {
    {"list", "", "the profiles in order; \"*\" marks the selected one", EditProfiles},
    {"select", "N", "select profile number N (as numbered by list)", EditProfiles},
    {"add", "", "add a profile with the default settings (at most 50)", EditProfiles},
    {"copy", "", "copy the selected profile as \"NAME copy\"", EditProfiles},
    {"delete", "", "delete the selected profile (never the last one)", EditProfiles},
    {"rename", "NAME", "rename the selected profile", EditProfiles},
    {"import", "FILE", "add a profile from an exported profile file", EditProfiles},
    {"export", "FILE", "write the selected profile to FILE", EditProfiles},
    {"reset", "", "put the selected profile back to the default settings", EditProfiles},
};

constexpr VerbTable kProfileVerbs{
    .noun = "profile",
    .head = "Usage: ivractl [--kind NAME] [--data-dir DIR] profile VERB [argument]\n\n",
    .descriptionColumn = 17,
    .verbs = kProfileVerbList,
    .tail = "\n"
            "The kind defaults to keyboard. Every verb prints the resulting list; a\n"
            "refusal prints the reason and exits with 1. list and export never write,\n"
            "and never make a folder for a kind that has none yet.\n",
};

void PrintList(CommandContext& context, const std::string& kindName, const ProfileStore& store) {
    const ProfileList& list = store.ListRoot();
    const int selected = store.ListSelection();
    if (context.Options().json) {
        Json::Value root(Json::objectValue);
        root["kind"] = kindName;
        root["profiles"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < list.Count(); ++i) {
            Json::Value entry(Json::objectValue);
            entry["number"] = static_cast<Json::UInt64>(i + 1);
            entry["name"] = ToValidUtf8(list.NameAt(i));
            entry["id"] = ToValidUtf8(list.IdAt(i));
            entry["selected"] = static_cast<int>(i) == selected;
            root["profiles"].append(entry);
        }
        WriteJsonLine(context.Out(), root);
        return;
    }
    for (size_t i = 0; i < list.Count(); ++i) {
        // A hand-edited name never forges lines or escapes on the terminal.
        context.Out() << (static_cast<int>(i) == selected ? "* " : "  ") << (i + 1) << "  "
                      << PrintableText(list.NameAt(i)) << "\n";
    }
}

int Refused(CommandContext& context, const std::string& reason) {
    context.Err() << "ivractl: " << reason << "\n";
    return kExitFailed;
}

void PrintNotices(CommandContext& context, ProfileStore& store) {
    for (const std::string& notice : store.TakeNotices()) context.Err() << "ivractl: " << notice << "\n";
}

// profile list | select N | add | copy | delete | rename NAME | import FILE | export FILE | reset
int EditProfiles(CommandContext& context, const std::vector<std::string>& args) {
    const std::string& verb = args.front();
    const bool takesArgument = verb == "select" || verb == "rename" || verb == "import" || verb == "export";
    if (args.size() != (takesArgument ? 2u : 1u)) {
        return UsageError(context, "profile " + verb + (takesArgument ? ": needs one argument" : ": takes no argument"),
                          kProfileVerbs);
    }
    int number = 0;
    if (verb == "select") {
        const std::string& text = args[1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || number < 1) {
            return UsageError(context, "profile select: \"" + text + "\" is not a profile number", kProfileVerbs);
        }
    }

    const std::string kindName = context.KindName();
    const bool onlyReads = verb == "list" || verb == "export";
    std::string error;
    bool exists = false;
    const std::filesystem::path folder = context.KindDataFolder(!onlyReads, exists, error);
    if (folder.empty()) return Refused(context, error);
    if (!exists) {
        // Nothing to read: the program makes the first profile when it starts.
        if (verb == "export") return Refused(context, "there are no " + kindName + " profiles yet");
        context.Err() << "ivractl: there are no " << kindName << " profiles yet\n";
        if (context.Options().json) PrintList(context, kindName, ProfileStore({folder, {}, 0}));
        return kExitDone;
    }
    const std::filesystem::path programFolder = ProgramFolder();
    if (programFolder.empty()) {
        context.Err() << "ivractl: the program folder with DefaultData was not found (set IVRA_HOME)\n";
    }
    DeviceService devices(context.Catalogue(), nullptr);
    devices.SetDataRoots(UserDataRoot(context.Options().dataDir), programFolder);
    ProfileStore store(devices.ProfileStoreSetupIn(folder, kindName));
    ProfileStoreResult result = store.LoadProfileList();
    PrintNotices(context, store);
    if (!result) return Refused(context, result.reason);

    if (verb == "select") {
        result = store.SelectProfile(number - 1);
    } else if (verb == "add") {
        result = store.AddProfile();
    } else if (verb == "copy") {
        result = store.CopyProfile();
    } else if (verb == "delete") {
        result = store.DeleteProfile();
    } else if (verb == "import") {
        result = store.ImportProfile(args[1]);
    } else if (verb == "export") {
        result = store.ExportProfile(args[1]);
    } else if (verb == "reset") {
        result = store.ResetProfile();
    } else if (verb == "rename") {
        std::string reason;
        const RenameResult renamed = store.RenameProfile(args[1], &reason);
        result = renamed == RenameResult::kDone ? ProfileStoreResult::Done()
                                                : ProfileStoreResult::Refused("profile rename: " + reason);
    }
    PrintNotices(context, store);
    if (!result) return Refused(context, result.reason);
    PrintList(context, kindName, store);
    return kExitDone;
}

}  // namespace

int RunProfileCommand(CommandContext& context, const std::vector<std::string>& args) {
    return RunVerb(context, kProfileVerbs, args);
}

}  // namespace ivra::cli
