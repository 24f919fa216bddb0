// The skin's style sheet ("style.qss" in the skin folder). Image URLs in it
// may start with "$SKIN/", which becomes the skin folder, so the sheet
// works wherever the program is installed.
#pragma once

#include <QString>

namespace ivra::dui {

// The sheet's text with "$SKIN" resolved; empty with the reason in *error
// when it cannot be read.
QString LoadSkinStyleSheet(const QString& skinFolder, QString* error = nullptr);

}  // namespace ivra::dui
