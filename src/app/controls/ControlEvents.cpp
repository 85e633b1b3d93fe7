#include "ControlEvents.h"

#include "PaintManagerUI.h"
#include "SilentScope.h"

#include <QWidget>

void RaiseControlEvent(QWidget* control, const QString& type, WPARAM wParam, LPARAM lParam) {
    if (!control || SilentScope::Active()) {
        return;
    }
    if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(control)) {
        manager->SendNotify(control, type, wParam, lParam, false);
    }
}

int ScaleForControl(const QWidget* control, int value) {
    const CPaintManagerUI* manager = CPaintManagerUI::FromControl(control);
    return manager ? manager->ScaleValue(value) : value;
}

void TakeOwnPointerEvents(QWidget* control) {
    control->setProperty(CPaintManagerUI::kOwnPointerEventsProperty, true);
}
