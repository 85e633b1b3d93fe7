// The program's own control classes and how one is registered with the control
// factory under the class name the skin's layouts use.
#pragma once

#include "AudioRecordUI.h"
#include "ChartViewUI.h"
#include "CircleProgressUI.h"
#include "CloudShareListItemUI.h"
#include "ComboEditContainerElementUI.h"
#include "ControlFactory.h"
#include "DeviceKeyButtonUI.h"
#include "HandImgButtonUI.h"
#include "HandImgSelectButtonUI.h"
#include "RedioMacroButtonUI.h"
#include "SelectPanelUI.h"
#include "WndUI.h"

// Binds Control::kRegisteredName to a function that creates a new Control; the layout builder
// gives it its parent.
template <typename Control> void RegisterControlClass(CControlFactory& factory) {
    factory.RegisterControl(QString::fromLatin1(Control::kRegisteredName),
                            []() -> QWidget* { return new Control; });
}

// The same for a control that builds children of its own when it is made: it is made below
// its parent, so it and its children are styled once, not again when it moves under the parent.
template <typename Control> void RegisterParentedControlClass(CControlFactory& factory) {
    factory.RegisterControl(QString::fromLatin1(Control::kRegisteredName),
                            [](QWidget* parent) -> QWidget* { return new Control(parent); });
}
