// The dispatch routes of the keyboard's system page (polling rate, Win lock, W and 6-key
// modes, the repeat settings) and of the device page's "default" button.
#pragma once

#include "RouteTable.h"

#include <QSize>
#include <functional>

namespace vpc::panels {

struct SystemRouteServices {
    // Asks the user to confirm a message by text id; true when confirmed.
    std::function<bool(const QString& textId)> confirm;
    // The screen's size in pixels, for the mouse's onboard record.
    std::function<QSize()> screenPixels;
};

void RegisterSystemRoutes(CRouteTable& table, SystemRouteServices services);

} // namespace vpc::panels
