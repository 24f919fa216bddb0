// What every ivractl command works with: the global options, the HID
// backend they chose (real hidraw or simulated devices) and the catalogue.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <json/value.h>

#include "discovery/CatalogueFile.h"
#include "discovery/DeviceCatalogue.h"
#include "hid/HidBackend.h"

namespace ivra::cli {

// Exit statuses.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct GlobalOptions {
    std::string simulate;  // comma list of KIND[:FILE]; empty = real devices
    std::string kind;      // a kind name of the catalogue, or empty for all
    std::string dataDir;
    bool debug = false;
    bool json = false;
};

class CommandContext {
public:
    CommandContext(GlobalOptions options, std::ostream& out, std::ostream& err);
    ~CommandContext();

    const GlobalOptions& Options() const { return options_; }
    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }
    // The shipped catalogue file's rows (the built-in ones when it is
    // missing or unusable) plus the user's own; load errors went to err.
    const DeviceCatalogue& Catalogue() const { return catalogue_.catalogue; }

    // The backend the options chose; null (with the reason on err) when the
    // simulation cannot be set up.
    IHidBackend* Backend();
    bool Simulated() const { return !options_.simulate.empty(); }

    // The kind the profile and macro verbs work on (--kind, default keyboard):
    // a registered name or alias in any case gives the kind's own name.
    std::string KindName() const;
    // The data folder of that kind. Verbs that change something have it
    // created; verbs that only read get its path even when it does not
    // exist (`exists` false), so they never make a folder for a kind that
    // was never used. Empty, with the reason in `error`, when unusable.
    std::filesystem::path KindDataFolder(bool create, bool& exists, std::string& error) const;

private:
    GlobalOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    std::shared_ptr<IHidBackend> backend_;
    CatalogueLoad catalogue_;
};

// A usage error: the message and the help text of the level it belongs to.
int UsageError(CommandContext& context, const std::string& message, const char* help);

int RunHidCommand(CommandContext& context, const std::vector<std::string>& args);
int RunDeviceCommand(CommandContext& context, const std::vector<std::string>& args);
int RunDeviceWatch(CommandContext& context, const std::vector<std::string>& args);
int RunProfileCommand(CommandContext& context, const std::vector<std::string>& args);
int RunKeyCommand(CommandContext& context, const std::vector<std::string>& args);
int RunMacroCommand(CommandContext& context, const std::vector<std::string>& args);

// One JSON document on one line.
void WriteJsonLine(std::ostream& out, const Json::Value& root);

// Builds the simulated devices named by `option`; null and a reason on failure.
std::shared_ptr<IHidBackend> MakeSimulatedBackend(const std::string& option, std::string& error);

}  // namespace ivra::cli
