#include "ControlClass.h"

#include <QVariant>
#include <QWidget>

namespace vpc::devices {

bool ControlClassIs(const QWidget* widget, const QString& className) {
    if (!widget)
        return false;
    // "CDeviceKeyButtonUI" (a registered name or a C++ class) answers to "DeviceKeyButton"
    const auto plain = [](QString name) {
        name = name.section("::", -1);
        if (name.startsWith('C') && name.size() > 1 && name[1].isUpper())
            name.remove(0, 1);
        if (name.endsWith("UI"))
            name.chop(2);
        return name;
    };
    const QVariant layoutClass = widget->property("missingClass");
    if (layoutClass.isValid())
        return plain(layoutClass.toString()).compare(className, Qt::CaseInsensitive) == 0;
    const QVariant declared = widget->property("controlClass");
    if (declared.isValid())
        return declared.toString().compare(className, Qt::CaseInsensitive) == 0;
    return plain(QString::fromLatin1(widget->metaObject()->className()))
               .compare(className, Qt::CaseInsensitive) == 0;
}

} // namespace vpc::devices
