// The dispatch routes of the mouse page's controls (DPI stages, polling rate, pointer
// settings, settings tabs) and of the DPI calculator pair, registered into the main
// window's route table.
#pragma once

#include "RouteTable.h"

#include <QSize>
#include <QString>
#include <functional>

namespace vpc::panels {

struct MouseRouteServices {
    // The size in physical pixels of the screen the main window is on.
    std::function<QSize()> screenPixels;
    // Tells the user something by a text id (a message box over the main window).
    std::function<void(const QString& textId)> showMessage;
    // The palette window starting at a colour; the chosen colour, or nothing.
    std::function<std::optional<std::uint32_t>(std::uint32_t start)> chooseColour;
};

void RegisterMouseRoutes(CRouteTable& table, MouseRouteServices services);

// The DPI calculator's clamp: the number the text starts with, held to 200-6500.
int ClampCalculatorDpi(const QString& text);

} // namespace vpc::panels
