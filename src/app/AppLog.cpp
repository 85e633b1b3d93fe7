#include "AppLog.h"

Q_LOGGING_CATEGORY(lcApp, "vpc.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNotify, "vpc.notify", QtWarningMsg)
