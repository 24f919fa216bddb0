#include "discovery/CatalogueFile.h"

#include "base/ProductFolder.h"

#include <cstdlib>
#include <limits>
#include <optional>

#include "base/JsonHelpers.h"

namespace ivra {
namespace {

struct NamedCode {
    const char* name;
    uint16_t code;
};

constexpr NamedCode kKindNames[] = {
    {"keyboard", kind::kKeyboard},
    {"mouse", kind::kMouse},
    {"mousePad", kind::kMousePad},
    {"headset", kind::kHeadset},
    {"keyboardReceiver", kind::kKeyboardReceiver},
    {"mouseReceiver", kind::kMouseReceiver},
};

constexpr NamedCode kRoleNames[] = {{"command", kRoleCommand}, {"event", kRoleEvent}};

// Reads the fields of one row; the first fault is kept with its field name.
class RowReader {
public:
    RowReader(const Json::Value& row, std::string where) : row_(row), where_(std::move(where)) {
        if (!row_.isObject()) fault_ = where_ + ": not an object";
    }

    bool Ok() const { return fault_.empty(); }
    const std::string& Fault() const { return fault_; }

    // An integer, or its text (decimal or "0x…"), within [low, high].
    int32_t Number(const char* field, long long low, long long high) {
        const Json::Value* value = Field(field);
        if (value == nullptr) return 0;
        long long number = 0;
        if (value->isIntegral() && !value->isBool()) {
            number = value->isInt64() ? value->asInt64() : std::numeric_limits<long long>::max();
        } else if (value->isString()) {
            const std::string text = value->asString();
            char* end = nullptr;
            // "0x…" is hexadecimal, anything else decimal (a leading zero
            // does not make it octal).
            const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
            number = std::strtoll(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
            if (text.empty() || end == nullptr || *end != '\0') return Fail(field, "not a number");
        } else {
            return Fail(field, "not a number");
        }
        if (number < low || number > high) return Fail(field, "out of range");
        return static_cast<int32_t>(number);
    }

    std::string Text(const char* field) {
        const Json::Value* value = Field(field);
        if (value == nullptr) return {};
        if (!value->isString()) {
            Fail(field, "not a string");
            return {};
        }
        return value->asString();
    }

    template <size_t N>
    uint16_t Code(const char* field, const NamedCode (&names)[N]) {
        const std::string name = Text(field);
        if (!Ok()) return 0;
        for (const NamedCode& entry : names) {
            if (name == entry.name) return entry.code;
        }
        Fail(field, "unknown name \"" + name + "\"");
        return 0;
    }

    bool Has(const char* field) const { return row_.isObject() && row_.isMember(field); }
    const Json::Value& Member(const char* field) const { return MemberOf(row_, field); }

private:
    const Json::Value* Field(const char* field) {
        if (!Ok()) return nullptr;
        if (!row_.isMember(field)) {
            Fail(field, "missing");
            return nullptr;
        }
        return &row_[field];
    }

    int32_t Fail(const char* field, const std::string& why) {
        if (Ok()) fault_ = where_ + ", field \"" + field + "\": " + why;
        return 0;
    }

    const Json::Value& row_;
    std::string where_;
    std::string fault_;
};

constexpr long long kIdMax = 0xFFFF;
constexpr long long kIntMax = std::numeric_limits<int32_t>::max();

const Json::Value* ArrayOf(const Json::Value& root, const char* name, bool required, std::string& error) {
    const Json::Value& array = MemberOf(root, name);
    if (array.isNull() && !required) return nullptr;
    if (!array.isArray()) {
        error = std::string("\"") + name + "\": missing or not an array";
        return nullptr;
    }
    return &array;
}

std::string Where(const char* table, Json::ArrayIndex index) {
    return std::string(table) + " row " + std::to_string(index);
}

}  // namespace

bool ReadCatalogueRows(const Json::Value& root, bool user, size_t slotOffset, std::vector<DeviceSlot>& slots,
                       std::vector<DeviceOptionRow>& options, std::vector<DevicePageRow>& pages,
                       std::vector<UpdateItemRow>& updates, std::string& error) {
    if (!root.isObject()) {
        error = "not a JSON object";
        return false;
    }
    std::vector<DeviceSlot> newSlots;
    std::vector<DeviceOptionRow> newOptions;
    std::vector<DevicePageRow> newPages;
    std::vector<UpdateItemRow> newUpdates;

    const Json::Value* slotRows = ArrayOf(root, "slots", !user, error);
    if (!error.empty()) return false;
    const Json::ArrayIndex slotCount = slotRows != nullptr ? slotRows->size() : 0;
    for (Json::ArrayIndex i = 0; i < slotCount; ++i) {
        RowReader row((*slotRows)[i], Where("slots", i));
        DeviceSlot slot;
        slot.vendorId = static_cast<uint16_t>(row.Number("vendorId", 0, kIdMax));
        slot.productId = static_cast<uint16_t>(row.Number("productId", 0, kIdMax));
        slot.interfaceNumber = static_cast<uint16_t>(row.Number("interface", 0, kIdMax));
        slot.collectionNumber = static_cast<uint16_t>(row.Number("collection", 0, kIdMax));
        slot.kind = row.Code("kind", kKindNames);
        slot.role = row.Code("role", kRoleNames);
        slot.usagePage = static_cast<uint16_t>(row.Number("usagePage", 0, kIdMax));
        slot.usage = static_cast<uint16_t>(row.Number("usage", 0, kIdMax));
        if (row.Ok() && row.Has("partnerRow")) {
            const int32_t partner = row.Number("partnerRow", 0, static_cast<long long>(slotCount) - 1);
            slot.hasPartner = 1;
            slot.partnerIndex = static_cast<uint16_t>(static_cast<size_t>(partner) + slotOffset);
        }
        if (!row.Ok()) {
            error = row.Fault();
            return false;
        }
        newSlots.push_back(slot);
    }

    const Json::Value* optionRows = ArrayOf(root, "options", !user, error);
    if (!error.empty()) return false;
    const Json::ArrayIndex optionCount = optionRows != nullptr ? optionRows->size() : 0;
    for (Json::ArrayIndex i = 0; i < optionCount; ++i) {
        RowReader row((*optionRows)[i], Where("options", i));
        DeviceOptionRow option;
        option.optionXml = row.Text("optionXml");
        option.tabGroupName = row.Text("tabGroup");
        option.powerSwitchName = row.Text("powerSwitch");
        option.kindName = row.Text("kindName");
        option.modelIndex = row.Number("modelIndex", 0, kIntMax);
        option.vendorId = row.Number("vendorId", 0, kIdMax);
        option.productId = row.Number("productId", 0, kIdMax);
        option.kind = row.Code("kind", kKindNames);
        option.variant = row.Number("variant", 0, kIntMax);
        RowReader page(row.Member("page"), Where("options", i) + ", page");
        DevicePageRow pageRow;
        if (row.Ok()) {
            pageRow.ledCount = page.Number("ledCount", 0, kIntMax);
            pageRow.keyCount = page.Number("keyCount", 0, kIntMax);
            pageRow.batteryPowered = page.Number("batteryPowered", 0, 1);
            pageRow.indicatorLed = page.Number("indicatorLed", -1, kIntMax);
            pageRow.pageXml = page.Text("pageXml");
            pageRow.lightControlName = page.Text("lightControl");
        }
        if (!row.Ok() || !page.Ok()) {
            error = !row.Ok() ? row.Fault() : page.Fault();
            return false;
        }
        newOptions.push_back(std::move(option));
        newPages.push_back(std::move(pageRow));
    }

    if (!user) {
        const Json::Value* updateRows = ArrayOf(root, "updateItems", true, error);
        if (!error.empty()) return false;
        for (Json::ArrayIndex i = 0; i < updateRows->size(); ++i) {
            RowReader row((*updateRows)[i], Where("updateItems", i));
            UpdateItemRow update;
            update.versionFormat = row.Number("versionFormat", 0, kIntMax);
            update.appKeyNumber = row.Number("appKeyNumber", 0, kIntMax);
            update.currentVersion = row.Number("currentVersion", 0, kIntMax);
            update.brand = row.Text("brand");
            update.modelCode = row.Text("modelCode");
            update.productName = row.Text("productName");
            update.displayName = row.Text("displayName");
            update.versionLabel = row.Text("versionLabel");
            if (!row.Ok()) {
                error = row.Fault();
                return false;
            }
            newUpdates.push_back(std::move(update));
        }
    }

    slots.insert(slots.end(), newSlots.begin(), newSlots.end());
    options.insert(options.end(), newOptions.begin(), newOptions.end());
    pages.insert(pages.end(), newPages.begin(), newPages.end());
    updates.insert(updates.end(), newUpdates.begin(), newUpdates.end());
    return true;
}

CatalogueLoad LoadDeviceCatalogue(const std::filesystem::path& programFolder,
                                  const std::filesystem::path& configFolder) {
    const DeviceCatalogue& builtIn = DeviceCatalogue::Shipped();
    std::vector<DeviceSlot> slots = builtIn.Slots();
    std::vector<DeviceOptionRow> options = builtIn.Options();
    std::vector<DevicePageRow> pages = builtIn.Pages();
    std::vector<UpdateItemRow> updates = builtIn.UpdateItems();
    CatalogueSource shipped = CatalogueSource::kBuiltIn;
    std::vector<std::string> errors;

    // Read without the JSON reader's trace line, so a run's debug output
    // stays what it was before the catalogue became a file.
    auto readFile = [&errors](const std::filesystem::path& path, Json::Value& root) {
        std::string text;
        std::string error;
        bool missing = false;
        if (!ReadRegularFileText(path, kMaxJsonFileBytes, text, error, &missing)) {
            if (!missing) errors.push_back(path.string() + ": " + error);
            return false;
        }
        bool parsed = false;
        root = ParseJson(text, &parsed, &error);
        if (!parsed) {
            errors.push_back(path.string() + ": " + (text.empty() ? "empty file" : error));
            return false;
        }
        return true;
    };

    Json::Value root;
    if (!programFolder.empty() && readFile(programFolder / "DefaultData" / kCatalogueFileName, root)) {
        std::vector<DeviceSlot> fileSlots;
        std::vector<DeviceOptionRow> fileOptions;
        std::vector<DevicePageRow> filePages;
        std::vector<UpdateItemRow> fileUpdates;
        std::string error;
        if (ReadCatalogueRows(root, false, 0, fileSlots, fileOptions, filePages, fileUpdates, error)) {
            slots = std::move(fileSlots);
            options = std::move(fileOptions);
            pages = std::move(filePages);
            updates = std::move(fileUpdates);
            shipped = CatalogueSource::kShippedFile;
        } else {
            errors.push_back((programFolder / "DefaultData" / kCatalogueFileName).string() + ": " + error +
                             " (the built-in rows stay in effect)");
        }
    }

    const size_t firstUserSlot = slots.size();
    const size_t firstUserOption = options.size();
    if (!configFolder.empty() && readFile(configFolder / kCatalogueFileName, root)) {
        std::string error;
        if (!ReadCatalogueRows(root, true, slots.size(), slots, options, pages, updates, error)) {
            errors.push_back((configFolder / kCatalogueFileName).string() + ": " + error +
                             " (the file's rows are not used)");
        }
    }

    CatalogueLoad load{DeviceCatalogue(std::move(slots), std::move(options), std::move(pages), std::move(updates)),
                       shipped, firstUserSlot, firstUserOption, std::move(errors)};
    return load;
}

std::filesystem::path UserConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path root;
    if (config != nullptr && *config != '\0') {
        root = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') return {};
        root = std::filesystem::path(home) / ".config";
    }
    return root / kProductFolderName;
}

}  // namespace ivra
