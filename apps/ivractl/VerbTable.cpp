#include "VerbTable.h"

#include <algorithm>
#include <ostream>

namespace ivra::cli {
namespace {

constexpr std::size_t kVerbIndent = 2;
constexpr std::size_t kOptionIndent = 4;

// Appends `label` at `indent` and the description's lines at `column`, the
// first one on the label's line, at least two spaces after it. A
// description that begins with a line break starts under the label (for
// labels too long to leave room on their line).
void AppendEntry(std::string& text, std::size_t indent, std::string_view label, std::string_view description,
                 std::size_t column) {
    std::string line(indent, ' ');
    line += label;
    if (description.starts_with('\n')) {
        text += line;
        line.clear();
    } else {
        line.append(std::max(column, line.size() + 2) - line.size(), ' ');
    }
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = description.find('\n', begin);
        line += description.substr(begin, end == std::string_view::npos ? end : end - begin);
        text += line + '\n';
        if (end == std::string_view::npos) break;
        begin = end + 1;
        line.assign(column, ' ');
    }
}

}  // namespace

std::string VerbHelpText(const VerbTable& table) {
    std::string text(table.head);
    for (const Verb& verb : table.verbs) {
        if (verb.listing == VerbListing::kUnlisted) continue;
        std::string label(verb.name);
        if (!verb.arguments.empty()) label += " " + std::string(verb.arguments);
        AppendEntry(text, kVerbIndent, label, verb.description, table.descriptionColumn);
        for (const VerbOption& option : verb.options) {
            AppendEntry(text, kOptionIndent, option.name, option.description, table.descriptionColumn);
        }
    }
    return text + std::string(table.tail);
}

int RunVerb(CommandContext& context, const VerbTable& table, const std::vector<std::string>& args) {
    const std::string noun(table.noun);
    if (args.empty()) return UsageError(context, noun + ": " + std::string(table.noVerbError), table);
    if (args[0] == "--help") {
        context.Out() << VerbHelpText(table);
        return kExitDone;
    }
    for (const Verb& verb : table.verbs) {
        if (verb.name == args[0]) return verb.run(context, args);
    }
    const std::string unknown =
        table.unknownVerbError.empty() ? "unknown verb \"" + args[0] + "\"" : std::string(table.unknownVerbError);
    return UsageError(context, noun + ": " + unknown, table);
}

int UsageError(CommandContext& context, const std::string& message, const VerbTable& table) {
    return UsageError(context, message, VerbHelpText(table).c_str());
}

}  // namespace ivra::cli
