// A folder made under the system's temporary folder and removed with
// everything in it when the object goes away. For tests, benchmarks and the
// fake device trees of the simulator.
#pragma once

#include <filesystem>
#include <string>

namespace ivra::sim {

class TemporaryFolder {
public:
    // `prefix` starts the folder's name ("ivra-profile" -> ivra-profile-Ab12Cd).
    explicit TemporaryFolder(const std::string& prefix = "ivra");
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace ivra::sim
