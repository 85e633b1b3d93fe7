// The program's main window: the frame of the skin with its title bar, device
// list area and the hint shown while no device is connected.
#pragma once

#include "SkinChange.h"
#include "TrayIcon.h"
#include "WindowImplBase.h"

#include <QPointer>

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
    // The "closebtn" reaction: hide to the tray, or minimise when the desktop has no
    // tray, so the window can always be reached again.
    void HideToTray();
    // A left click on the tray icon: hide a shown window, show a hidden one.
    void OnTrayLeftClick();
    // Shows the tray menu at the cursor and runs the chosen item.
    void ShowTrayMenu();
    // Runs a tray menu item by name: "exit" (exact), "about_menu", "setwnd_menu".
    void HandleMenuCommand(const QString& itemName);
    // The about window, modal; a request while one is open is ignored.
    void ShowAboutWindow();
    bool IsAboutWindowOpen() const { return !m_aboutWnd.isNull(); }
    // Asks the open pop-up windows to close.
    void ClosePopupWindows();
    // Gives the control "root" the chosen background colour or image.
    void ApplySkin(const SkinChangedParam& param);
    // Shows "No_device_Link" when no device list entry is visible.
    void RefreshNoDeviceHint();
    int VisibleDeviceEntries() const;
    // How many activations (second starts, first discovery pass) arrived.
    int ActivationCount() const { return m_activations; }

private:
    void ApplyStoredSkin();

    CTrayIcon m_tray;
    QPointer<WindowImplBase> m_aboutWnd;
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
