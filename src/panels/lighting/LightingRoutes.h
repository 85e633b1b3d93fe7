// The dispatch routes of the lighting panel (mode lists, sliders, options, colour boxes, palette,
// preset colours, custom colours, the key-light selection and the synchronised-lighting offer),
// registered into the main window's route table.
#pragma once

#include "RouteTable.h"

#include <functional>

namespace vpc::panels {

struct LightingRouteServices {
    // "deng_same_mode": the main window gives every device the current device's lighting.
    std::function<void()> synchroniseLighting;
};

void RegisterLightingRoutes(CRouteTable& table, LightingRouteServices services);

} // namespace vpc::panels
