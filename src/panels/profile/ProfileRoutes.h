// The dispatch routes of the profile panel: its buttons, the profile combo and the function
// tabs, registered into the main window's route table.
#pragma once

#include "RouteTable.h"

#include <QString>
#include <functional>

class QWidget;

namespace vpc::panels {

struct ProfileRouteServices {
    // The program's message box with a language text id; buttonMode 0 confirm only, 1 confirm
    // and cancel. Returns 1 when confirmed. Without it, nothing that needs an answer is done.
    std::function<int(const QString& textId, int buttonMode)> showMessage;
    // The open and save dialogs for profile files; empty text when cancelled. Without them the
    // system file dialogs are used.
    std::function<QString(QWidget* parent)> chooseImportFile;
    std::function<QString(QWidget* parent)> chooseExportFile;
    // After a confirmed profile reset: the music lighting settings from their default file.
    std::function<void()> resetMusicSettings;
};

void RegisterProfileRoutes(CRouteTable& table, ProfileRouteServices services);

} // namespace vpc::panels
