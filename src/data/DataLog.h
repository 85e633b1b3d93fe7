// Logging category of the data subsystem ("vpc.data").
// Diagnostics go here; the user sees only the results the callers turn into messages.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcVpcData)
