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

namespace {

constexpr const char* kHelp = "Usage: ivractl [global options] NOUN VERB [arguments]\n"
                              "\n"
                              "Global options:\n"
                              "  --simulate KINDS   use simulated devices instead of real ones: a comma list\n"
                              "                     of KIND or KIND:FILE (FILE: device state and faults, JSON)\n"
                              "  --kind NAME        the device kind to work on: keyboard, keyboard_7210, mouse,\n"
                              "                     MousePad or HD (selects the data folder and the device)\n"
                              "  --data-dir DIR     the per-user data root\n"
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
                              "                     the keyboard: show, set POSITION HEX, default POSITION\n"
                              "  macro VERB         the macros of a kind (default keyboard): list, add,\n"
                              "                     rename I NAME, delete I, show I, import FILE, export I FILE,\n"
                              "                     write (send the macros to the keyboard)\n"
                              "\n"
                              "Exit status: 0 done, 1 refused or failed, 2 usage error.\n";

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
                std::cerr << "ivractl: " << arg << " needs a value\n\n" << kHelp;
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
            std::cout << kHelp;
            return kExitDone;
        }
        std::cerr << "ivractl: no command given\n\n" << kHelp;
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
            std::cerr << "ivractl: unknown kind \"" << options.kind
                      << "\" (keyboard, keyboard_7210, mouse, MousePad or HD)\n";
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
    std::cerr << "ivractl: unknown command \"" << noun << "\"\n\n" << kHelp;
    return kExitUsage;
}
