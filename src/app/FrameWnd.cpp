#include "FrameWnd.h"

#include "DpiChoice.h"

#include <QEvent>

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
    if (IsAcceptedDpi(dpi)) {
        return dpi;
    }
    qWarning("%s", errorLine);
    return kDefaultDpi;
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
