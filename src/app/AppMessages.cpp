#include "AppMessages.h"

#include "AppLog.h"
#include "WindowMessages.h"

namespace {

CAppMessages g_messages;

} // namespace

const CAppMessages& AppMessages() {
    return g_messages;
}

void RegisterHookAndGameMessages() {
    CAppMessages& m = g_messages;
    m.hookKeySingleKey = RegisterWindowMessage("WM_HOOK_KEY_SINGLEKEY_MSG");
    m.hookKeyHitKey = RegisterWindowMessage("WM_HOOK_KEY_HITKEY_MSG");
    m.hookKeyKbMacro = RegisterWindowMessage("WM_HOOK_KEY_KBMACRO_MSG");
    m.hookKeyMsMacro = RegisterWindowMessage("WM_HOOK_KEY_MSMACRO_MSG");
    m.hookKeyKbMacroSingle = RegisterWindowMessage("WM_HOOK_KEY_KBMACROSINGLE_MSG");
    m.hookKeyKbMacroPrevious = RegisterWindowMessage("WM_HOOK_KEY_KBMACROPREVIOUS_MSG");
    m.hookKeyKbMacroLater = RegisterWindowMessage("WM_HOOK_KEY_KBMACROLATER_MSG");
    m.hookMouSingleKey = RegisterWindowMessage("WM_HOOK_MOU_SINGLEKEY_MSG");
    m.hookMouHitKey = RegisterWindowMessage("WM_HOOK_MOU_HITKEY_MSG");
    m.hookMouKbMacro = RegisterWindowMessage("WM_HOOK_MOU_KBMACRO_MSG");
    m.hookMouMsMacro = RegisterWindowMessage("WM_HOOK_MOU_MSMACRO_MSG");
    m.hookKeyMsMacroSingle = RegisterWindowMessage("WM_HOOK_KEY_MSMACROSINGLE_MSG");
    m.hookKeyMsMacroPrevious = RegisterWindowMessage("WM_HOOK_KEY_MSMACROPREVIOUS_MSG");
    m.hookKeyMsMacroLater = RegisterWindowMessage("WM_HOOK_KEY_MSMACROLATER_MSG");
    m.mouseRButtonDown = RegisterWindowMessage("UWM_MOUSERBUTTONDOWN_USER_MSG");
    m.mouseLButtonUp = RegisterWindowMessage("UWM_MOUSELBUTTONUP_USER_MSG");
    m.mouseLButtonDown = RegisterWindowMessage("UWM_MOUSELBUTTONDOWN_USER_MSG");
    m.mouseRButtonUp = RegisterWindowMessage("UWM_MOUSERBUTTONUP_USER_MSG");
    m.mouseRButtonDownAgain = RegisterWindowMessage("UWM_MOUSERBUTTONDOWN_USER_MSG");
    m.mouseMove = RegisterWindowMessage("UWM_MOUSEMOVE_USER_MSG");
    m.gameStart = RegisterWindowMessage("Game_Start");
    m.gameEnd = RegisterWindowMessage("Game_End");
    m.gameKill = RegisterWindowMessage("Game_Kill");
    m.gameDeath = RegisterWindowMessage("Game_Death");
}

bool RegisterInstanceMessage() {
    g_messages.instanceActivate = RegisterWindowMessage(kInstanceName);
    qCDebug(lcApp, "软件标示：%u", g_messages.instanceActivate);
    return g_messages.instanceActivate >= 0xC000 && g_messages.instanceActivate <= 0xFFFF;
}

void RegisterProgramMessages() {
    CAppMessages& m = g_messages;
    m.updateStatus = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    m.lightControlNotify = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    m.lightControlRequest = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
    m.workToolQuery = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF18}");
    m.audioRecordCommand = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
}
