// How the program's own controls raise their events: through the paint manager of
// the window they live in, so a window's Notify sees them like any other event.
#pragma once

#include "UiTypes.h"

#include <QString>

class QWidget;

// Sends type from control to its window's notifiers. Nothing happens while the
// control is outside a window or while changes are made silently.
void RaiseControlEvent(QWidget* control, const QString& type, WPARAM wParam = 0, LPARAM lParam = 0);

// A length in layout units scaled by the DPI of the control's window (unscaled
// outside a window).
int ScaleForControl(const QWidget* control, int value);

// Marks a control that raises its own pointer events, so the paint manager does
// not raise them a second time.
void TakeOwnPointerEvents(QWidget* control);
