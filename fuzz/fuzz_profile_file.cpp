// libFuzzer target: a profile file read, repaired, its key list read and
// stored, and saved again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/AtomicFile.h"
#include "models/profile/BasicProfileData.h"
#include "base/JsonHelpers.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("ivra-fuzz-profile-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        ivra::WriteFileAtomically(path / "default.Json", R"({"Device": [{"KeyList": [{"Assignment": 1}]}]})");
        return path;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = Folder() / "p.Json";
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        if (entry.path().filename() != "default.Json") std::filesystem::remove(entry.path());
    }
    ivra::WriteFileAtomically(path, text);
    ivra::BasicProfileData profile;
    profile.SetDefaultDataPath(Folder() / "default.Json");
    profile.SetProfilePath(path);
    profile.LoadDeviceSection(path);
    auto keys = profile.GetKeyList();
    if (!keys.empty()) keys.pop_back();
    profile.SetKeyList(keys);
    profile.SaveDeviceSection();
    // After a save the file must always read back as an object with the section.
    const Json::Value saved = ivra::ReadJson(path);
    if (!profile.DeviceSection().isNull() && !ivra::MemberOf(saved, "Device").isArray()) __builtin_trap();
    return 0;
}
