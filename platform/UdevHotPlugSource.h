// Plug and unplug reports of hidraw nodes from udev. The monitor listens to
// the "udev" netlink source rather than the kernel's: udev sends an event
// after its rules have run, so the seat's access to the node is already
// granted when discovery opens it.
#pragma once

#include <memory>
#include <string>

#include "hid/HotPlugSource.h"

namespace ivra {

// The file a running udev daemon keeps; without it nothing would ever be
// reported (containers, chroots).
constexpr const char* kUdevControlPath = "/run/udev/control";

// A source on the hidraw subsystem, or null where udev does not run (no
// `controlPath`) or the monitor cannot be opened: discovery polls there.
std::unique_ptr<IHotPlugSource> OpenUdevHotPlugSource(const std::string& controlPath = kUdevControlPath);

}  // namespace ivra
