// The name of the program's folders under the user's data and config roots.
#pragma once

namespace ivra {

constexpr const char* kProductFolderName = "Ivra Wireless Manager 1.0";

}  // namespace ivra
