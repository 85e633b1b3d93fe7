#include "AboutWnd.h"

#include "SkinResources.h"

QString CAboutWnd::VersionText() {
    return QStringLiteral(VPC_VERSION);
}

void CAboutWnd::InitWindow() {
    CFrameWnd::InitWindow();
    // Language texts are read back through the hidden "text_test" label.
    CControlUI probe = FindControl("text_test");
    QString prefix = CSkinResources::Instance().Translate("software_rev_text");
    if (probe) {
        probe.SetTextId("software_rev_text");
        prefix = probe.GetText();
    }
    FindControl("software_ver_label").SetText(prefix + VersionText());
}

void CAboutWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DuiEvent::Click &&
        ControlName(msg.pSender).compare("homepage_btn", Qt::CaseInsensitive) == 0) {
        return; // no home page to open
    }
    CFrameWnd::Notify(msg);
}
