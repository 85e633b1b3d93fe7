// The dispatch routes of the mouse's shoot panel (guns, bullets, the bullet editor, saving to
// the mouse, reset, import and export), registered into the main window's route table.
#pragma once

#include "RouteTable.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

namespace vpc::panels {

struct ShootRouteServices {
    // A message to the user: a text id, and a detail shown under it.
    std::function<void(const QString& textId, const QString& detail)> showMessage;
    std::function<std::optional<std::filesystem::path>()> chooseImportFile;
    std::function<std::optional<std::filesystem::path>()> chooseExportFile;
};

void RegisterShootRoutes(CRouteTable& table, ShootRouteServices services);

} // namespace vpc::panels
