// The program's main window: the frame of the skin with its title bar, device
// list area and the hint shown while no device is connected.
#pragma once

#include "DeviceGameLighting.h"
#include "GameLighting.h"
#include "InputHook.h"
#include "KeySetRoutes.h"
#include "LanguageSettings.h"
#include "LightingSync.h"
#include "MacroRoutes.h"
#include "PowerEvents.h"
#include "RouteTable.h"
#include "SkinChange.h"
#include "TrayIcon.h"
#include "UpdateTypes.h"
#include "WindowImplBase.h"

#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

namespace vpc::devices {
class CCorvaneUSBDevice;
class CDeviceList;
} // namespace vpc::devices
namespace vpc::panels {
class CMusicLighting;
}

class CMainWnd : public WindowImplBase {
    Q_OBJECT
public:
    explicit CMainWnd(QWidget* parent = nullptr);
    ~CMainWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("XML_MAIN"); }
    void InitWindow() override;
    // The rest of the window's start ("windowinit"): the tray icon, the devices, the language.
    void OnWindowInit();
    void Notify(TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnFinalMessage() override;

    // The language chosen in the settings window (wParam: the index in "Language.config").
    static constexpr UINT kUmSetLanguage = 3089;
    // Takes the language at that index: its text file, its font face, every visible text
    // of the program's windows and the key captions of the devices; stores the choice.
    void ApplyLanguage(int index);
    int LanguageIndex() const { return m_language.GetCurrentIndex(); }

    void RestoreAndRaise();
    // Shows "No_device_Link" when no device list entry is visible.
    void RefreshNoDeviceHint();
    // The device list: device objects, their entries and discovery (null before InitWindow).
    vpc::devices::CDeviceList* DeviceList() const { return m_deviceList.get(); }
    // The device of the visible, selected device list entry, or null.
    vpc::devices::CCorvaneUSBDevice* GetCurrentDevice() const;
    // Stops the discovery thread and every device thread; the window is still usable.
    void StopWorkers();
    // The "closebtn" reaction: hide to the tray, or minimise when the desktop has no
    // tray, so the window can always be reached again.
    void HideToTray();
    // While hidden to the tray, mice and keyboards stop polling their status.
    void PauseStatusPolling();
    void ResumeStatusPolling();
    // A left click on the tray icon: hide a shown window, show a hidden one.
    void OnTrayLeftClick();
    // Shows the tray menu at the cursor and runs the chosen item.
    void ShowTrayMenu();
    // Runs a tray menu item by name: "exit" (exact), "about_menu", "setwnd_menu".
    void HandleMenuCommand(const QString& itemName);
    // The tray menu's "autostart_menu": writes the session autostart entry (in configFolder,
    // XDG_CONFIG_HOME when empty), or removes it when there is one; false when that failed.
    bool ToggleAutostart(const QString& configFolder = QString());
    // The about window, modal; a request while one is open is ignored.
    void ShowAboutWindow();
    bool IsAboutWindowOpen() const { return !m_aboutWnd.isNull(); }
    // The settings window, modal: the language choice and a new update check at every
    // opening; a request while one is open is ignored. Centred on this window (tray menu,
    // message 3093), or hanging below the title bar near the right edge ("setbtn").
    void OpenSettingsWindow(bool centred = true);
    // Where the settings window goes beside this window's right edge.
    QPoint SettingsWindowBesidePosition() const;
    static constexpr UINT kUmShowSettings = 3093;
    // The window's size once fitted to a monitor that has room for it.
    static constexpr QSize kWorkingSize{1000, 640};
    bool IsSettingsWindowOpen() const { return !m_setWnd.isNull(); }
    WindowImplBase* SettingsWindow() const { return m_setWnd.data(); }
    // The update-check targets with their current versions: the firmware of each device whose
    // command channel is open in its row of the device table (mouse, keyboard, mouse pad), and
    // this program.
    std::array<vpc::update::UpdateEntry, 4> RefreshUpdateEntries() const;
    // An updater's report, handed to the settings window while it is open.
    void ForwardUpdateStatus(int status, int detail);
    // Asks the open pop-up windows to close.
    void ClosePopupWindows();
    // Gives the control "root" the chosen background colour or image.
    void ApplySkin(const SkinChangedParam& param);

    // Takes the DPI for the monitor the window is on and gives the window its
    // working size of 1000 x 640, centred.
    void FitDpiToMonitor();

    // Whether this program drives the device lighting (1 at start).
    bool LightControlFlag() const { return m_lightControl; }
    // The "control_light_status" toggle: flips the flag and tells other programs.
    void ToggleLightControl();
    // Another program's request: request 1 with enable 0 takes the lighting away from
    // this program, enable 1 gives it back; other requests change nothing.
    void OnLightControlRequest(int request, int enable);
    // Gives every mouse, mouse pad and keyboard the lighting-control flag, in that order.
    void SetLightControlAll(bool flag);
    // Device previews repaint only while the window is active or under the pointer.
    void SetPreviewAll(bool flag);
    // The "deng_same_mode" action: every connected device takes the lighting effect of
    // the current device and the synchronisation worker drives them together.
    bool SynchroniseLighting();
    const CLightingSyncThread& SyncThread() const { return m_syncThread; }
    // The routes of the panels' controls; Notify runs them.
    vpc::panels::CEventDispatcher& Dispatcher() { return m_dispatcher; }

    // A game message: shows the mode on the current device for a while.
    void OnGameMessage(int kind, int mode);
    // The restore timer expired: the changed device gets its mode back.
    void EndGameLighting();
    bool IsGameLightingTimerActive() const { return m_gameLightingTimer.isActive(); }
    // Where game lighting finds the current device (none when it returns null).
    void SetGameLightingTargetProvider(std::function<IGameLightingTarget*()> provider) {
        m_gameLightingTarget = std::move(provider);
    }
    CGameLighting& GameLighting() { return m_gameLighting; }

    // Suspend and resume: while suspended game messages are ignored and devices are
    // told this program no longer drives the lighting.
    void OnSuspending();
    void OnResumed();
    bool IsPoweredOn() const { return m_poweredOn; }

    // Music and screen-colour lighting (MainWndMusic.cpp): the capture companion and its
    // watchdog, and the music style window (modal; a request while one is open is ignored).
    vpc::panels::CMusicLighting* MusicLighting() const { return m_music.get(); }
    void OpenMusicWindow();
    bool IsMusicWindowOpen() const { return !m_musicWnd.isNull(); }

signals:
    // Tells other programs whether this program drives the lighting (enable 1).
    void lightControlNotify(int request, int enable);
    // Every device takes the lighting-control flag from here.
    void lightControlChanged(bool flag);

private:
    void ApplyStoredSkin();
    // Creates the mouse and keyboard objects and starts discovery.
    void StartDevices();

    void ShowLightControlState();
    // The size of the window's monitor in pixels.
    QSize ScreenPixels() const;
    // Each panel registers its routes, in the order the dispatch runs them.
    void RegisterRoutes();
    // The routes of the window's own buttons and of the device list.
    void RegisterWindowRoutes();
    // UM_KEY_CAPTURE: the key-capture hook on (1) or off (0).
    void SetKeyCapture(bool on);
    // A monitor came, went or changed its size: the window fits itself again, and once more
    // at its next size notification.
    void WatchDisplays();
    void OnDisplayChanged();
    bool DisplayChangePending() const { return m_displayChanged; }
    // The recording hook armed with a hook mode, or disarmed; the window's device selection and
    // profile panel are locked while it records.
    void ArmHooks(int hookMode, bool arm);
    void SetWindowInteractive(bool withDeviceSelection, bool enabled);
    // Ends a recording in progress (window closed or hidden, device gone).
    void StopMacroRecording();
    // A hook message for the current device's macro panel; false when it is none.
    bool RouteHookMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Devices in the order the lighting-control and sync rules name them.
    // The device objects of these types, type by type in the order given.
    std::vector<vpc::devices::CCorvaneUSBDevice*>
    DevicesOfTypes(std::initializer_list<int> deviceTypes) const;
    // The sync worker's view of the devices: refreshed on the UI thread, read under a lock.
    void PublishSyncDevices();
    bool HasSyncTargets();
    void ApplySyncColor(const SyncColor& color);
    // Music capture follows the devices' modes: each device's mode changes are followed, and
    // a device that came or went changes what is captured.
    void FollowDeviceModes();
    void StartMusicLighting();
    // At program end the watchdog ends too; on a power event only the companion is stopped.
    void StopMusicLighting(bool programEnds = true);
    void RegisterMusicRoutes();
    // "device_reset_btn" confirmed: the default music settings.
    void ResetMusicSettings();

protected:
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    CTrayIcon m_tray;
    CPowerEvents m_powerEvents;
    CGameLighting m_gameLighting;
    QTimer m_gameLightingTimer;
    std::function<IGameLightingTarget*()> m_gameLightingTarget;
    std::unique_ptr<CKeypadGameLighting> m_keypadGameLighting;
    bool m_lightControl = true;
    bool m_poweredOn = true;
    bool m_displayChanged = false;
    bool m_windowInitDone = false;
    QWidget* m_lightControlButton = nullptr;
    QPointer<WindowImplBase> m_aboutWnd;
    QPointer<WindowImplBase> m_setWnd;
    QWidget* m_closeButton = nullptr;
    QWidget* m_minButton = nullptr;
    QWidget* m_maxButton = nullptr;
    QWidget* m_restoreButton = nullptr;
    QWidget* m_skinButton = nullptr;
    QWidget* m_setButton = nullptr;
    std::unique_ptr<vpc::devices::CDeviceList> m_deviceList;
    std::mutex m_syncDevicesMutex;
    std::vector<vpc::devices::CCorvaneUSBDevice*> m_syncDevices;
    CLightingSyncThread m_syncThread;
    vpc::panels::CEventDispatcher m_dispatcher;
    CInputHook m_inputHook;
    vpc::panels::MacroRouteServices m_macroServices;
    vpc::panels::KeySetRouteServices m_keySetServices;
    QPointer<vpc::panels::CMacroControlUI> m_recordingPanel;
    vpc::data::CLanguageSettings m_language = vpc::data::CLanguageSettings::FromDataFolders();
    std::unique_ptr<vpc::panels::CMusicLighting> m_music;
    QPointer<WindowImplBase> m_musicWnd;
};
