// Message parameter types and the notification record of the toolkit layer.
// Every control event reaches a window's Notify as one TNotifyUI.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT = std::uint32_t;

struct TNotifyUI {
    QString sType;
    QPointer<QWidget> pSender;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Receiver of control notifications; windows and panels implement it.
class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

namespace DuiEvent {
inline constexpr const char* Click = "click";
inline constexpr const char* SelectChanged = "selectchanged";
inline constexpr const char* ItemSelect = "itemselect";
inline constexpr const char* ItemClick = "itemclick";
inline constexpr const char* ItemActivate = "itemactivate";
inline constexpr const char* WindowInit = "windowinit";
inline constexpr const char* ValueChanged = "valuechanged";
inline constexpr const char* MoveValueChanged = "movevaluechanged";
inline constexpr const char* TextChanged = "textchanged";
inline constexpr const char* KillFocus = "killfocus";
inline constexpr const char* SetFocus = "setfocus";
inline constexpr const char* Timer = "timer";
inline constexpr const char* Menu = "menu";
inline constexpr const char* Return = "return";
inline constexpr const char* WindowSize = "windowsize";
inline constexpr const char* ColorChanged = "colorchanged";
inline constexpr const char* MouseEnter = "msenter";
inline constexpr const char* MouseLeave = "msleave";
inline constexpr const char* DoubleClick = "dbclick";
inline constexpr const char* CheckClick = "checkclick";
inline constexpr const char* ClickSelectEnd = "click_select_end";
inline constexpr const char* ClickHandDelete = "click_handdelete";
inline constexpr const char* ClickWpRemove = "click_wpremove";
inline constexpr const char* ClickWpAdd = "click_wpadd";
inline constexpr const char* ClickWpEdit = "click_wpedit";
inline constexpr const char* ClickWpSelect = "click_wpselect";
} // namespace DuiEvent
