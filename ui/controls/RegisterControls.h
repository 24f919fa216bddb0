// Registers the system's own control classes with the control factory,
// each under its class name ("SelectPanelUI") and under the tag skin files
// use for it ("SelectPanel"), so that files built without a window's
// callback (included files) find them too.
#pragma once

#include <QStringList>

namespace ivra::controls {

void RegisterControlClasses();

// The class names registered (without the tags), in registration order.
QStringList RegisteredControlClasses();

}  // namespace ivra::controls
