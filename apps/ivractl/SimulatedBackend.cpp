#include "CommandContext.h"
#include "SimHidBackend.h"
#include "SimulateOption.h"

namespace ivra::cli {

std::shared_ptr<IHidBackend> MakeSimulatedBackend(const std::string& option, std::string& error) {
    auto backend = std::make_shared<sim::SimHidBackend>();
    if (!sim::PlugSimulatedDevices(option, *backend, error)) return nullptr;
    return backend;
}

}  // namespace ivra::cli
