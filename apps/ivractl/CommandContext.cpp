#include "CommandContext.h"

#include <cstdlib>
#include <ostream>

#include <json/writer.h>

#include "LinuxHidBackend.h"
#include "models/profile/DataLocations.h"
#include "services/KindRegistry.h"

namespace ivra::cli {

CommandContext::CommandContext(GlobalOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)), out_(out), err_(err),
      catalogue_(LoadDeviceCatalogue(ProgramFolder(), UserConfigFolder())) {
    for (const std::string& error : catalogue_.errors) err_ << "ivractl: catalogue: " << error << "\n";
}

CommandContext::~CommandContext() = default;

IHidBackend* CommandContext::Backend() {
    if (backend_) return backend_.get();
    if (options_.simulate.empty()) {
        // The roots can be moved for tests and for running inside a container.
        const char* sysRoot = std::getenv("IVRA_SYSFS_ROOT");
        const char* devRoot = std::getenv("IVRA_DEV_ROOT");
        backend_ = std::make_shared<LinuxHidBackend>(sysRoot ? sysRoot : "/sys", devRoot ? devRoot : "/dev");
        return backend_.get();
    }
    std::string error;
    backend_ = MakeSimulatedBackend(options_.simulate, error);
    if (!backend_) err_ << "ivractl: --simulate: " << error << "\n";
    return backend_.get();
}

std::string CommandContext::KindName() const {
    if (options_.kind.empty()) return "keyboard";
    const KindTraits* traits = FindKindByName(options_.kind);
    return traits ? std::string(traits->name) : options_.kind;
}

std::filesystem::path CommandContext::KindDataFolder(bool create, bool& exists, std::string& error) const {
    const std::filesystem::path root = UserDataRoot(options_.dataDir);
    const std::string kindName = KindName();
    if (create) {
        std::filesystem::path folder = EnsureKindDataFolder(root, kindName, error);
        exists = !folder.empty();
        return folder;
    }
    if (!IsKnownKindName(kindName)) {
        error = "\"" + kindName + "\" is not a device kind";
        return {};
    }
    const std::filesystem::path folder = root / kindName;
    std::error_code ec;
    exists = std::filesystem::is_directory(folder, ec);
    return folder;
}

int UsageError(CommandContext& context, const std::string& message, const char* help) {
    context.Err() << "ivractl: " << message << "\n\n" << help;
    return kExitUsage;
}

void WriteJsonLine(std::ostream& out, const Json::Value& root) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    out << Json::writeString(builder, root) << "\n";
}

}  // namespace ivra::cli
