// The program's main window: the frame of the skin with its title bar, device
// list area and the hint shown while no device is connected.
#pragma once

#include "WindowImplBase.h"

class CMainWnd : public WindowImplBase {
    Q_OBJECT
public:
    explicit CMainWnd(QWidget* parent = nullptr);
    ~CMainWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("XML_MAIN"); }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage() override;

    void RestoreAndRaise();
    // Shows "No_device_Link" when no device list entry is visible.
    void RefreshNoDeviceHint();
    int VisibleDeviceEntries() const;
    // How many activations (second starts, first discovery pass) arrived.
    int ActivationCount() const { return m_activations; }

private:
    QWidget* m_closeButton = nullptr;
    QWidget* m_maxButton = nullptr;
    QWidget* m_restoreButton = nullptr;
    QWidget* m_minButton = nullptr;
    QWidget* m_skinButton = nullptr;
    QWidget* m_gameModeButton = nullptr;
    QWidget* m_cloudButton = nullptr;
    QWidget* m_smartEyesButton = nullptr;
    QWidget* m_settingsButton = nullptr;
    int m_activations = 0;
};
