#include "shell/PrivateFonts.h"

#include <QDir>
#include <QFontDatabase>

namespace ivra::shell {

QStringList PrivateFonts::FontFiles() {
    return {QStringLiteral("Font/Simplified_Chinese.ttf"), QStringLiteral("Font/Sentinel-Regular.otf"),
            QStringLiteral("Font/NotoSansThai-Regular.ttf"), QStringLiteral("Font/NotoSansCJKtc-Regular.otf")};
}

PrivateFonts::PrivateFonts(const QString& programFolder) {
    const QDir folder(programFolder);
    for (const QString& file : FontFiles()) {
        const int id = QFontDatabase::addApplicationFont(folder.filePath(file));
        if (id >= 0) ids_.push_back(id);
    }
}

PrivateFonts::~PrivateFonts() {
    // Removed in reverse order of loading.
    for (auto it = ids_.rbegin(); it != ids_.rend(); ++it) QFontDatabase::removeApplicationFont(*it);
}

}  // namespace ivra::shell
