// The program's icon, drawn rather than loaded, so it exists without assets.
#pragma once

#include <QIcon>

namespace ivra::shell {

QIcon AppIcon();

}  // namespace ivra::shell
