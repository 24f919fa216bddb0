// The one sink for the system's debug lines. Lines go to stderr when
// IVRA_DEBUG=1 is set (or the sink is switched on), and tests capture them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ivra {

void DebugLine(std::string_view line);

// Writes to stderr from now on (what --debug and IVRA_DEBUG=1 do).
void EnableDebugToStderr(bool on);

using DebugSink = std::function<void(std::string_view)>;

// Installs an extra receiver of every line (tests); pass {} to remove it.
void SetDebugSink(DebugSink sink);

}  // namespace ivra
