// The fonts the program brings along in its "Font" folder, loaded for the
// life of the process. A missing or unreadable font is skipped.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace ivra::shell {

class PrivateFonts {
public:
    // Loads the fonts below `programFolder` in the order the program lists them.
    explicit PrivateFonts(const QString& programFolder);
    ~PrivateFonts();
    PrivateFonts(const PrivateFonts&) = delete;
    PrivateFonts& operator=(const PrivateFonts&) = delete;

    static QStringList FontFiles();
    int LoadedCount() const { return static_cast<int>(ids_.size()); }

private:
    std::vector<int> ids_;
};

}  // namespace ivra::shell
