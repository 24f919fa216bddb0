// The udev rule that lets the user of the active seat open the hidraw nodes
// of the devices a catalogue serves: one line per vendor and product id, in
// the order the catalogue first names them (slot rows, then option rows).
#pragma once

#include <string>

#include "discovery/DeviceCatalogue.h"

namespace ivra {

std::string UdevRuleText(const DeviceCatalogue& catalogue);

}  // namespace ivra
