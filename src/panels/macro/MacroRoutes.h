// The dispatch routes of the macro panel's controls (the macro list and its buttons, saving,
// recording, row moves, mouse insertion), registered into the main window's route table; they
// act on the current keyboard's or mouse's panel.
#pragma once

#include "MacroRecorder.h"
#include "RouteTable.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

namespace vpc::panels {

class CMacroControlUI;

struct MacroRouteServices {
    // Asks the user to confirm a message by text id; true when confirmed.
    std::function<bool(const QString& textId)> confirm;
    std::function<void(const QString& textId)> showMessage;
    // A macro file to import, or to export to; nothing when the user cancelled.
    std::function<std::optional<std::filesystem::path>()> chooseImportFile;
    std::function<std::optional<std::filesystem::path>()> chooseExportFile;
    // Arms the recording hook with a hook mode, or disarms it (and makes the window
    // interactive again).
    std::function<void(int hookMode, bool arm)> armHooks;
};

void RegisterMacroRoutes(CRouteTable& table, MacroRouteServices services);

// Starts a recording on a panel: its time mode, then the hook in the mode.
void StartMacroRecording(CMacroControlUI& panel, int hookMode, macro::TimeMode mode,
                         const MacroRouteServices& services);
// Ends a recording (the only way out of every recording mode) and saves the macro.
void StopMacroRecording(CMacroControlUI& panel, const MacroRouteServices& services);

} // namespace vpc::panels
