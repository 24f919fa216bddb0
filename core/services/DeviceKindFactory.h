// Builds the device object of an option row's kind (what the page file's
// root tag does under the GUI).
#pragma once

#include <memory>

#include "discovery/DeviceCatalogue.h"
#include "drivers/KestrelUSBDevice.h"

namespace ivra {

std::unique_ptr<KestrelUSBDevice> MakeKindDevice(const DeviceOptionRow& option, IHidBackend& backend, IClock& clock);

}  // namespace ivra
