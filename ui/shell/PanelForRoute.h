// Which panel of a device page handles a route: the lighting panel the light
// and music-light routes, the key setting panel, the macro editor, and the
// keyboard's settings (also the report-rate options, which the routing
// tables file under the mouse settings, on a keyboard page).
#pragma once

#include "panels/PageContext.h"
#include "shell/NotificationRoutes.h"

namespace ivra::shell {

// Null when the route is not a panel's or the page has not built that panel.
panels::PagePanel* PanelForRoute(const panels::PageContext& page, Route route);

}  // namespace ivra::shell
