// Small line icons for the window buttons, drawn rather than loaded. A skin
// names one in a button's "glyph" property ("close", "min", "max",
// "restore", "skin", "settings", "prev", "next", "menu"; see SkinDecorator).
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace ivra::controls {

// Null icon for an unknown glyph name.
QIcon GlyphIcon(const QString& glyph, int size, const QColor& normal, const QColor& active);

}  // namespace ivra::controls
