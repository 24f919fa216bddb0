// What assistive tools hear of a key button on a device picture: the key's
// label, its light and, when it does something else than its label says,
// its assignment ("A, lit red, assigned Ctrl+C"), in the window's language.
// The name is made when a tool asks, so the 64 Hz light frames cost nothing
// while no tool listens.
#pragma once

#include <QColor>
#include <QString>

namespace ivra::controls {

// The name of a lit colour in the window's language ("red", "white", ...).
QString ColourName(const QColor& colour);

// The accessible name of a key button from what it shows.
QString KeyButtonAccessibleName(const QString& label, const QString& assignment, bool unchanged, bool lit,
                                const QColor& colour, int level);

// Makes Qt's accessibility ask the key buttons for those names.
void InstallKeyButtonAccessibility();

}  // namespace ivra::controls
