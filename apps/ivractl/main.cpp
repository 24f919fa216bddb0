// ivractl: the command-line face of the device core.
//
//   ivractl [global options] NOUN VERB [arguments]
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "CommandContext.h"
#include "KeyboardCommands.h"
#include "base/DebugOutput.h"
#include "services/KindRegistry.h"

namespace {

constexpr const char* kHelpHead = "Usage: ivractl [global options] NOUN VERB [arguments]\n"
                                  "\n"
                                  "Global options:\n"
                                  "  --simulate KINDS   use simulated devices instead of real ones: a comma list\n"
                                  "                     of KIND or KIND:FILE (FILE: device state and faults, JSON)\n";

constexpr const char* kHelp = "  --data-dir DIR     the per-user data root\n"
                              "  --debug            write the debug lines to stderr\n"
                              "  --json             machine-readable output\n"
                              "  --help             this text (every command level takes it too)\n"
                              "\n"
                              "Commands:\n"
                              "  hid list           every HID node: ids, interface, collections and usages\n"
                              "  hid parse FILE     the collections and report lengths of a report descriptor\n"
                              "  device list        the present HID collections that the catalogue serves\n"
                              "  device info        read the information block of each served device\n"
                              "  device udev-rule   the udev rule for the devices of the catalogue\n"
                              "  device sync        connect to the keyboard as the program does and print its\n"
                              "                     key table, LED map and position maps\n"
                              "  device readback    read the keyboard's settings record into the profile\n"
                              "  light VERB         the keyboard's light record: show, set OPTIONS\n"
                              "  settings VERB      the keyboard's system settings: show, set OPTIONS\n"
                              "  profile VERB       the profiles of a kind (default keyboard): list, select N,\n"
                              "                     add, copy, delete, rename NAME, import FILE, export FILE,\n"
                              "                     reset\n"
                              "  key VERB           key assignments: name HEX, decode INT, encode HEX; and on\n"
                              "                     the keyboard: show, set POSITION HEX|NAME (NAME as key\n"
                              "                     name prints it, any case, or macro:NAME), default POSITION\n"
                              "  macro VERB         the macros of a kind (default keyboard): list, add,\n"
                              "                     rename I NAME, delete I, show I, import FILE, export I FILE,\n"
                              "                     write (send the macros to the keyboard)\n"
                              "\n"
                              "Exit status: 0 done, 1 refused or failed, 2 usage error.\n";

// The --kind option's lines: the kind names of the registry, wrapped at 80
// columns under the option's description column.
std::string KindOptionText() {
    const std::string indent(21, ' ');
    const std::string text =
        "the device kind to work on: " + ivra::KindNamesText() + " (selects the data folder and the device)";
    std::string lines = "  --kind NAME        ";
    size_t column = lines.size();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const bool first = column == indent.size();
        if (!first && column + 1 + word.size() > 80) {
            lines += "\n" + indent;
            column = indent.size();
        }
        if (column != indent.size()) {
            lines += ' ';
            ++column;
        }
        lines += word;
        column += word.size();
        start = end + 1;
    }
    return lines + "\n";
}

// The whole help text.
std::string HelpText() {
    return kHelpHead + KindOptionText() + kHelp;
}

bool TakeValue(const std::vector<std::string>& argv, size_t& i, std::string& value) {
    if (i + 1 >= argv.size()) return false;
    value = argv[++i];
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace ivra::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    GlobalOptions options;
    // Global options may stand anywhere; the rest is the noun, the verb and
    // their arguments.
    std::vector<std::string> words;
    bool help = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--debug") {
            options.debug = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--simulate" || arg == "--kind" || arg == "--data-dir") {
            if (!TakeValue(args, i, value)) {
                std::cerr << "ivractl: " << arg << " needs a value\n\n" << HelpText();
                return kExitUsage;
            }
            if (arg == "--simulate") options.simulate = value;
            if (arg == "--kind") options.kind = value;
            if (arg == "--data-dir") options.dataDir = value;
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) {
        if (help) {
            std::cout << HelpText();
            return kExitDone;
        }
        std::cerr << "ivractl: no command given\n\n" << HelpText();
        return kExitUsage;
    }
    if (options.debug) ivra::EnableDebugToStderr(true);

    const std::string noun = words.front();
    std::vector<std::string> rest(words.begin() + 1, words.end());
    if (help) rest.insert(rest.begin(), "--help");

    CommandContext context(options, std::cout, std::cerr);
    if (!options.kind.empty()) {
        bool known = false;
        for (const auto& row : context.Catalogue().Options()) {
            known = known || row.kindName == options.kind;
        }
        if (!known) {
            std::cerr << "ivractl: unknown kind \"" << options.kind << "\" (" << ivra::KindNamesText() << ")\n";
            return kExitUsage;
        }
    }

    if (noun == "hid") return RunHidCommand(context, rest);
    if (noun == "device") return RunDeviceCommand(context, rest);
    if (noun == "profile") return RunProfileCommand(context, rest);
    if (noun == "key") return RunKeyCommand(context, rest);
    if (noun == "macro") return RunMacroCommand(context, rest);
    if (noun == "light") return RunLightCommand(context, rest);
    if (noun == "settings") return RunSettingsCommand(context, rest);
    std::cerr << "ivractl: unknown command \"" << noun << "\"\n\n" << HelpText();
    return kExitUsage;
}
