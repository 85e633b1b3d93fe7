#include "MsgWnd.h"

void CMsgWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DuiEvent::Click && msg.pSender) {
        const QString name = ControlName(msg.pSender);
        if (name.compare("confirm_btn", Qt::CaseInsensitive) == 0) {
            Close(1);
            return;
        }
        if (name.compare("cancel_btn", Qt::CaseInsensitive) == 0) {
            Close(0);
            return;
        }
    }
    CFrameWnd::Notify(msg);
}

void CMsgWnd::Prepare(const QString& title, const QString& message, bool messageIsTextId,
                      int buttonMode) {
    if (!title.isEmpty()) {
        FindControl("MessageTitle").SetText(title);
    }
    if (!message.isEmpty()) {
        CControlUI text = FindControl("MessageText");
        if (messageIsTextId) {
            text.SetTextId(message);
        } else {
            text.SetText(message);
        }
    }
    if (buttonMode == 0 || buttonMode == 1) {
        FindControl("confirm_btn").SetVisible(true);
        FindControl("cancel_btn").SetVisible(buttonMode == 1);
    }
}

int ShowMessageBox(QWidget* parent, const QString& title, const QString& message, int dpi,
                   bool messageIsTextId, int buttonMode) {
    CMsgWnd box(parent);
    box.Create(parent, QStringLiteral("msgwnd"), 0, 0, 420, 220);
    box.Prepare(title, message, messageIsTextId, buttonMode);
    box.SetDPI(dpi);
    box.CenterWindow();
    return box.ShowModal() == 1 ? 1 : 0;
}
