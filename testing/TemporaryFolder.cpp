#include "TemporaryFolder.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>
#include <vector>

namespace ivra::sim {

TemporaryFolder::TemporaryFolder(const std::string& prefix) {
    const std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot make a folder like " + pattern);
    path_ = name.data();
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace ivra::sim
