// The device catalogue as data: DefaultData/catalogue.json in the program
// folder holds the rows the product ships, and catalogue.json in the user's
// settings folder adds rows of the user's own. A file that cannot be used is
// reported row by row and field by field and leaves the rows before it in
// effect; the built-in tables stay the fallback.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "discovery/DeviceCatalogue.h"

namespace ivra {

constexpr const char* kCatalogueFileName = "catalogue.json";

// Where the rows of a loaded catalogue came from.
enum class CatalogueSource {
    kBuiltIn,      // the tables compiled into the program
    kShippedFile,  // DefaultData/catalogue.json
    kUserFile,     // the settings folder's catalogue.json
};

struct CatalogueLoad {
    DeviceCatalogue catalogue;
    CatalogueSource shipped = CatalogueSource::kBuiltIn;  // where the shipped rows came from
    // The first user row of each table (equal to the size when the user
    // added none): rows from here on came from the user's file.
    size_t firstUserSlot = 0;
    size_t firstUserOption = 0;
    std::vector<std::string> errors;  // one line each, naming the file, row and field
};

// Reads the rows of a catalogue document. `user` documents hold slot and
// option rows only (update items stay the product's). A row's "partnerRow"
// counts within the same document; `slotOffset` is added to it. False, with
// the row and field in `error`, when any row is unusable; `out` is then
// unchanged.
bool ReadCatalogueRows(const Json::Value& root, bool user, size_t slotOffset, std::vector<DeviceSlot>& slots,
                       std::vector<DeviceOptionRow>& options, std::vector<DevicePageRow>& pages,
                       std::vector<UpdateItemRow>& updates, std::string& error);

// The shipped rows from programFolder/DefaultData/catalogue.json (the
// built-in tables when it is missing or unusable), then the rows of
// configFolder/catalogue.json when that exists and is usable. Empty folders
// are skipped. Never throws.
CatalogueLoad LoadDeviceCatalogue(const std::filesystem::path& programFolder,
                                  const std::filesystem::path& configFolder);

// The settings folder: $XDG_CONFIG_HOME (or ~/.config) + "/Ivra Wireless
// Manager 1.0"; empty when neither variable is set.
std::filesystem::path UserConfigFolder();

}  // namespace ivra
