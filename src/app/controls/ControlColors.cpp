#include "ControlColors.h"

#include <QVariant>
#include <QWidget>

QColor ControlColor(const QWidget* widget, const char* property, const QColor& fallback) {
    const QVariant value = widget ? widget->property(property) : QVariant();
    if (!value.isValid()) {
        return fallback;
    }
    if (value.typeId() == QMetaType::QColor) {
        return value.value<QColor>();
    }
    bool ok = false;
    const uint argb = value.toUInt(&ok);
    if (!ok || argb == 0) {
        return fallback;
    }
    return QColor::fromRgba(argb);
}
