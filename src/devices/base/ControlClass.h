// Tells a control's layout class: a class of the program ("CDeviceKeyButtonUI" answers to
// "DeviceKeyButton"), or a class a layout names that this build stands in for.
#pragma once

#include <QString>

class QWidget;

namespace vpc::devices {

bool ControlClassIs(const QWidget* widget, const QString& className);

} // namespace vpc::devices
