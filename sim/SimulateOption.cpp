#include "SimulateOption.h"

#include "SimDevice.h"
#include "SimHidBackend.h"
#include "SimulatedKinds.h"
#include "services/KindRegistry.h"

namespace ivra::sim {

namespace {

bool BuildOne(const std::string& entry, std::shared_ptr<SimDevice>& device, std::string& error) {
    const size_t colon = entry.find(':');
    const std::string kind = entry.substr(0, colon);
    const bool hasFile = colon != std::string::npos;
    const std::string file = hasFile ? entry.substr(colon + 1) : std::string();
    if (kind.empty()) {
        error = "--simulate: empty device kind in \"" + entry + "\"";
        return false;
    }
    if (hasFile && file.empty()) {
        error = "--simulate: missing file name after \"" + kind + ":\"";
        return false;
    }
    const KindTraits* traits = FindKindByName(kind);
    if (traits == nullptr) {
        error = "--simulate: unknown device kind \"" + kind + "\" (known: " + KindNamesText() + ")";
        return false;
    }
    const SimulatedKind* simulated = FindSimulatedKind(*traits);
    if (simulated == nullptr) {
        error = "--simulate: no simulated device for kind \"" + kind + "\" yet";
        return false;
    }
    std::shared_ptr<SimDevice> built = simulated->make(file, error);
    if (!built) {
        error = "--simulate " + kind + ": " + error;
        return false;
    }
    device = std::move(built);
    return true;
}

}  // namespace

bool BuildSimulatedDevices(const std::string& option, std::vector<std::shared_ptr<SimDevice>>& devices,
                           std::string& error) {
    devices.clear();
    std::vector<std::shared_ptr<SimDevice>> built;
    size_t start = 0;
    while (true) {
        const size_t comma = option.find(',', start);
        const std::string entry = option.substr(start, comma - start);
        std::shared_ptr<SimDevice> device;
        if (entry.empty()) {
            error = "--simulate: empty entry in \"" + option + "\"";
            return false;
        }
        if (!BuildOne(entry, device, error)) return false;
        built.push_back(std::move(device));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    devices = std::move(built);
    error.clear();
    return true;
}

bool PlugSimulatedDevices(const std::string& option, SimHidBackend& backend, std::string& error) {
    std::vector<std::shared_ptr<SimDevice>> devices;
    if (!BuildSimulatedDevices(option, devices, error)) return false;
    for (auto& device : devices) {
        if (backend.Plug(device) == kNoSimDevice) {
            error = std::string("--simulate: could not plug the ") + device->Kind();
            return false;
        }
    }
    return true;
}

}  // namespace ivra::sim
