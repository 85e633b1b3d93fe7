#include "FrameWnd.h"

#include <QEvent>
#include <array>

CFrameWnd::CFrameWnd(QWidget* parent) : WindowImplBase(parent) {}

void CFrameWnd::InitWindow() {
    m_closeButton = FindControl("closebtn").widget();
    m_maxButton = FindControl("maxbtn").widget();
    m_restoreButton = FindControl("restorebtn").widget();
    m_minButton = FindControl("minbtn").widget();
    m_menuButton = FindControl("menubtn").widget();
}

void CFrameWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != DuiEvent::Click || !msg.pSender) {
        return;
    }
    if (msg.pSender == m_closeButton) {
        Close(0);
    } else if (msg.pSender == m_minButton) {
        showMinimized();
    } else if (msg.pSender == m_maxButton) {
        showMaximized();
    } else if (msg.pSender == m_restoreButton) {
        showNormal();
    }
}

int CFrameWnd::ValidateDpi(int dpi, const char* errorLine) {
    constexpr std::array<int, 7> kAccepted = {48, 72, 96, 120, 144, 168, 192};
    for (const int accepted : kAccepted) {
        if (dpi == accepted) {
            return dpi;
        }
    }
    qWarning("%s", errorLine);
    return 96;
}

void CFrameWnd::SetDPI(int dpi) {
    if (dpi == PaintManager().GetDPI()) {
        return;
    }
    PaintManager().SetDPI(ValidateDpi(dpi, DpiErrorLine()));
}

void CFrameWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        SyncMaximiseButtons();
    }
    WindowImplBase::changeEvent(event);
}

void CFrameWnd::SyncMaximiseButtons() {
    const bool maximised = isMaximized();
    if (m_maxButton) {
        m_maxButton->setVisible(!maximised);
    }
    if (m_restoreButton) {
        m_restoreButton->setVisible(maximised);
    }
}
