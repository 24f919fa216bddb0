// The verbs of one ivractl noun in one table: the noun's help is printed
// from it and its verbs are dispatched through it, so the verbs the help
// lists and the verbs that run are the same.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CommandContext.h"

namespace ivra::cli {

// An option line under a verb in the help: "--speed N" and what it sets.
struct VerbOption {
    std::string_view name;
    std::string_view description;
};

// Whether a verb has lines in its noun's help. The keyboard verbs of the
// device and key nouns are described by the main help only.
enum class VerbListing { kListed, kUnlisted };

// Runs one verb; args[0] is the verb, the rest are its arguments.
using VerbFunction = int (*)(CommandContext& context, const std::vector<std::string>& args);

struct Verb {
    std::string_view name;
    std::string_view arguments;    // the arguments as the help shows them, "" for none
    std::string_view description;  // its lines in the help, separated by '\n'
    VerbFunction run = nullptr;
    std::span<const VerbOption> options = {};  // listed under the description
    VerbListing listing = VerbListing::kListed;
};

struct VerbTable {
    std::string_view noun;
    std::string_view head;          // the help before the verbs: the usage line and a blank line
    std::size_t descriptionColumn;  // the column the verbs' and options' descriptions start at
    std::span<const Verb> verbs;
    std::string_view tail = {};                      // the help after the verbs
    std::string_view noVerbError = "no verb given";  // the usage error when no verb is given
    // The usage error for a verb the table does not have; empty gives
    // `unknown verb "VERB"`.
    std::string_view unknownVerbError = {};
};

// The noun's help: the head, the lines of each listed verb, the tail.
std::string VerbHelpText(const VerbTable& table);

// "--help" prints the noun's help, a verb of the table runs, no verb or an
// unknown one is a usage error.
int RunVerb(CommandContext& context, const VerbTable& table, const std::vector<std::string>& args);

// A usage error of one of the table's verbs: the message and the noun's help.
int UsageError(CommandContext& context, const std::string& message, const VerbTable& table);

}  // namespace ivra::cli
