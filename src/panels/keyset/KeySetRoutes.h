// The dispatch routes of the key assignment panel and the keys of the device picture: opening a
// key, applying, restoring and cancelling an assignment, key capture and writing the keys.
#pragma once

#include "MacroRecorder.h"
#include "RouteTable.h"

#include <QString>
#include <functional>

namespace vpc::panels {

struct KeySetRouteServices {
    // Shows a message (already translated and formatted) with a confirm button.
    std::function<void(const QString& text)> showMessage;
    // Installs (true) or removes (false) the key-capture hook.
    std::function<void(bool on)> keyCapture;
    // The window's interactive state; the key panel's edit buttons follow the opposite of
    // "enabled".
    std::function<void(bool withDeviceSelection, bool enabled)> setWindowInteractive;
};

void RegisterKeySetRoutes(CRouteTable& table, KeySetRouteServices services);

// The key assignment operations of the main window, on the current device (a keyboard or a
// mouse; anything else does nothing).
void OpenDeviceKey(const CurrentDevice& current, int key, const KeySetRouteServices& services);
void ApplyKeyAssignment(const CurrentDevice& current, const KeySetRouteServices& services);
void SaveKeysToDevice(const CurrentDevice& current, const KeySetRouteServices& services);
// A key typed on the real keyboard while the key name box has the focus.
void CaptureKey(const CurrentDevice& current, const macro::KeyHookEvent& event,
                const KeySetRouteServices& services);

} // namespace vpc::panels
