// Plug and unplug reports where no udev daemon runs: the kernel creates and
// removes hidraw nodes in the device-node folder itself (devtmpfs), and
// inotify reports each one. Only names starting with "hidraw" count, so the
// other nodes that come and go wake nothing. Where no watch can be set,
// discovery polls.
#pragma once

#include <memory>
#include <string>

#include "hid/HotPlugSource.h"

namespace ivra {

// A source on `devRoot`, or null when it cannot be watched.
std::unique_ptr<IHotPlugSource> OpenDeviceNodeHotPlugSource(const std::string& devRoot = "/dev");

}  // namespace ivra
