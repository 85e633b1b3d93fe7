// Base of the secondary windows (message box, about, settings, palette, music):
// their title-bar buttons, maximise/restore state and DPI rule.
#pragma once

#include "WindowImplBase.h"

class CFrameWnd : public WindowImplBase {
    Q_OBJECT
public:
    explicit CFrameWnd(QWidget* parent = nullptr);

    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

    // Sets the window's DPI by the rule shared by the secondary windows.
    void SetDPI(int dpi);
    // The accepted DPI for a request: 48, 72, 96, 120, 144, 168 or 192; anything
    // else logs errorLine and gives 96.
    static int ValidateDpi(int dpi, const char* errorLine);

protected:
    // The diagnostic line of this window for a DPI that is not accepted.
    virtual const char* DpiErrorLine() const { return "SET_WND DPI SET ERROR"; }
    void changeEvent(QEvent* event) override;

private:
    void SyncMaximiseButtons();

    QWidget* m_closeButton = nullptr;
    QWidget* m_maxButton = nullptr;
    QWidget* m_restoreButton = nullptr;
    QWidget* m_minButton = nullptr;
    QWidget* m_menuButton = nullptr;
};
