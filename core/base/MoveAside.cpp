#include "base/MoveAside.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

#include "base/DebugOutput.h"

namespace ivra {

std::filesystem::path MoveFileAside(const std::filesystem::path& path, std::string& error) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path.filename().string() + ".unreadable-" + stamp;
    for (int n = 0; n < 1000; ++n) {
        std::filesystem::path target = path.parent_path() / (n == 0 ? base : base + "-" + std::to_string(n));
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) continue;
        // link + unlink instead of rename, so a file that appeared meanwhile
        // under the target name is never replaced.
        std::filesystem::create_hard_link(path, target, ec);
        if (!ec) {
            std::filesystem::remove(path, ec);
            DebugLine("kept unreadable file as " + target.string());
            return target;
        }
        if (ec == std::errc::file_exists) continue;
        // Hard links are not available everywhere; fall back to a rename.
        std::filesystem::rename(path, target, ec);
        if (!ec) {
            DebugLine("kept unreadable file as " + target.string());
            return target;
        }
        error = "cannot move " + path.string() + " aside: " + ec.message();
        return {};
    }
    error = "cannot move " + path.string() + " aside: too many earlier copies";
    return {};
}

}  // namespace ivra
