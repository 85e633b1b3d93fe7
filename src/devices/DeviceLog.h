// Logging category of the device subsystem ("vpc.devices"): discovery, binding, device
// threads. Debug lines are off unless enabled with QT_LOGGING_RULES.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcVpcDevices)
