// What a skin file cannot say by itself and the style sheet cannot draw:
// after a tree is built, buttons with a "glyph" get their drawn icon, labels
// with a device "glyph" get the drawn device, buttons with a "bkcolor" show
// that colour, and buttons with a "preview" image show it when the skin
// folder has it.
#pragma once

#include <QString>

class QWidget;

namespace ivra::controls {

void DecorateSkin(QWidget* root, const QString& skinFolder);

}  // namespace ivra::controls
