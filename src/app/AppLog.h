// Logging categories of the program. Diagnostic lines are off unless enabled with
// QT_LOGGING_RULES (for example "vpc.*.debug=true").
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcNotify)
