// The simulated devices the command line's --simulate option asks for: a
// comma-separated list of KIND or KIND:FILE, where FILE is a JSON device file
// (sim/README.md). KIND is a kind registry name or alias, without regard to
// case; sim/SimulatedKinds.h says which kinds have a simulated device.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ivra::sim {

class SimDevice;
class SimHidBackend;

// Builds the devices in list order. On failure `devices` is left empty and
// `error` names the entry (and the file and key) at fault.
bool BuildSimulatedDevices(const std::string& option, std::vector<std::shared_ptr<SimDevice>>& devices,
                           std::string& error);

// Builds the devices and plugs them into the backend.
bool PlugSimulatedDevices(const std::string& option, SimHidBackend& backend, std::string& error);

}  // namespace ivra::sim
