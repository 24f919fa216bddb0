// A temporary data folder for profile tests, with a default data file, removed
// when the test ends.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <json/value.h>

#include "base/JsonHelpers.h"
#include "TemporaryFolder.h"

namespace ivra::testing {

class ProfileTestFolder {
public:
    ProfileTestFolder() : folder_("ivra-profile"), root_(folder_.Path()) {
        data_ = root_ / "keyboard";
        std::filesystem::create_directories(data_);
        defaults_ = root_ / "default.Json";
        Json::Value defaults(Json::objectValue);
        defaults["profilename"] = "";
        defaults["profileUUID"] = "";
        Json::Value section(Json::objectValue);
        section["KeyList"][0]["Assignment"] = 0x100100;
        section["KeyList"][0]["DefaultAssignment"] = 0x100100;
        section["CustomEQNameInfo"] = "factory";
        defaults["Device"][0] = section;
        WriteJson(defaults_, defaults);
    }
    ProfileTestFolder(const ProfileTestFolder&) = delete;
    ProfileTestFolder& operator=(const ProfileTestFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    const std::filesystem::path& Data() const { return data_; }
    const std::filesystem::path& Defaults() const { return defaults_; }

    void WriteText(const std::filesystem::path& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }

    // Names of the files in the data folder, sorted; the folder's lock file,
    // which the first change creates and nothing ever writes into, is left out.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(data_)) {
            const std::string name = entry.path().filename().string();
            if (name != ".lock") names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    sim::TemporaryFolder folder_;
    std::filesystem::path root_;
    std::filesystem::path data_;
    std::filesystem::path defaults_;
};

}  // namespace ivra::testing
