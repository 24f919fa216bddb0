#include "models/profile/ProfileId.h"

#include <cstdio>
#include <ctime>
#include <system_error>

namespace ivra {

std::string FormatProfileId(std::chrono::system_clock::time_point moment) {
    using namespace std::chrono;
    const auto sinceEpoch = moment.time_since_epoch();
    auto seconds = duration_cast<std::chrono::seconds>(sinceEpoch);
    auto millis = duration_cast<milliseconds>(sinceEpoch - seconds).count();
    if (millis < 0) {  // moments before 1970 round towards the earlier second
        millis += 1000;
        seconds -= std::chrono::seconds(1);
    }
    const std::time_t time = static_cast<std::time_t>(seconds.count());
    std::tm local{};
    localtime_r(&time, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return text;
}

std::string MakeProfileId() {
    return FormatProfileId(std::chrono::system_clock::now());
}

std::string MakeUniqueProfileId(const std::filesystem::path& folder,
                                const std::function<bool(const std::string&)>& isTaken,
                                std::chrono::system_clock::time_point now) {
    for (;;) {
        std::string id = FormatProfileId(now);
        std::error_code ec;
        const bool fileExists = std::filesystem::exists(std::filesystem::symlink_status(folder / (id + ".Json"), ec));
        if (!fileExists && !(isTaken && isTaken(id))) return id;
        now += std::chrono::milliseconds(1);
    }
}

bool IsSafeProfileId(std::string_view id) {
    if (id.empty() || id.size() > 128) return false;
    if (id.find("..") != std::string_view::npos) return false;
    for (char c : id) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

}  // namespace ivra
