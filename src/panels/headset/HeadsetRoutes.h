// The dispatch routes of the headset's panels (voice changer, microphone and monitor,
// equaliser presets and bands, custom equalisers), acting on the current headset.
#pragma once

#include "RouteTable.h"

#include <QString>
#include <functional>

namespace vpc::panels {

struct HeadsetRouteServices {
    std::function<void(const QString& textId)> showMessage;
};

void RegisterHeadsetRoutes(CRouteTable& table, HeadsetRouteServices services);

} // namespace vpc::panels
