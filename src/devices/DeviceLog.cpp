#include "DeviceLog.h"

Q_LOGGING_CATEGORY(lcVpcDevices, "vpc.devices", QtWarningMsg)
