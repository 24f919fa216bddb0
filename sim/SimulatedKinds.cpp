#include "SimulatedKinds.h"

#include <array>

#include "SimDeviceFile.h"
#include "SimKeyboard.h"

namespace ivra::sim {
namespace {

std::shared_ptr<SimDevice> MakeKeyboard(const std::string& file, std::string& error) {
    auto keyboard = std::make_shared<SimKeyboard>();
    if (!file.empty() && !LoadSimDeviceFile(file, *keyboard, keyboard->Firmware(), error)) return nullptr;
    return keyboard;
}

constexpr std::array<SimulatedKind, 1> kSimulatedKinds = {{
    {"keyboard", &MakeKeyboard},
}};

}  // namespace

std::span<const SimulatedKind> AllSimulatedKinds() {
    return kSimulatedKinds;
}

const SimulatedKind* FindSimulatedKind(const KindTraits& traits) {
    for (const SimulatedKind& row : kSimulatedKinds) {
        if (row.kindName == traits.name) return &row;
    }
    return nullptr;
}

}  // namespace ivra::sim
