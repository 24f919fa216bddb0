// ivractl hid parse FILE | hid list
#include <cctype>
#include <cstdio>
#include <map>
#include <ostream>

#include <json/json.h>

#include "CommandContext.h"
#include "hid/HidReportDescriptor.h"
#include "base/JsonHelpers.h"
#include "VerbTable.h"

namespace ivra::cli {
namespace {

int RunListVerb(CommandContext& context, const std::vector<std::string>& args);
int RunParseVerb(CommandContext& context, const std::vector<std::string>& args);

constexpr Verb kHidVerbList[] = {
    {"list", "",
     "every HID node (hidraw, or the simulated ones with --simulate):\n"
     "vendor and product id, interface, and each top-level collection\n"
     "with its number, usage page and usage - what a catalogue row of an\n"
     "unknown device needs. With --json: {\"nodes\":[{\"node\":PATH,\n"
     "\"vendorId\":N,\"productId\":N,\"interface\":N,\"collections\":\n"
     "[{\"collection\":N,\"usagePage\":N,\"usage\":N}]}]}",
     RunListVerb},
    {"parse", "FILE", "a report descriptor, as follows.", RunParseVerb},
};

constexpr VerbTable kHidVerbs{
    .noun = "hid",
    .head = "Usage: ivractl hid VERB\n\n",
    .descriptionColumn = 14,
    .verbs = kHidVerbList,
    .tail = "\n"
            "Parses a HID report descriptor (hex text such as \"05 01 09 06 ...\", or the raw\n"
            "bytes) and prints its top-level collections with the report ids and byte lengths\n"
            "of each report kind (lengths count the report id byte; id 0 = unnumbered).\n"
            "With --json: {\"collections\":[{\"index\":N,\"usagePage\":N,\"usage\":N,\n"
            "\"input\":[{\"id\":N,\"bytes\":N}],\"output\":[...],\"feature\":[...]}]}\n",
    .noVerbError = "missing verb",
};

constexpr size_t kMaxDescriptorFile = 1 << 20;

bool LooksLikeHexText(const std::string& text) {
    for (unsigned char c : text) {
        if (!std::isxdigit(c) && !std::isspace(c) && c != ',' && c != 'x' && c != 'X') return false;
    }
    return true;
}

bool ParseHexText(const std::string& text, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    std::string digits;
    auto flush = [&]() -> bool {
        if (digits.empty()) return true;
        if (digits.size() > 2) {
            error = "\"" + digits + "\" is not one byte";
            return false;
        }
        out.push_back(static_cast<uint8_t>(std::stoul(digits, nullptr, 16)));
        digits.clear();
        return true;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == 'x' || c == 'X') && digits == "0") {
            digits.clear();  // "0x" prefix
        } else if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits.push_back(c);
        } else if (!flush()) {
            return false;
        }
    }
    return flush();
}

bool LoadDescriptorFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::string content;
    std::string why;
    if (!ReadRegularFileText(path, kMaxDescriptorFile, content, why)) {
        error = "cannot read " + path + ": " + why;
        return false;
    }
    if (!content.empty() && LooksLikeHexText(content)) {
        if (!ParseHexText(content, bytes, error)) {
            error = path + ": " + error;
            return false;
        }
        return true;
    }
    bytes.assign(content.begin(), content.end());
    return true;
}

const char* const kKindNames[kHidReportKindCount] = {"input", "output", "feature"};

void PrintText(std::ostream& out, const HidReportDescriptor& descriptor) {
    const bool single = descriptor.collections.size() == 1;
    for (const HidTopLevelCollection& collection : descriptor.collections) {
        char line[96];
        std::snprintf(line, sizeof line, "collection %u: usage page 0x%04X, usage 0x%04X",
                      single ? 0u : collection.index, collection.usagePage, collection.usage);
        out << line << "\n";
        for (int k = 0; k < kHidReportKindCount; ++k) {
            const auto& reports = collection.reports[k];
            out << "  " << kKindNames[k] << ":";
            if (reports.empty()) out << " none";
            for (size_t r = 0; r < reports.size(); ++r) {
                out << (r == 0 ? " " : ", ") << "id " << unsigned(reports[r].id) << " (" << reports[r].bytes
                    << " bytes)";
            }
            out << "\n";
        }
    }
}

void PrintJson(std::ostream& out, const HidReportDescriptor& descriptor) {
    Json::Value root(Json::objectValue);
    Json::Value& list = root["collections"] = Json::Value(Json::arrayValue);
    const bool single = descriptor.collections.size() == 1;
    for (const HidTopLevelCollection& collection : descriptor.collections) {
        Json::Value item(Json::objectValue);
        item["index"] = single ? 0u : collection.index;
        item["usagePage"] = collection.usagePage;
        item["usage"] = collection.usage;
        for (int k = 0; k < kHidReportKindCount; ++k) {
            Json::Value& reports = item[kKindNames[k]] = Json::Value(Json::arrayValue);
            for (const HidReportSize& report : collection.reports[k]) {
                Json::Value entry(Json::objectValue);
                entry["id"] = report.id;
                entry["bytes"] = report.bytes;
                reports.append(entry);
            }
        }
        list.append(item);
    }
    WriteJsonLine(out, root);
}

// The node part of an entry's path: what stands before the markers.
std::string NodeOf(const std::string& path) {
    return path.substr(0, path.find('#'));
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFFu);
    return text;
}

int ListNodes(CommandContext& context) {
    IHidBackend* backend = context.Backend();
    if (backend == nullptr) return kExitFailed;
    std::vector<HidInterfaceEntry> entries;
    if (!backend->Enumerate(entries)) {
        context.Err() << "ivractl: the HID devices could not be listed\n";
        return kExitFailed;
    }
    // Collections of one node together, nodes in the order they were found.
    std::vector<std::string> order;
    std::map<std::string, std::vector<const HidInterfaceEntry*>> byNode;
    for (const HidInterfaceEntry& entry : entries) {
        const std::string node = NodeOf(entry.path);
        if (byNode.find(node) == byNode.end()) order.push_back(node);
        byNode[node].push_back(&entry);
    }
    if (context.Options().json) {
        Json::Value root(Json::objectValue);
        Json::Value& nodes = root["nodes"] = Json::Value(Json::arrayValue);
        for (const std::string& node : order) {
            const HidInterfaceEntry& first = *byNode[node].front();
            Json::Value item(Json::objectValue);
            item["node"] = node;
            item["vendorId"] = first.attributes.vendorId;
            item["productId"] = first.attributes.productId;
            item["interface"] = first.interfaceNumber;
            Json::Value& collections = item["collections"] = Json::Value(Json::arrayValue);
            for (const HidInterfaceEntry* entry : byNode[node]) {
                Json::Value collection(Json::objectValue);
                collection["collection"] = entry->collectionNumber;
                collection["usagePage"] = entry->usagePage;
                collection["usage"] = entry->usage;
                collections.append(collection);
            }
            nodes.append(item);
        }
        WriteJsonLine(context.Out(), root);
        return kExitDone;
    }
    if (order.empty()) context.Out() << "no HID devices\n";
    for (const std::string& node : order) {
        const HidInterfaceEntry& first = *byNode[node].front();
        context.Out() << node << "  " << Hex4(first.attributes.vendorId) << ":" << Hex4(first.attributes.productId)
                      << "  interface " << first.interfaceNumber << "\n";
        for (const HidInterfaceEntry* entry : byNode[node]) {
            context.Out() << "  collection " << entry->collectionNumber << "  usage page 0x" << Hex4(entry->usagePage)
                          << "  usage 0x" << Hex4(entry->usage) << "\n";
        }
    }
    return kExitDone;
}

int RunListVerb(CommandContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError(context, "hid list: takes no arguments", kHidVerbs);
    return ListNodes(context);
}

int RunParseVerb(CommandContext& context, const std::vector<std::string>& args) {
    if (args.size() != 2) return UsageError(context, "hid parse: expects one FILE", kHidVerbs);

    std::vector<uint8_t> bytes;
    std::string error;
    if (!LoadDescriptorFile(args[1], bytes, error)) {
        context.Err() << "ivractl: " << error << "\n";
        return kExitFailed;
    }
    HidReportDescriptor descriptor;
    if (!ParseReportDescriptor(bytes.data(), bytes.size(), descriptor, &error)) {
        context.Err() << "ivractl: " << args[1] << ": not a valid report descriptor: " << error << "\n";
        return kExitFailed;
    }
    if (context.Options().json) {
        PrintJson(context.Out(), descriptor);
    } else {
        PrintText(context.Out(), descriptor);
    }
    return kExitDone;
}

}  // namespace

int RunHidCommand(CommandContext& context, const std::vector<std::string>& args) {
    return RunVerb(context, kHidVerbs, args);
}

}  // namespace ivra::cli
