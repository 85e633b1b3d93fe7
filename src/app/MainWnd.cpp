#include "MainWnd.h"

#include "AppLog.h"
#include "AppMessages.h"

#include <QApplication>
#include <QLayout>

CMainWnd::CMainWnd(QWidget* parent) : WindowImplBase(parent) {}

CMainWnd::~CMainWnd() = default;

void CMainWnd::InitWindow() {
    const CPaintManagerUI& pm = PaintManager();
    m_closeButton = pm.FindControl("closebtn").widget();
    m_maxButton = pm.FindControl("maxbtn").widget();
    m_restoreButton = pm.FindControl("restorebtn").widget();
    m_minButton = pm.FindControl("minbtn").widget();
    m_skinButton = pm.FindControl("skinbtn").widget();
    m_gameModeButton = pm.FindControl("gamemodebtn").widget();
    m_cloudButton = pm.FindControl("cloudbtn").widget();
    m_smartEyesButton = pm.FindControl("smarteyesbtn").widget();
    m_settingsButton = pm.FindControl("setbtn").widget();
    RefreshNoDeviceHint();
}

void CMainWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != DuiEvent::Timer) {
        qCDebug(lcNotify, "%s", qPrintable(msg.sType));
        qCDebug(lcNotify, "%s", qPrintable(ControlName(msg.pSender)));
    }
    if (msg.sType == DuiEvent::Click) {
        if (msg.pSender == m_closeButton) {
            Close(0);
        } else if (msg.pSender == m_minButton) {
            showMinimized();
        }
    }
}

LRESULT CMainWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message != 0 && message == AppMessages().instanceActivate) {
        ++m_activations;
        RefreshNoDeviceHint();
        RestoreAndRaise();
        handled = true;
        return 0;
    }
    return WindowImplBase::HandleMessage(message, wParam, lParam, handled);
}

void CMainWnd::OnFinalMessage() {
    QApplication::quit();
}

void CMainWnd::RestoreAndRaise() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

int CMainWnd::VisibleDeviceEntries() const {
    const QWidget* list = PaintManager().FindControl("device_select_layout").widget();
    if (!list) {
        return 0;
    }
    int visible = 0;
    for (const QObject* child : list->children()) {
        const auto* entry = qobject_cast<const QWidget*>(child);
        if (entry && !entry->isHidden() && entry->property("deviceEntry").toBool()) {
            ++visible;
        }
    }
    return visible;
}

void CMainWnd::RefreshNoDeviceHint() {
    PaintManager().FindControl("No_device_Link").SetVisible(VisibleDeviceEntries() == 0);
}
