// What ivractl says when a device node cannot be opened: the node, the
// reason and, for a denied open, how to install the udev rule.
#pragma once

#include <string>

#include "hid/HidBackend.h"

namespace ivra::cli {

// Several lines, without the program name and without a final line end.
std::string OpenFailureText(const std::string& path, HidOpenError error);

}  // namespace ivra::cli
