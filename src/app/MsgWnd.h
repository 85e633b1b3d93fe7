// The one modal message box of the program: a title, a message (plain or a
// language text id) and one or two buttons.
#pragma once

#include "FrameWnd.h"

class CMsgWnd : public CFrameWnd {
    Q_OBJECT
public:
    explicit CMsgWnd(QWidget* parent = nullptr) : CFrameWnd(parent) {}

    QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("XML_MSG"); }
    void Notify(TNotifyUI& msg) override;

    // Fills the texts and shows the buttons of the mode: 0 confirm only, 1 confirm
    // and cancel, other values leave the layout's buttons as they are.
    void Prepare(const QString& title, const QString& message, bool messageIsTextId,
                 int buttonMode);

protected:
    const char* DpiErrorLine() const override { return "MSG_WND DPI SET ERROR"; }
};

// Shows the message box over parent and returns 1 when the user confirms, else 0.
int ShowMessageBox(QWidget* parent, const QString& title, const QString& message, int dpi,
                   bool messageIsTextId, int buttonMode);
