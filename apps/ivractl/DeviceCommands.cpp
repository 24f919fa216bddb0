// ivractl device list | info
#include <cstdio>
#include <ostream>

#include <json/json.h>

#include "CommandContext.h"
#include "discovery/UdevRule.h"
#include "KeyboardCommands.h"
#include "OpenFailureText.h"
#include "services/DeviceService.h"
#include "VerbTable.h"

namespace ivra::cli {
namespace {

int ListDevices(CommandContext& context, const std::vector<std::string>& args);
int ShowInfo(CommandContext& context, const std::vector<std::string>& args);
int PrintUdevRule(CommandContext& context, const std::vector<std::string>& args);
int RunWatchVerb(CommandContext& context, const std::vector<std::string>& args);
int RunSyncVerb(CommandContext& context, const std::vector<std::string>& args);
int RunReadBackVerb(CommandContext& context, const std::vector<std::string>& args);

constexpr Verb kDeviceVerbList[] = {
    {"list", "",
     "every present HID collection that the catalogue serves: slot index,\n"
     "kind, vendor and product id, interface, collection, usage page and\n"
     "usage, path",
     ListDevices},
    {"info", "",
     "for each served command collection: begin a session, read the\n"
     "34-byte information block, end the session, and print the block",
     ShowInfo},
    {"udev-rule", "",
     "print the udev rule that gives the user of the active seat\n"
     "access to the devices of the catalogue in use (install it as\n"
     "/etc/udev/rules.d/70-ivra-wireless-manager.rules)",
     PrintUdevRule},
    {"watch", "",
     "print devices arriving and leaving, link changes and device events\n"
     "as they happen, until Ctrl+C (device watch --help)",
     RunWatchVerb},
    {"sync", "", "", RunSyncVerb, {}, VerbListing::kUnlisted},
    {"readback", "", "", RunReadBackVerb, {}, VerbListing::kUnlisted},
};

constexpr VerbTable kDeviceVerbs{
    .noun = "device",
    .head = "Usage: ivractl device VERB\n\n",
    .descriptionColumn = 9,
    .verbs = kDeviceVerbList,
    .tail = "\n--kind NAME limits both to one kind of device; --simulate uses simulated ones.\n",
    .noVerbError = "missing verb",
};

struct ServedCollection {
    HidInterfaceEntry entry;
    int slotRow = -1;
    const DeviceSlot* slot = nullptr;
    std::string kindName;  // the option row's name, "" when no page serves it
};

std::string Hex(unsigned value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", width, value);
    return text;
}

// The present collections that match a slot row, in enumeration order.
bool FindServed(CommandContext& context, std::vector<ServedCollection>& served, size_t& seen) {
    IHidBackend* backend = context.Backend();
    if (backend == nullptr) return false;
    std::vector<HidInterfaceEntry> entries;
    if (!backend->Enumerate(entries)) {
        context.Err() << "ivractl: the HID devices could not be listed\n";
        return false;
    }
    seen = entries.size();
    const DeviceCatalogue& catalogue = context.Catalogue();
    for (HidInterfaceEntry& entry : entries) {
        const int row =
            catalogue.FindSlotRowByUsage(entry.attributes.vendorId, entry.attributes.productId, entry.collectionNumber,
                                         entry.interfaceNumber, entry.usagePage, entry.usage);
        if (row < 0) continue;
        ServedCollection item;
        item.slotRow = row;
        item.slot = &catalogue.Slots()[static_cast<size_t>(row)];
        const int option = catalogue.OptionRowForSlot(row);
        if (option >= 0) item.kindName = catalogue.Options()[static_cast<size_t>(option)].kindName;
        if (!context.Options().kind.empty() && item.kindName != context.Options().kind) continue;
        item.entry = std::move(entry);
        served.push_back(std::move(item));
    }
    return true;
}

void SayNoDevice(CommandContext& context, size_t seen) {
    context.Out() << "No supported device found";
    if (!context.Options().kind.empty()) context.Out() << " of kind " << context.Options().kind;
    context.Out() << " (" << seen << " HID collection" << (seen == 1 ? "" : "s") << " present, none of them served).\n";
}

int ListDevices(CommandContext& context, const std::vector<std::string>& /*args*/) {
    std::vector<ServedCollection> served;
    size_t seen = 0;
    if (!FindServed(context, served, seen)) return kExitFailed;

    if (context.Options().json) {
        Json::Value root(Json::objectValue);
        Json::Value& list = root["devices"] = Json::Value(Json::arrayValue);
        for (const ServedCollection& item : served) {
            Json::Value device(Json::objectValue);
            device["slot"] = item.slotRow;
            device["kind"] = item.slot->kind;
            device["kindName"] = item.kindName;
            device["vendorId"] = item.entry.attributes.vendorId;
            device["productId"] = item.entry.attributes.productId;
            device["interface"] = item.entry.interfaceNumber;
            device["collection"] = item.entry.collectionNumber;
            device["usagePage"] = item.entry.usagePage;
            device["usage"] = item.entry.usage;
            device["role"] = item.slot->role == kRoleEvent ? "event" : "command";
            device["path"] = item.entry.path;
            list.append(device);
        }
        WriteJsonLine(context.Out(), root);
        return kExitDone;
    }
    if (served.empty()) {
        SayNoDevice(context, seen);
        return kExitDone;
    }
    for (const ServedCollection& item : served) {
        context.Out() << "slot " << item.slotRow << "  " << KindName(item.slot->kind)
                      << (item.kindName.empty() ? "" : " (" + item.kindName + ")") << "  "
                      << Hex(item.entry.attributes.vendorId, 4) << ":" << Hex(item.entry.attributes.productId, 4)
                      << "  interface " << item.entry.interfaceNumber << "  collection " << item.entry.collectionNumber
                      << "  usage " << Hex(item.entry.usagePage, 4) << ":" << Hex(item.entry.usage, 4) << "  "
                      << (item.slot->role == kRoleEvent ? "event" : "command") << "  " << item.entry.path << "\n";
    }
    return kExitDone;
}

void ExplainOpenFailure(CommandContext& context, const std::string& path, HidOpenError error) {
    context.Err() << "ivractl: " << OpenFailureText(path, error) << "\n";
}

// Opens the collection the way discovery does for its kind, then reads the
// information block in one session.
int ReadInfo(CommandContext& context, DeviceService& devices, const ServedCollection& item, Json::Value& json) {
    const InfoBlockReading reading = devices.ReadInformationBlock(item.entry.path, item.slot->kind);
    if (reading.status == InfoBlockStatus::kOpenFailed) {
        ExplainOpenFailure(context, item.entry.path, reading.openError);
        return kExitFailed;
    }
    if (reading.status != InfoBlockStatus::kRead) {
        const int failed = reading.resultCode;
        context.Err() << "ivractl: " << item.entry.path << ": " << DescribeResult(failed) << " (" << failed << ")\n";
        return kExitFailed;
    }
    std::string hex;
    for (size_t i = 0; i < reading.block.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", reading.block[i]);
        if (i != 0) hex += ' ';
        hex += byte;
    }
    if (context.Options().json) {
        Json::Value device(Json::objectValue);
        device["slot"] = item.slotRow;
        device["kindName"] = item.kindName;
        device["path"] = item.entry.path;
        device["versionNumber"] = reading.versionNumber;
        device["infoBlock"] = hex;
        json.append(device);
    } else {
        context.Out() << "slot " << item.slotRow << "  " << item.entry.path << "\n"
                      << "  version " << Hex(reading.versionNumber, 4) << "\n"
                      << "  information block: " << hex << "\n";
    }
    return kExitDone;
}

int ShowInfo(CommandContext& context, const std::vector<std::string>& /*args*/) {
    std::vector<ServedCollection> served;
    size_t seen = 0;
    if (!FindServed(context, served, seen)) return kExitFailed;
    DeviceService devices(context.Catalogue(), context.Backend());
    int status = kExitDone;
    int commandCollections = 0;
    Json::Value json(Json::arrayValue);
    for (const ServedCollection& item : served) {
        if (item.slot->role != kRoleCommand) continue;
        ++commandCollections;
        if (ReadInfo(context, devices, item, json) != kExitDone) status = kExitFailed;
    }
    if (commandCollections == 0) {
        SayNoDevice(context, seen);
        return kExitFailed;
    }
    if (context.Options().json) {
        Json::Value root(Json::objectValue);
        root["devices"] = json;
        WriteJsonLine(context.Out(), root);
    }
    return status;
}

int PrintUdevRule(CommandContext& context, const std::vector<std::string>& /*args*/) {
    context.Out() << UdevRuleText(context.Catalogue());
    return kExitDone;
}

int RunWatchVerb(CommandContext& context, const std::vector<std::string>& args) {
    return RunDeviceWatch(context, std::vector<std::string>(args.begin() + 1, args.end()));
}

int RunSyncVerb(CommandContext& context, const std::vector<std::string>& /*args*/) {
    return RunDeviceSync(context);
}

int RunReadBackVerb(CommandContext& context, const std::vector<std::string>& /*args*/) {
    return RunDeviceReadBack(context);
}

}  // namespace

int RunDeviceCommand(CommandContext& context, const std::vector<std::string>& args) {
    // Only watch takes arguments. Extra words are refused before the verb is
    // looked up, so an unknown verb with arguments is told about those.
    if (args.size() > 1 && args[0] != "--help" && args[0] != "watch") {
        return UsageError(context, "device " + args[0] + ": unexpected argument \"" + args[1] + "\"", kDeviceVerbs);
    }
    return RunVerb(context, kDeviceVerbs, args);
}

}  // namespace ivra::cli
