#include "MainWnd.h"

#include "AppLog.h"
#include "AppMessages.h"

#include "AboutWnd.h"
#include "Autostart.h"
#include "ColorSelectWnd.h"
#include "ControlUI.h"
#include "CorvaneUSBDevice.h"
#include "CurrentPageSizing.h"
#include "DesktopSettings.h"
#include "DeviceList.h"
#include "DeviceOptionUI.h"
#include "DeviceTable.h"
#include "DpiChoice.h"
#include "FrameWnd.h"
#include "HeadsetRoutes.h"
#include "KeySetControlUI.h"
#include "LightControlUI.h"
#include "LightingRoutes.h"
#include "MacroControlUI.h"
#include "MenuWnd.h"
#include "MouseRoutes.h"
#include "MsgWnd.h"
#include "MusicLighting.h"
#include "ProfileRoutes.h"
#include "SetWnd.h"
#include "ShootRoutes.h"
#include "SkinFrame.h"
#include "SkinResources.h"
#include "SkinSettings.h"
#include "SystemRoutes.h"
#include "UpdateCheck.h"
#include "UpdateServerConfig.h"
#include "keyboard/CorvaneKeyboardDevice.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFontDatabase>
#include <QIcon>
#include <QLayout>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>

namespace {
constexpr char kProductName[] = "VORNA PAD QMT58 Control Center";
constexpr char kTrayMenuFile[] = "menu/tray_menu.xml";
constexpr int kTrayMenuDelayMs = 10;
constexpr int kFitDpiDelayMs = 100;
// The hook mode of key capture: single keys for the key assignment panel.
constexpr int kKeyCaptureHookMode = 1;
constexpr int kDeviceTypeKeyboard = static_cast<int>(vpc::devices::DeviceKind::Keyboard);
constexpr int kDeviceTypeMouse = static_cast<int>(vpc::devices::DeviceKind::Mouse);
constexpr int kDeviceTypeMousePad = static_cast<int>(vpc::devices::DeviceKind::MousePad);
constexpr int kDeviceTypeHeadset = static_cast<int>(vpc::devices::DeviceKind::Headset);
} // namespace

CMainWnd::CMainWnd(QWidget* parent)
    : WindowImplBase(parent),
      m_syncThread({[this] { return HasSyncTargets(); },
                    [this](const SyncColor& color) { ApplySyncColor(color); }}),
      m_dispatcher([this] {
          vpc::devices::CCorvaneUSBDevice* device = GetCurrentDevice();
          return vpc::panels::CurrentDevice{device, device ? device->DeviceType() : 0};
      }) {
    RegisterRoutes();
    m_gameLightingTimer.setSingleShot(true);
    m_gameLightingTimer.setInterval(CGameLighting::kRestoreDelayMs);
    connect(&m_gameLightingTimer, &QTimer::timeout, this, &CMainWnd::EndGameLighting);
    connect(&m_powerEvents, &CPowerEvents::suspending, this, &CMainWnd::OnSuspending);
    connect(&m_powerEvents, &CPowerEvents::resumed, this, &CMainWnd::OnResumed);
}

CMainWnd::~CMainWnd() = default;

void CMainWnd::InitWindow() {
    const CPaintManagerUI& pm = PaintManager();
    m_closeButton = pm.FindControl("closebtn").widget();
    m_minButton = pm.FindControl("minbtn").widget();
    m_maxButton = pm.FindControl("maxbtn").widget();
    m_restoreButton = pm.FindControl("restorebtn").widget();
    m_skinButton = pm.FindControl("skinbtn").widget();
    m_setButton = pm.FindControl("setbtn").widget();
    // the device pages scroll for the page shown
    CCurrentPageSizing::Install(pm.FindControl("device_switch").as<QStackedWidget>());
    m_lightControlButton = pm.FindControl("control_light_status").widget();
    ShowLightControlState();
    QTimer::singleShot(kFitDpiDelayMs, this, &CMainWnd::FitDpiToMonitor);
    WatchDisplays();

    connect(&CSkinChangeNotifier::Instance(), &CSkinChangeNotifier::skinChanged, this,
            &CMainWnd::ApplySkin);
    ApplyStoredSkin();

    setWindowIcon(QIcon(CSkinResources::Instance().ImagePath(QStringLiteral("images/logo.svg"))));
}

void CMainWnd::OnWindowInit() {
    if (m_windowInitDone) {
        return;
    }
    m_windowInitDone = true;
    const QIcon icon = windowIcon();
    connect(&m_tray, &CTrayIcon::leftClicked, this, &CMainWnd::OnTrayLeftClick);
    connect(&m_tray, &CTrayIcon::rightClicked, this,
            [this] { QTimer::singleShot(kTrayMenuDelayMs, this, &CMainWnd::ShowTrayMenu); });
    if (!m_tray.Show(icon, QString::fromUtf8(kProductName))) {
        qCInfo(lcApp, "No system tray: the close button minimises the window");
    }
    StartDevices();
    StartMusicLighting();
    // the language the user chose last time (English when there is none)
    ApplyLanguage(m_language.GetStoredLanguageIndex());
    RefreshNoDeviceHint();
}

void CMainWnd::ApplyLanguage(int index) {
    const vpc::data::LanguageChange change = m_language.SetLanguage(index);
    if (!change.changed) {
        return;
    }
    CSkinResources& skin = CSkinResources::Instance();
    if (change.entry) {
        skin.LoadLanguage(QString::fromStdString(change.entry->name),
                          QString::fromStdString(change.entry->file));
    }
    if (change.fontFace) {
        // the language's face where the system (or the skin's Font folder) has it, the
        // usual face otherwise
        QFont font = QApplication::font();
        const QString face = QString::fromStdString(*change.fontFace);
        if (QFontDatabase::families().contains(face)) {
            font.setFamilies({face, font.family()});
            QApplication::setFont(font);
        }
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        skin.ReloadTexts(window);
        // texts that panels put together themselves follow (a widget hands it to its children)
        QEvent languageChange(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &languageChange);
    }
    for (vpc::devices::CCorvaneUSBDevice* device :
         DevicesOfTypes({kDeviceTypeMouse, kDeviceTypeKeyboard})) {
        device->RefreshPanel(); // key captions in the new language
    }
    RefreshNoDeviceHint();
}

void CMainWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != DuiEvent::Timer) {
        qCDebug(lcNotify, "%s", qPrintable(msg.sType));
        qCDebug(lcNotify, "%s", qPrintable(ControlName(msg.pSender)));
    }
    m_dispatcher.Dispatch(msg);
    if (msg.sType == DuiEvent::WindowInit && msg.pSender == PaintManager().GetRoot()) {
        OnWindowInit(); // a skin whose root has another name starts all the same
    }
}

LRESULT CMainWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    // Arrivals and removals are handled in every power state, so a device plugged or
    // pulled during a suspend is bound or released all the same.
    if (message == vpc::devices::kUmDeviceRemoved) {
        StopMacroRecording(); // the recording ends with the device it was for
    }
    if (m_deviceList && m_deviceList->HandleDeviceMessage(message, wParam, lParam)) {
        if (message == vpc::devices::kUmDeviceArrived)
            PublishSyncDevices();    // a device seen for the first time has just got its object
        m_syncThread.CheckTargets(); // a synchronised device may have come back
        FollowDeviceModes();
        if (message == vpc::devices::kUmDeviceArrived) {
            qCInfo(lcApp, "Device arrived in slot %d", static_cast<int>(wParam));
        } else if (message == vpc::devices::kUmDeviceRemoved) {
            qCInfo(lcApp, "Device removed from slot %d", static_cast<int>(wParam));
        }
        handled = true;
        return 0;
    }
    if (m_poweredOn && RouteHookMessage(message, wParam, lParam)) {
        handled = true;
        return 0;
    }
    if (message == vpc::devices::kUmKeyCapture) {
        SetKeyCapture(wParam != 0);
        handled = true;
        return 0;
    }
    if (message == kUmSetLanguage) {
        ApplyLanguage(static_cast<int>(wParam));
        handled = true;
        return 0;
    }
    if (message == kUmShowSettings) {
        OpenSettingsWindow(true);
        handled = true;
        return 0;
    }

    if (message != 0 && message == AppMessages().instanceActivate) {
        RefreshNoDeviceHint();
        RestoreAndRaise();
        handled = true;
        return 0;
    }
    return WindowImplBase::HandleMessage(message, wParam, lParam, handled);
}

void CMainWnd::OnFinalMessage() {
    StopMacroRecording();
    StopWorkers();
    m_tray.Hide();
    QApplication::quit();
}

void CMainWnd::HideToTray() {
    StopMacroRecording();
    ClosePopupWindows();
    if (!m_tray.IsShown()) {
        showMinimized();
        return;
    }
    hide();
    PauseStatusPolling();
}

void CMainWnd::PauseStatusPolling() {
    // A mouse in mode 11 and a keyboard in mode 21 keep polling: their lighting follows
    // what they read from the device.
    for (vpc::devices::CCorvaneUSBDevice* device :
         DevicesOfTypes({kDeviceTypeMouse, kDeviceTypeKeyboard})) {
        const int keepMode = device->DeviceType() == kDeviceTypeMouse ? 11 : 21;
        device->PauseStatusPolling(device->CurrentLightRecord().mode != keepMode);
    }
}

void CMainWnd::ResumeStatusPolling() {
    for (vpc::devices::CCorvaneUSBDevice* device :
         DevicesOfTypes({kDeviceTypeMouse, kDeviceTypeKeyboard})) {
        device->PauseStatusPolling(false);
    }
}

void CMainWnd::OnTrayLeftClick() {
    RefreshNoDeviceHint();
    const bool shown = isVisible() && !isMinimized();
    ClosePopupWindows();
    if (shown) {
        hide();
        PauseStatusPolling();
    } else {
        RestoreAndRaise();
    }
}

void CMainWnd::ShowTrayMenu() {
    QStringList checked;
    if (CAutostart().IsEnabled()) {
        checked << QStringLiteral("autostart_menu");
    }
    const QString item =
        CMenuWnd::Popup(QString::fromUtf8(kTrayMenuFile), QCursor::pos(), this, checked);
    if (!item.isEmpty()) {
        HandleMenuCommand(item);
    }
}

void CMainWnd::HandleMenuCommand(const QString& itemName) {
    if (itemName == QLatin1String("exit")) {
        ClosePopupWindows();
        Close(0);
    } else if (itemName.compare(QLatin1String("about_menu"), Qt::CaseInsensitive) == 0) {
        ShowAboutWindow();
    } else if (itemName.compare(QLatin1String("setwnd_menu"), Qt::CaseInsensitive) == 0) {
        RestoreAndRaise();
        OpenSettingsWindow();
    } else if (itemName == QLatin1String("autostart_menu")) {
        ToggleAutostart(); // in the tray menu until the settings window has the switch
    }
}

bool CMainWnd::ToggleAutostart(const QString& configFolder) {
    const CAutostart autostart(configFolder.isEmpty() ? CAutostart::DefaultConfigFolder()
                                                      : configFolder);
    QString why;
    const bool done = autostart.IsEnabled()
                          ? autostart.Disable(&why)
                          : autostart.Enable(QCoreApplication::applicationFilePath(), &why);
    if (!done) {
        qWarning("Cannot change the session autostart entry %s: %s",
                 qPrintable(autostart.EntryPath()), qPrintable(why));
    }
    return done;
}

void CMainWnd::ShowAboutWindow() {
    if (m_aboutWnd) {
        return;
    }
    CAboutWnd about(this);
    m_aboutWnd = &about;
    about.Create(this, QStringLiteral("  "), 0, 0, 800, 572);
    about.CenterWindow();
    about.ShowModal();
    m_aboutWnd = nullptr;
}

void CMainWnd::OpenSettingsWindow(bool centred) {
    if (m_setWnd) {
        return;
    }
    CSetWnd settings(this);
    m_setWnd = &settings;
    settings.SetMainWindow(this, LanguageIndex());
    settings.SetUpdateEntries(vpc::update::EntriesToCheck(RefreshUpdateEntries()));
    settings.Create(this, QStringLiteral("SetWnd"), 0, 0, CSetWnd::kWidth, CSetWnd::kHeight);
    settings.SetDPI(PaintManager().GetDPI());
    if (centred) {
        QRect frame = settings.geometry();
        frame.moveCenter(geometry().center());
        settings.move(frame.topLeft());
    } else {
        settings.move(SettingsWindowBesidePosition());
    }
    settings.ShowModal();
    m_setWnd = nullptr;
}

QPoint CMainWnd::SettingsWindowBesidePosition() const {
    const double scale = PaintManager().GetDPIScale();
    const QRect frame = geometry();
    return {frame.right() + 1 - static_cast<int>(30 * scale) - CSetWnd::kWidth,
            frame.top() + static_cast<int>(60 * scale)};
}

std::array<vpc::update::UpdateEntry, 4> CMainWnd::RefreshUpdateEntries() const {
    // by the devices' rows of the device table (mouse, keyboard, mouse pad, headset): the list
    // holds entries only for the devices seen so far
    std::vector<std::int32_t> versions(vpc::devices::DeviceOptionTable().size(), 0);
    if (m_deviceList) {
        for (vpc::devices::CCorvaneUSBDevice* device : m_deviceList->DeviceObjects()) {
            const auto row = static_cast<std::size_t>(device->OptionRow());
            if (row < versions.size() && device->Channel().IsEnabled())
                versions[row] = device->Channel().WiredInterface().Attributes().versionNumber;
        }
    }
    return vpc::update::RefreshUpdateEntries(
        vpc::update::LoadUpdateServerConfig(), versions,
        vpc::update::ReadInstalledVersion(vpc::update::kApplicationVersionText));
}

void CMainWnd::ForwardUpdateStatus(int status, int detail) {
    if (m_setWnd) {
        m_setWnd->SendMessage(AppMessages().updateStatus, static_cast<WPARAM>(status), detail);
    }
}

void CMainWnd::ClosePopupWindows() {
    if (m_aboutWnd) {
        m_aboutWnd->Close(0);
    }
    if (m_setWnd) {
        m_setWnd->Close(0);
    }
    if (m_musicWnd) {
        m_musicWnd->Close(0);
    }
}

void CMainWnd::ApplySkin(const SkinChangedParam& param) {
    ApplySkinToRoot(PaintManager().GetRoot(), param);
}

QSize CMainWnd::ScreenPixels() const {
    const QScreen* monitor = screen();
    return monitor ? monitor->geometry().size() * monitor->devicePixelRatio() : QSize();
}

void CMainWnd::FitDpiToMonitor() {
    const QScreen* monitor = screen();
    if (!monitor) {
        return;
    }
    const QSize pixels = ScreenPixels();
    const int dpi = CFrameWnd::ValidateDpi(ChooseDpi(pixels.width(), pixels.height()),
                                           "MAIN_WND DPI SET ERROR");
    // Qt scales the window with the desktop's own scale factor; the DPI is kept for
    // the controls that size images by it.
    PaintManager().SetDPI(dpi);
    setFixedSize(kWorkingSize.boundedTo(monitor->availableSize()));
    CenterWindow();
}

void CMainWnd::WatchDisplays() {
    const auto watch = [this](QScreen* monitor) {
        connect(monitor, &QScreen::geometryChanged, this, &CMainWnd::OnDisplayChanged);
        connect(monitor, &QScreen::logicalDotsPerInchChanged, this, &CMainWnd::OnDisplayChanged);
    };
    for (QScreen* monitor : QGuiApplication::screens())
        watch(monitor);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* monitor) {
        watch(monitor);
        OnDisplayChanged();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &CMainWnd::OnDisplayChanged);
}

void CMainWnd::OnDisplayChanged() {
    qCDebug(lcApp, "The display's resolution changed");
    m_displayChanged = true;
    FitDpiToMonitor();
}

void CMainWnd::RegisterWindowRoutes() {
    using vpc::panels::DeviceNeed;
    using vpc::panels::RouteCall;
    using vpc::panels::RouteSection;
    auto& routes = m_dispatcher.Routes();
    const QString click = QString::fromLatin1(DuiEvent::Click);
    // Buttons found by InitWindow act only as those very controls.
    const auto own = [&](const char* name, QWidget* CMainWnd::*button, std::function<void()> act) {
        routes.Add(RouteSection::WindowClick, click, QString::fromLatin1(name), DeviceNeed::None,
                   [this, button, act = std::move(act)](RouteCall& call) {
                       if (call.msg.pSender && call.msg.pSender == this->*button)
                           act();
                   });
    };
    // "windowinit" of the root, right after the layout was built: the tray, the devices and
    // the language
    routes.Add(RouteSection::WindowClick, QString::fromLatin1(DuiEvent::WindowInit),
               QStringLiteral("root"), DeviceNeed::None, [this](RouteCall& call) {
                   if (call.msg.pSender == PaintManager().GetRoot())
                       OnWindowInit();
               });
    // the first size of the window after a display change fits it to the monitor again
    routes.Add(RouteSection::WindowClick, QString::fromLatin1(DuiEvent::WindowSize),
               QStringLiteral("root"), DeviceNeed::None, [this](RouteCall& call) {
                   if (!m_displayChanged || call.msg.pSender != PaintManager().GetRoot())
                       return;
                   m_displayChanged = false;
                   FitDpiToMonitor();
               });
    own("closebtn", &CMainWnd::m_closeButton, [this] { HideToTray(); });
    routes.Add(RouteSection::WindowClick, click, QStringLiteral("nodevice_ok_btn"),
               DeviceNeed::None, [this](RouteCall&) { hide(); });
    own("control_light_status", &CMainWnd::m_lightControlButton, [this] { ToggleLightControl(); });
    own("minbtn", &CMainWnd::m_minButton, [this] { showMinimized(); });
    own("maxbtn", &CMainWnd::m_maxButton, [this] { showMaximized(); });
    own("restorebtn", &CMainWnd::m_restoreButton, [this] { showNormal(); });
    own("skinbtn", &CMainWnd::m_skinButton, [this] { CSkinFrame::Open(this, m_skinButton); });
    own("setbtn", &CMainWnd::m_setButton, [this] { OpenSettingsWindow(false); });

    // The desktop's own keyboard (0) and mouse (1) settings.
    routes.AddNumbered(RouteSection::NumberedClick, click, QStringLiteral("windowdeviceset_"),
                       DeviceNeed::None, [](RouteCall& call) {
                           if (call.number != 0 && call.number != 1)
                               return;
                           const auto page = static_cast<DesktopSettingsPage>(call.number);
                           if (!OpenDesktopSettings(page))
                               qCInfo(lcApp, "No settings program of the desktop was found");
                       });

    // The device list: the checked entry shows its page; the arrows step through the entries.
    routes.Add(RouteSection::SelectChanged, QString::fromLatin1(DuiEvent::SelectChanged),
               QStringLiteral("device_select"), DeviceNeed::None, [this](RouteCall& call) {
                   if (m_deviceList && CControlUI(call.msg.pSender).IsSelected())
                       m_deviceList->ShowCheckedEntry();
               });
    routes.Add(RouteSection::PanelClick, click, QStringLiteral("device_select_prev"),
               DeviceNeed::None, [this](RouteCall&) {
                   if (m_deviceList)
                       m_deviceList->SelectPreviousEntry();
               });
    routes.Add(RouteSection::PanelClick, click, QStringLiteral("device_select_next"),
               DeviceNeed::None, [this](RouteCall&) {
                   if (m_deviceList)
                       m_deviceList->SelectNextEntry();
               });
}

void CMainWnd::SetKeyCapture(bool on) {
    if (on) {
        if (!m_inputHook.IsArmed())
            m_inputHook.Arm(kKeyCaptureHookMode, this);
    } else if (m_inputHook.IsArmed() && m_inputHook.HookMode() == kKeyCaptureHookMode) {
        m_inputHook.Disarm();
    }
}

void CMainWnd::RegisterRoutes() {
    RegisterWindowRoutes();
    vpc::panels::ProfileRouteServices profileServices;
    profileServices.showMessage = [this](const QString& textId, int buttonMode) {
        return ShowMessageBox(this, QString(), textId, PaintManager().GetDPI(), true, buttonMode);
    };
    profileServices.resetMusicSettings = [this] { ResetMusicSettings(); };
    vpc::panels::RegisterProfileRoutes(m_dispatcher.Routes(), std::move(profileServices));
    vpc::panels::RegisterLightingRoutes(m_dispatcher.Routes(), {[this] { SynchroniseLighting(); }});
    vpc::panels::MouseRouteServices mouseServices;
    mouseServices.screenPixels = [this] { return ScreenPixels(); };
    mouseServices.showMessage = [this](const QString& textId) {
        ShowMessageBox(this, QString(), textId, PaintManager().GetDPI(), true, 0);
    };
    mouseServices.chooseColour = [this](std::uint32_t start) {
        return vpc::panels::CColorSelectWnd::Choose(this, start, PaintManager().GetDPI());
    };
    vpc::panels::RegisterMouseRoutes(m_dispatcher.Routes(), std::move(mouseServices));

    m_macroServices.confirm = [this](const QString& textId) {
        return ShowMessageBox(this, QString(), textId, PaintManager().GetDPI(), true, 1) == 1;
    };
    m_macroServices.showMessage = [this](const QString& textId) {
        ShowMessageBox(this, QString(), textId, PaintManager().GetDPI(), true, 0);
    };
    const QString macroFilter = QStringLiteral("Macro Files(*.mac)");
    m_macroServices.chooseImportFile = [this,
                                        macroFilter]() -> std::optional<std::filesystem::path> {
        const QString file = QFileDialog::getOpenFileName(this, QString(), QString(), macroFilter);
        if (file.isEmpty())
            return std::nullopt;
        return std::filesystem::path(file.toStdString());
    };
    m_macroServices.chooseExportFile = [this,
                                        macroFilter]() -> std::optional<std::filesystem::path> {
        const QString file = QFileDialog::getSaveFileName(this, QString(), QString(), macroFilter);
        if (file.isEmpty())
            return std::nullopt;
        return std::filesystem::path(file.toStdString());
    };
    m_macroServices.armHooks = [this](int hookMode, bool arm) { ArmHooks(hookMode, arm); };
    vpc::panels::RegisterMacroRoutes(m_dispatcher.Routes(), m_macroServices);
    vpc::panels::HeadsetRouteServices headsetServices;
    headsetServices.showMessage = [this](const QString& textId) {
        ShowMessageBox(this, QString(), textId, PaintManager().GetDPI(), true, 0);
    };
    vpc::panels::RegisterHeadsetRoutes(m_dispatcher.Routes(), std::move(headsetServices));
    vpc::panels::ShootRouteServices shootServices;
    shootServices.showMessage = [this](const QString& textId, const QString& detail) {
        const CSkinResources& skin = CSkinResources::Instance();
        ShowMessageBox(this, QString(), skin.Translate(textId) + QLatin1Char('\n') + detail,
                       PaintManager().GetDPI(), false, 0);
    };
    const QString shootFilter = QStringLiteral("Shoot Files(*.shoot *.Shoot)");
    shootServices.chooseImportFile = [this, shootFilter]() -> std::optional<std::filesystem::path> {
        const QString file = QFileDialog::getOpenFileName(this, QString(), QString(), shootFilter);
        if (file.isEmpty())
            return std::nullopt;
        return std::filesystem::path(file.toStdString());
    };
    shootServices.chooseExportFile = [this, shootFilter]() -> std::optional<std::filesystem::path> {
        const QString file = QFileDialog::getSaveFileName(this, QString(), QString(), shootFilter);
        if (file.isEmpty())
            return std::nullopt;
        return std::filesystem::path(file.toStdString());
    };
    vpc::panels::RegisterShootRoutes(m_dispatcher.Routes(), std::move(shootServices));

    m_keySetServices.showMessage = [this](const QString& text) {
        ShowMessageBox(this, QString(), text, PaintManager().GetDPI(), false, 0);
    };
    m_keySetServices.keyCapture = [this](bool on) {
        SendMessage(vpc::devices::kUmKeyCapture, on ? 1 : 0, 0);
    };
    m_keySetServices.setWindowInteractive = [this](bool withDeviceSelection, bool enabled) {
        SetWindowInteractive(withDeviceSelection, enabled);
    };
    vpc::panels::RegisterKeySetRoutes(m_dispatcher.Routes(), m_keySetServices);
    vpc::panels::SystemRouteServices systemServices;
    systemServices.confirm = [this](const QString& textId) {
        return ShowMessageBox(this, QString(), textId, PaintManager().GetDPI(), true, 1) == 1;
    };
    systemServices.screenPixels = [this] { return ScreenPixels(); };
    vpc::panels::RegisterSystemRoutes(m_dispatcher.Routes(), std::move(systemServices));
    vpc::panels::CMacroControlUI::SetRecordingRequester([this](vpc::panels::CMacroControlUI& panel,
                                                               int hookMode,
                                                               vpc::panels::macro::TimeMode mode) {
        vpc::panels::StartMacroRecording(panel, hookMode, mode, m_macroServices);
    });
    RegisterMusicRoutes();
}

void CMainWnd::ArmHooks(int hookMode, bool arm) {
    if (arm) {
        m_recordingPanel = vpc::panels::MacroPanelOf(GetCurrentDevice());
        m_inputHook.Arm(hookMode, this);
    } else {
        m_inputHook.Disarm();
        m_recordingPanel = nullptr;
    }
    SetWindowInteractive(true, !arm);
}

void CMainWnd::SetWindowInteractive(bool withDeviceSelection, bool enabled) {
    // the key assignment panel's edit buttons take the opposite state
    if (vpc::devices::CCorvaneUSBDevice* device = GetCurrentDevice();
        device &&
        (device->DeviceType() == kDeviceTypeKeyboard || device->DeviceType() == kDeviceTypeMouse)) {
        if (vpc::panels::CKeySetControlUI* keys = vpc::panels::KeySetPanelOf(device))
            keys->EnableEditButtons(!enabled);
    }
    if (!withDeviceSelection) {
        return;
    }
    if (QWidget* selection =
            PaintManager().FindControl(QStringLiteral("device_select_layout")).widget()) {
        selection->setEnabled(enabled);
    }
    if (QWidget* device = GetCurrentDevice()) {
        if (auto* profiles = device->findChild<QWidget*>(QStringLiteral("DeviceProfileItem"))) {
            profiles->setEnabled(enabled);
        }
    }
}

void CMainWnd::StopMacroRecording() {
    if (!m_inputHook.IsArmed()) {
        return;
    }
    if (m_recordingPanel) {
        vpc::panels::StopMacroRecording(*m_recordingPanel, m_macroServices);
    } else {
        ArmHooks(4, false);
    }
}

namespace {

// The keyboard record a hook message points to, with the message's key state.
vpc::panels::macro::KeyHookEvent KeyEventOf(WPARAM wParam, LPARAM lParam) {
    const auto* record = reinterpret_cast<const KeyHookRecord*>(lParam);
    vpc::panels::macro::KeyHookEvent event;
    event.message = static_cast<std::uint32_t>(wParam);
    event.virtualKey = record->virtualKey;
    event.scanCode = record->scanCode;
    event.flags = record->flags;
    event.time = record->time;
    return event;
}

} // namespace

bool CMainWnd::RouteHookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    using vpc::panels::macro::RecordPosition;
    const CAppMessages& m = AppMessages();
    struct Route {
        UINT message;
        bool keyboard;
        RecordPosition position;
    };
    const Route routes[] = {
        {m.hookKeyKbMacro, true, RecordPosition::Append},
        {m.hookKeyKbMacroPrevious, true, RecordPosition::Before},
        {m.hookKeyKbMacroLater, true, RecordPosition::After},
        {m.hookKeyKbMacroSingle, true, RecordPosition::Replace},
        {m.hookKeyMsMacro, false, RecordPosition::Append},
        {m.hookKeyMsMacroPrevious, false, RecordPosition::Before},
        {m.hookKeyMsMacroLater, false, RecordPosition::After},
        {m.hookKeyMsMacroSingle, false, RecordPosition::Replace},
    };
    if (message != 0 && message == m.hookKeySingleKey) {
        // key capture for the key assignment panel
        if (lParam != 0) {
            const vpc::panels::macro::KeyHookEvent event = KeyEventOf(wParam, lParam);
            vpc::devices::CCorvaneUSBDevice* device = GetCurrentDevice();
            vpc::panels::CaptureKey({device, device ? device->DeviceType() : 0}, event,
                                    m_keySetServices);
        }
        return true;
    }
    for (const Route& route : routes) {
        if (message == 0 || message != route.message) {
            continue;
        }
        vpc::devices::CCorvaneUSBDevice* device = GetCurrentDevice();
        const bool pointerDevice = device && (device->DeviceType() == kDeviceTypeKeyboard ||
                                              device->DeviceType() == kDeviceTypeMouse);
        vpc::panels::CMacroControlUI* panel =
            pointerDevice ? vpc::panels::MacroPanelOf(device) : nullptr;
        if (!panel || lParam == 0) {
            return true;
        }
        if (route.keyboard) {
            const vpc::panels::macro::KeyHookEvent event = KeyEventOf(wParam, lParam);
            panel->RecordKey(route.position, event);
        } else {
            const auto* record = reinterpret_cast<const MouseHookRecord*>(lParam);
            vpc::panels::macro::MouseHookEvent event;
            event.message = static_cast<std::uint32_t>(wParam);
            event.x = record->x;
            event.y = record->y;
            event.mouseData = record->mouseData;
            panel->RecordMouse(route.position, event);
        }
        return true;
    }
    return false;
}

void CMainWnd::ShowLightControlState() {
    CControlUI status(m_lightControlButton);
    status.SetTextId(m_lightControl ? QStringLiteral("main_light_control_on")
                                    : QStringLiteral("main_light_control_off"));
}

void CMainWnd::ToggleLightControl() {
    m_lightControl = !m_lightControl;
    emit lightControlNotify(1, m_lightControl ? 1 : 0);
    ShowLightControlState();
    SetLightControlAll(m_lightControl);
}

void CMainWnd::OnLightControlRequest(int request, int enable) {
    if (request != 1) {
        return;
    }
    if (enable == 0 || enable == 1) {
        m_lightControl = enable == 1;
        ShowLightControlState();
    }
    SetLightControlAll(m_lightControl);
}

std::vector<vpc::devices::CCorvaneUSBDevice*>
CMainWnd::DevicesOfTypes(std::initializer_list<int> deviceTypes) const {
    std::vector<vpc::devices::CCorvaneUSBDevice*> devices;
    if (!m_deviceList) {
        return devices;
    }
    const auto objects = m_deviceList->DeviceObjects();
    for (const int type : deviceTypes) {
        for (vpc::devices::CCorvaneUSBDevice* device : objects) {
            if (device && device->DeviceType() == type) {
                devices.push_back(device);
            }
        }
    }
    return devices;
}

void CMainWnd::SetLightControlAll(bool flag) {
    for (vpc::devices::CCorvaneUSBDevice* device :
         DevicesOfTypes({kDeviceTypeMouse, kDeviceTypeMousePad, kDeviceTypeKeyboard})) {
        device->NotifyLightControl(flag);
    }
    emit lightControlChanged(flag);
}

void CMainWnd::SetPreviewAll(bool flag) {
    for (vpc::devices::CCorvaneUSBDevice* device :
         DevicesOfTypes({kDeviceTypeMouse, kDeviceTypeMousePad, kDeviceTypeKeyboard})) {
        device->SetPreviewEnabled(flag);
    }
}

void CMainWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        SetPreviewAll(isActiveWindow());
    }
    WindowImplBase::changeEvent(event);
}

void CMainWnd::enterEvent(QEnterEvent* event) {
    SetPreviewAll(true);
    WindowImplBase::enterEvent(event);
}

void CMainWnd::leaveEvent(QEvent* event) {
    SetPreviewAll(false);
    WindowImplBase::leaveEvent(event);
}

bool CMainWnd::SynchroniseLighting() {
    vpc::devices::CCorvaneUSBDevice* current = GetCurrentDevice();
    if (!current) {
        return false;
    }
    const vpc::devices::DeviceLightRecord record = current->CurrentLightRecord();
    const auto kind = static_cast<SyncDeviceKind>(current->DeviceType());
    const std::optional<int> effect = SyncEffectForMode(kind, record.mode);
    if (!effect) {
        return false; // a mode that cannot be shared changes nothing
    }
    const SyncLightingRecord sync{static_cast<std::uint8_t>(*effect),
                                  record.brightness,
                                  record.speed,
                                  record.direction,
                                  record.multiColor,
                                  record.red,
                                  record.green,
                                  record.blue};
    m_syncThread.SetRecord(sync);
    const QSize screenPixels = ScreenPixels();
    for (vpc::devices::CCorvaneUSBDevice* device : DevicesOfTypes(
             {kDeviceTypeKeyboard, kDeviceTypeMouse, kDeviceTypeMousePad, kDeviceTypeHeadset})) {
        if (!device->Channel().IsEnabled()) {
            continue;
        }
        // the shared effect, the device's own words of its class
        vpc::devices::DeviceLightRecord shared = record;
        shared.mode = static_cast<std::uint8_t>(
            SyncModeForEffect(static_cast<SyncDeviceKind>(device->DeviceType()), *effect));
        const vpc::devices::DeviceLightRecord own = device->CurrentLightRecord();
        shared.word0 = own.word0;
        shared.word1 = own.word1;
        device->SetSynchronised(true);
        device->SetLightRecord(shared);
        device->SaveProfile();
        device->ApplyLightSettings();
        device->WriteOnboardProfile(0, 0, 1, screenPixels.width(), screenPixels.height());
    }
    PublishSyncDevices();
    m_syncThread.CheckTargets();
    return true;
}

void CMainWnd::PublishSyncDevices() {
    std::vector<vpc::devices::CCorvaneUSBDevice*> devices = DevicesOfTypes(
        {kDeviceTypeMouse, kDeviceTypeMousePad, kDeviceTypeHeadset, kDeviceTypeKeyboard});
    const std::lock_guard lock(m_syncDevicesMutex);
    m_syncDevices = std::move(devices);
}

bool CMainWnd::HasSyncTargets() {
    const std::lock_guard lock(m_syncDevicesMutex);
    for (vpc::devices::CCorvaneUSBDevice* device : m_syncDevices) {
        if (device->IsSynchronised() && device->Channel().IsEnabled()) {
            return true;
        }
    }
    return false;
}

void CMainWnd::ApplySyncColor(const SyncColor& color) {
    const vpc::lighting::LedColor led{color.red, color.green, color.blue, color.brightness};
    const std::lock_guard lock(m_syncDevicesMutex);
    for (vpc::devices::CCorvaneUSBDevice* device : m_syncDevices) {
        if (!device->IsSynchronised()) {
            continue;
        }
        for (int index = 0; index < device->LedCapacity(); ++index) {
            device->SetLedColor(index, led);
        }
    }
}

void CMainWnd::OnGameMessage(int kind, int mode) {
    if (!m_poweredOn) {
        return;
    }
    IGameLightingTarget* device = m_gameLightingTarget ? m_gameLightingTarget() : nullptr;
    if (m_gameLighting.Start(device, kind, mode)) {
        m_gameLightingTimer.start();
    }
}

void CMainWnd::EndGameLighting() {
    m_gameLightingTimer.stop();
    m_gameLighting.End();
}

void CMainWnd::OnSuspending() {
    StopMusicLighting(false);
    m_poweredOn = false;
    SetLightControlAll(false);
}

void CMainWnd::OnResumed() {
    m_poweredOn = true;
    SetLightControlAll(m_lightControl);
}

void CMainWnd::ApplyStoredSkin() {
    const auto stored = vpc::data::ReadSkinImage(vpc::data::GetSkinFilePath());
    if (stored && stored->flag && !stored->image.empty()) {
        ApplySkin({false, 0, QString::fromStdString(stored->image)});
    }
}

void CMainWnd::RestoreAndRaise() {
    ResumeStatusPolling();
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void CMainWnd::RefreshNoDeviceHint() {
    if (m_deviceList) {
        m_deviceList->RefreshNoDeviceHint();
    } else {
        PaintManager().FindControl("No_device_Link").SetVisible(true);
    }
}

void CMainWnd::StartDevices() {
    vpc::devices::DeviceListHooks hooks;
    hooks.restoreAndRaise = [this] { RestoreAndRaise(); };
    hooks.closePopupWindows = [this] { ClosePopupWindows(); };
    hooks.syncLightingOffered = [this](bool offered) {
        vpc::panels::OfferSynchronisedLighting(this, offered);
    };
    // runs on the discovery thread: posting is the only thing it does with the window
    hooks.firstPassDone = [this] { PostMessage(AppMessages().instanceActivate, 0, 0); };
    hooks.accessDenied = [this](const QString&) {
        // shown once, after the current message is handled
        QTimer::singleShot(0, this, [this] {
            ShowMessageBox(this, CSkinResources::Instance().Translate("device_access_denied_title"),
                           QStringLiteral("device_access_denied_text"), PaintManager().GetDPI(),
                           true, 0);
        });
    };
    m_deviceList = std::make_unique<vpc::devices::CDeviceList>(*this, std::move(hooks));
    m_deviceList->CreateInitialDevices();
    m_deviceList->StartDiscovery();
    // Game messages act on the current device when it is the keypad.
    m_gameLightingTarget = [this]() -> IGameLightingTarget* {
        auto* keypad = qobject_cast<vpc::devices::CCorvaneKeyboardDevice*>(GetCurrentDevice());
        if (!keypad) {
            return nullptr;
        }
        if (!m_keypadGameLighting || !m_keypadGameLighting->IsFor(keypad)) {
            m_gameLighting.Forget(m_keypadGameLighting.get());
            m_keypadGameLighting = std::make_unique<CKeypadGameLighting>(keypad);
        }
        return m_keypadGameLighting.get();
    };
    PublishSyncDevices();
    m_syncThread.Start();
}

void CMainWnd::StopWorkers() {
    StopMusicLighting();
    m_syncThread.Stop();
    if (m_deviceList) {
        m_deviceList->StopWorkers();
    }
}

vpc::devices::CCorvaneUSBDevice* CMainWnd::GetCurrentDevice() const {
    return m_deviceList ? m_deviceList->GetCurrentDevice() : nullptr;
}
