// ivractl key name HEX | decode INT | encode HEX
//
// Converts key assignments between their three bytes (HEX: "100100",
// "0x100100" or "10 01 00") and the integer the profile files keep, and
// names them in English as the key tooltips would. --kind selects the
// keyboard or mouse naming and the macro list that names macro keys.
#include <charconv>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "CommandContext.h"
#include "KeyboardCommands.h"
#include "models/keys/Assignment.h"
#include "models/keys/AssignmentName.h"
#include "models/keys/EnglishKeyNames.h"
#include "models/keys/MacroList.h"
#include "models/profile/DataLocations.h"
#include "VerbTable.h"

namespace ivra::cli {
namespace {

int ConvertAssignment(CommandContext& context, const std::vector<std::string>& args);
int RunKeyboardVerb(CommandContext& context, const std::vector<std::string>& args);

constexpr Verb kKeyVerbList[] = {
    {"name", "HEX", "the assignment's name in English (--json adds the language keys)", ConvertAssignment},
    {"decode", "INT", "the three bytes of an assignment integer from a profile file", ConvertAssignment},
    {"encode", "HEX", "the integer a profile file keeps for the three bytes", ConvertAssignment},
    {"show", "", "", RunKeyboardVerb, {}, VerbListing::kUnlisted},
    {"set", "POSITION HEX|NAME", "", RunKeyboardVerb, {}, VerbListing::kUnlisted},
    {"default", "POSITION", "", RunKeyboardVerb, {}, VerbListing::kUnlisted},
};

constexpr VerbTable kKeyVerbs{
    .noun = "key",
    .head = "Usage: ivractl [--kind NAME] [--data-dir DIR] [--json] key VERB ARGUMENT\n\n",
    .descriptionColumn = 17,
    .verbs = kKeyVerbList,
    .tail = "\n"
            "HEX is the three bytes type, byte 1, byte 2: \"100100\", \"0x100100\" or\n"
            "\"10 01 00\". The kind (default keyboard) selects the keyboard or mouse naming\n"
            "and the macro list that names macro keys (types 70 and 71).\n",
};

constexpr int kLargestAssignment = 0xFFFFFF;

std::optional<int> ParseHexDigits(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    for (char c : text) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int> ParseAssignmentInt(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > kLargestAssignment) {
        return std::nullopt;
    }
    return value;
}

Json::Value AssignmentJson(Assignment assignment) {
    Json::Value root(Json::objectValue);
    root["assignment"] = FormatAssignment(assignment);
    root["integer"] = AssignmentToInt(assignment);
    root["type"] = assignment.type;
    root["byte1"] = assignment.byte1;
    root["byte2"] = assignment.byte2;
    return root;
}

// The kind's macro names, for naming macro keys.
std::vector<std::string> MacroNames(CommandContext& context, const std::string& kindName) {
    std::string error;
    const std::filesystem::path folder = EnsureKindDataFolder(UserDataRoot(context.Options().dataDir), kindName, error);
    if (folder.empty()) {
        context.Err() << "ivractl: " << error << "\n";
        return {};
    }
    MacroList macros(folder);
    if (MacroListResult loaded = macros.Load(); !loaded) context.Err() << "ivractl: " << loaded.reason << "\n";
    return macros.Names();
}

int NameAssignment(CommandContext& context, Assignment assignment) {
    const std::string kindName = context.Options().kind.empty() ? "keyboard" : context.Options().kind;
    const KeyDeviceFamily family = kindName == "mouse" ? KeyDeviceFamily::kMouse : KeyDeviceFamily::kKeyboard;
    std::vector<std::string> macroNames;
    if (IsMacroAssignment(assignment)) macroNames = MacroNames(context, kindName);
    const AssignmentNameText name = AssignmentName(assignment, macroNames, family);
    if (name.Empty()) {
        context.Err() << "ivractl: the assignment " << FormatAssignment(assignment) << " has no name\n";
        return kExitFailed;
    }
    const std::string text = name.Resolve([](std::string_view key) {
        const std::string_view english = EnglishKeyText(key);
        return std::string(english.empty() ? key : english);
    });
    if (context.Options().json) {
        Json::Value root = AssignmentJson(assignment);
        root["name"] = text;
        root["languageKeys"] = Json::Value(Json::arrayValue);
        for (const std::string& key : name.languageKeys) root["languageKeys"].append(key);
        WriteJsonLine(context.Out(), root);
    } else {
        context.Out() << text << "\n";
    }
    return kExitDone;
}

}  // namespace

std::optional<Assignment> ParseThreeByteHex(std::string_view text) {
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
    if (digits.find_first_of(" :") == std::string_view::npos && digits.size() != 6) return std::nullopt;
    return ParseAssignmentHex(text);
}

std::optional<Assignment> ParseAssignmentHex(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.find_first_of(" :") == std::string_view::npos) {
        const std::optional<int> value = ParseHexDigits(text, 6);
        if (!value) return std::nullopt;
        return IntToAssignment(*value);
    }
    // Three groups of one or two hex digits.
    std::vector<int> bytes;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(" :", start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) {
            const std::optional<int> byte = ParseHexDigits(text.substr(start, end - start), 2);
            if (!byte) return std::nullopt;
            bytes.push_back(*byte);
        }
        start = end + 1;
    }
    if (bytes.size() != 3) return std::nullopt;
    return Assignment{static_cast<uint8_t>(bytes[0]), static_cast<uint8_t>(bytes[1]), static_cast<uint8_t>(bytes[2])};
}

namespace {

int RunKeyboardVerb(CommandContext& context, const std::vector<std::string>& args) {
    return RunKeyboardKeyVerb(context, args, kKeyVerbs);
}

// key name HEX | decode INT | encode HEX
int ConvertAssignment(CommandContext& context, const std::vector<std::string>& args) {
    const std::string& verb = args.front();
    if (args.size() != 2) return UsageError(context, "key " + verb + ": needs one argument", kKeyVerbs);
    const std::string& argument = args[1];

    if (verb == "decode") {
        const std::optional<int> value = ParseAssignmentInt(argument);
        if (!value) {
            return UsageError(context, "key decode: \"" + argument + "\" is not an integer from 0 to 16777215",
                              kKeyVerbs);
        }
        const Assignment assignment = IntToAssignment(*value);
        if (context.Options().json) {
            WriteJsonLine(context.Out(), AssignmentJson(assignment));
        } else {
            context.Out() << FormatAssignment(assignment) << "\n";
        }
        return kExitDone;
    }

    const std::optional<Assignment> assignment = ParseAssignmentHex(argument);
    if (!assignment) {
        return UsageError(context, "key " + verb + ": \"" + argument + "\" is not three bytes in hex", kKeyVerbs);
    }
    if (verb == "name") return NameAssignment(context, *assignment);
    if (context.Options().json) {
        WriteJsonLine(context.Out(), AssignmentJson(*assignment));
    } else {
        context.Out() << AssignmentToInt(*assignment) << "\n";
    }
    return kExitDone;
}

}  // namespace

int RunKeyCommand(CommandContext& context, const std::vector<std::string>& args) {
    return RunVerb(context, kKeyVerbs, args);
}

}  // namespace ivra::cli
