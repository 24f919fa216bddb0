// The include graph follows the layers: every quoted include of every source
// file is resolved the way the build resolves it and must land in a layer
// the including file's layer may use. The build already stops the core from
// reaching the platform, the simulator or the user interface (their include
// roots are not the core's); this holds the order inside the core, where one
// include root serves every layer. The core also names no control of a
// skin page.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = IVRA_SOURCE_DIR;

// The layer a file belongs to, from its path relative to the source tree.
std::string LayerOf(const fs::path& relative) {
    std::vector<std::string> parts;
    for (const auto& part : relative) parts.push_back(part.string());
    if (parts.size() < 2) return "";
    if (parts[0] == "core") {
        if (parts[1] == "models") return "models";
        if (parts[1] == "drivers") return parts.size() == 3 ? "drivers" : "drivers/" + parts[2];
        return parts[1];
    }
    if (parts[0] == "apps") return "apps";
    return parts[0];
}

bool IsKind(const std::string& layer) {
    return layer.rfind("drivers/", 0) == 0;
}

// What each layer may include besides itself.
bool Allowed(const std::string& from, const std::string& to) {
    static const std::map<std::string, std::set<std::string>> kBelow = {
        {"base", {}},
        {"hid", {"base"}},
        {"transport", {"base", "hid"}},
        {"discovery", {"base", "hid", "transport"}},
        {"models", {"base"}},
        {"drivers", {"base", "hid", "transport", "discovery", "models"}},
        {"services", {"base", "hid", "transport", "discovery", "models", "drivers"}},
        {"platform", {"base", "hid", "transport", "discovery", "models"}},
        {"sim", {"base", "hid", "transport", "discovery", "models", "services"}},
        {"testing", {"base", "hid", "transport", "discovery", "models", "sim"}},
        {"ui", {"base", "hid", "transport", "discovery", "models", "drivers", "services", "platform"}},
    };
    if (from == to || from == "apps" || from == "tests" || from == "bench" || from == "fuzz") return true;
    // A kind uses the driver base and the layers below it, never another kind.
    if (IsKind(from)) return to == "drivers" || kBelow.at("drivers").count(to) > 0;
    // Services and the user interface may name every kind (the registration).
    if (IsKind(to)) return from == "services" || from == "ui";
    const auto row = kBelow.find(from);
    return row != kBelow.end() && row->second.count(to) > 0;
}

// Where the build finds a quoted include of `file`: beside it, then in the
// include roots of the layers.
fs::path Resolve(const fs::path& file, const std::string& include) {
    static const std::vector<fs::path> kRoots = {"core", "platform", "sim", "testing", "ui"};
    if (fs::exists(file.parent_path() / include)) return fs::relative(file.parent_path() / include, kSourceDir);
    for (const auto& root : kRoots) {
        if (fs::exists(kSourceDir / root / include)) return root / include;
    }
    return {};
}

TEST(Layering, EveryIncludeStaysInItsOwnLayerOrBelow) {
    const std::regex includeLine(R"re(^\s*#\s*include\s+"([^"]+)")re");
    std::vector<std::string> violations;
    size_t checked = 0;
    for (const char* top : {"core", "platform", "sim", "testing", "ui", "apps"}) {
        for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / top)) {
            const auto ext = entry.path().extension();
            if (ext != ".h" && ext != ".cpp") continue;
            const fs::path relative = fs::relative(entry.path(), kSourceDir);
            const std::string from = LayerOf(relative);
            std::ifstream in(entry.path());
            std::string line;
            std::smatch match;
            while (std::getline(in, line)) {
                if (!std::regex_search(line, match, includeLine)) continue;
                const fs::path target = Resolve(entry.path(), match[1].str());
                if (target.empty()) continue;  // generated (moc) files
                ++checked;
                const std::string to = LayerOf(target);
                if (!Allowed(from, to)) {
                    violations.push_back(relative.string() + " (" + from + ") includes " + target.string() + " (" + to +
                                         ")");
                }
            }
        }
    }
    EXPECT_GT(checked, 500u) << "the walk found too few includes: is IVRA_SOURCE_DIR right?";
    std::string report;
    for (const auto& line : violations) report += "  " + line + "\n";
    EXPECT_TRUE(violations.empty()) << "includes that run up a layer:\n" << report;
}

// The core speaks to a page of key and light positions and of device
// functions; the names a skin gives its buttons and tab layouts belong to
// the user interface's view.
TEST(Layering, TheCoreNamesNoSkinControl) {
    const std::regex skinName(R"re(DeviceKeyButton|"key_|"light_|device_function_switch|device_key_function_switch)re");
    std::vector<std::string> found;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceDir / "core")) {
        const auto ext = entry.path().extension();
        if (ext != ".h" && ext != ".cpp") continue;
        ++files;
        std::ifstream in(entry.path());
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (std::regex_search(line, skinName)) {
                found.push_back(fs::relative(entry.path(), kSourceDir).string() + ":" + std::to_string(number) + ": " +
                                line);
            }
        }
    }
    EXPECT_GT(files, 100u) << "the walk found too few core files: is IVRA_SOURCE_DIR right?";
    std::string report;
    for (const auto& line : found) report += "  " + line + "\n";
    EXPECT_TRUE(found.empty()) << "core lines that name a skin control:\n" << report;
}

}  // namespace
