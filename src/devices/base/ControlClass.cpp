#include "ControlClass.h"

#include <QVariant>
#include <QWidget>

namespace vpc::devices {

bool ControlClassIs(const QWidget* widget, const QString& className) {
    if (!widget)
        return false;
    const QVariant layoutClass = widget->property("missingClass");
    if (layoutClass.isValid())
        return layoutClass.toString().compare(className, Qt::CaseInsensitive) == 0;
    const QVariant declared = widget->property("controlClass");
    if (declared.isValid())
        return declared.toString().compare(className, Qt::CaseInsensitive) == 0;
    QString name = QString::fromLatin1(widget->metaObject()->className());
    name = name.section("::", -1);
    if (name.startsWith('C') && name.size() > 1 && name[1].isUpper())
        name.remove(0, 1);
    if (name.endsWith("UI"))
        name.chop(2);
    return name.compare(className, Qt::CaseInsensitive) == 0;
}

} // namespace vpc::devices
