// Which device kinds of the kind registry the simulator can build, and how:
// one row per kind that has a simulated device, keyed by the registry's name.
// A kind the registry knows but this table lacks has no simulated device yet.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "services/KindRegistry.h"

namespace ivra::sim {

class SimDevice;

struct SimulatedKind {
    std::string_view kindName;  // the registry row's name
    // Builds the device, loading `file` (a JSON device file) when not empty;
    // null with the reason in `error` when the file is at fault.
    std::shared_ptr<SimDevice> (*make)(const std::string& file, std::string& error) = nullptr;
};

std::span<const SimulatedKind> AllSimulatedKinds();

// The simulator row of a registry kind, or nullptr when it has none.
const SimulatedKind* FindSimulatedKind(const KindTraits& traits);

}  // namespace ivra::sim
