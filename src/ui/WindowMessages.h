// Registered message numbers: each name gets one number in 0xC000..0xFFFF for the
// life of the process, the same number every time the same name is registered.
#pragma once

#include "UiTypes.h"

#include <QString>

UINT RegisterWindowMessage(const QString& name);
