// The about window: the product and the version of this build.
#pragma once

#include "FrameWnd.h"

class CAboutWnd : public CFrameWnd {
    Q_OBJECT
public:
    explicit CAboutWnd(QWidget* parent = nullptr) : CFrameWnd(parent) {}

    QString GetWindowClassName() const override { return QStringLiteral("AboutWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("AboutWnd.xml"); }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

    // The version text as the about window shows it.
    static QString VersionText();

protected:
    const char* DpiErrorLine() const override { return "SET_WND DPI SET ERROR"; }
};
