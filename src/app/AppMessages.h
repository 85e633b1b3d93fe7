// Numbers of the program's registered messages, set once at start-up before any
// other thread runs and only read afterwards.
#pragma once

#include "UiTypes.h"

struct CAppMessages {
    // Input hook messages, in registration order.
    UINT hookKeySingleKey = 0;
    UINT hookKeyHitKey = 0;
    UINT hookKeyKbMacro = 0;
    UINT hookKeyMsMacro = 0;
    UINT hookKeyKbMacroSingle = 0;
    UINT hookKeyKbMacroPrevious = 0;
    UINT hookKeyKbMacroLater = 0;
    UINT hookMouSingleKey = 0;
    UINT hookMouHitKey = 0;
    UINT hookMouKbMacro = 0;
    UINT hookMouMsMacro = 0;
    UINT hookKeyMsMacroSingle = 0;
    UINT hookKeyMsMacroPrevious = 0;
    UINT hookKeyMsMacroLater = 0;
    UINT mouseRButtonDown = 0;
    UINT mouseLButtonUp = 0;
    UINT mouseLButtonDown = 0;
    UINT mouseRButtonUp = 0;
    UINT mouseRButtonDownAgain = 0; // the same name registered twice: the same number
    UINT mouseMove = 0;
    // Game events sent by other programs.
    UINT gameStart = 0;
    UINT gameEnd = 0;
    UINT gameKill = 0;
    UINT gameDeath = 0;
    // Registered by the entry point.
    UINT instanceActivate = 0;
    UINT updateStatus = 0;
    UINT lightControlNotify = 0;
    UINT lightControlRequest = 0;
    UINT workToolQuery = 0;
    UINT audioRecordCommand = 0;
};

// The registered numbers; all zero until the registration functions ran.
const CAppMessages& AppMessages();
void RegisterHookAndGameMessages();
// UWM_INSTANCE_ACTIVATE first, on its own: false when its number is out of range.
bool RegisterInstanceMessage();
void RegisterProgramMessages();

inline constexpr const char* kInstanceName = "VORNA PAD QMT58 Gaming Device";
inline constexpr const char* kMainWindowTitle = "VORNA PAD QMT58 Control Center";
