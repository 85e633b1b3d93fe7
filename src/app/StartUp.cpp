#include "StartUp.h"

#include "AppDBusService.h"
#include "AppMessages.h"
#include "ControlFactory.h"
#include "CustomControls.h"
#include "DataFolders.h"
#include "DeviceProfileUI.h"
#include "DeviceTable.h"
#include "HeadsetPanels.h"
#include "KeySetControlUI.h"
#include "LightControlUI.h"
#include "MacroControlUI.h"
#include "MainWnd.h"
#include "MsgWnd.h"
#include "PrivateFont.h"
#include "RemoteControl.h"
#include "ShootControlUI.h"
#include "ShutdownSignals.h"
#include "SimulatedDevices.h"
#include "SingleInstance.h"
#include "SkinResources.h"
#include "StartOptions.h"
#include "UpdateInfoListItemUI.h"
#include "WorkToolAnswer.h"

#include <QApplication>
#include <QPalette>
#include <QTimer>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::array<const char*, 4> kFontFiles = {
    "Font/Simplified_Chinese.ttf",
    "Font/Rarovide-Regular.otf",
    "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf",
};

void RegisterCustomControls() {
    // Control classes register here, in the order the layouts expect them, as
    // their subsystems are built. A class not registered yet leaves its place in a
    // layout empty.
    CControlFactory& factory = CControlFactory::Instance();
    RegisterControlClass<CCircleProgressUI>(factory);
    RegisterControlClass<CChartViewUI>(factory);
    RegisterControlClass<CWndUI>(factory);
    RegisterControlClass<CSelectPanelUI>(factory);
    RegisterControlClass<CDeviceKeyButtonUI>(factory);
    RegisterControlClass<CCloudShareListItemUI>(factory);
    RegisterControlClass<CUpdateInfoListItemUI>(factory);
    // The device list's entry and power panel come here.
    RegisterControlClass<CComboEditContainerElementUI>(factory);
    RegisterControlClass<CHandImgButtonUI>(factory);
    RegisterControlClass<CHandImgSelectButtonUI>(factory);
    RegisterControlClass<CRedioMacroButtonUI>(factory);
    RegisterControlClass<CAudioRecordUI>(factory);
    // The feature panels and device classes follow.
    vpc::panels::RegisterLightingControls();
    vpc::panels::RegisterMacroControls();
    vpc::panels::RegisterHeadsetControls();
    vpc::panels::RegisterShootControls();
    vpc::panels::RegisterKeySetControls();
    RegisterParentedControlClass<vpc::panels::CDeviceProfileUI>(factory);
}

void ScheduleScreenshot(CMainWnd& window, const QString& file) {
    QTimer::singleShot(1500, &window, [&window, file] {
        if (window.grab().save(file)) {
            qInfo("Saved a picture of the main window to %s", qPrintable(file));
        } else {
            qWarning("Cannot save a picture to %s", qPrintable(file));
        }
        QApplication::quit();
    });
}

// Tells the user once, over the main window, when the profile folder cannot be used:
// changes would not be kept.
void ReportUnusableUserData(CMainWnd& window) {
    const vpc::data::UserRootCheck check = vpc::data::CheckUserDataRoot();
    if (check.ok) {
        return;
    }
    const CSkinResources& skin = CSkinResources::Instance();
    const QString text =
        skin.Translate("user_data_unusable_text") + "\n" + QString::fromStdString(check.message);
    QTimer::singleShot(
        0, &window, [&window, text, title = skin.Translate("user_data_unusable_title")] {
            // runs inside the notice's own event loop, once the notice is up
            QTimer::singleShot(0, &window,
                               [] { qInfo("Showing the unusable profile folder notice"); });
            ShowMessageBox(&window, title, text, window.PaintManager().GetDPI(), false, 0);
        });
}

// Requests from other programs reach the main window; its broadcasts go out as signals.
void ConnectBusService(CAppDBusService& service, CMainWnd& window) {
    QObject::connect(&service, &CAppDBusService::gameLightingRequested, &window,
                     &CMainWnd::OnGameMessage);
    QObject::connect(&service, &CAppDBusService::lightControlRequested, &window,
                     &CMainWnd::OnLightControlRequest);
    QObject::connect(&window, &CMainWnd::lightControlNotify, &service,
                     &CAppDBusService::LightControlNotify);
    QObject::connect(&service, &CAppDBusService::updateStatusReceived, &window,
                     &CMainWnd::ForwardUpdateStatus);
    service.SetWorkToolAnswer([] {
        std::vector<WorkToolDevice> kinds;
        for (const vpc::devices::DeviceOptionRow& row : vpc::devices::DeviceOptionTable()) {
            kinds.push_back({row.vendorId, row.productId, row.modelCode});
        }
        return BuildWorkToolBlock(kinds);
    });
    // This program drives the lighting from the start.
    emit service.LightControlNotify(1, 1);
}

} // namespace

void InitSkinResources() {
    CSkinResources& skin = CSkinResources::Instance();
    if (!skin.SetResourcePath(CSkinResources::LocateSkinFolder())) {
        qWarning("Skin folder %s has no usable res.xml", qPrintable(skin.GetResourcePath()));
    }
    skin.LoadLanguage("English", "language/en.json");
    // A choice box's list lies in a frame that the toolkit paints from the palette: it
    // takes the skin's colour instead of the desktop's light one.
    if (const QColor background = skin.PopupListBackground(); background.isValid()) {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Base, background);
        palette.setColor(QPalette::Window, background);
        QApplication::setPalette(palette, "QComboBoxPrivateContainer");
    }
    RegisterCustomControls();
}

int RunControlCenter(int argc, char** argv) {
    // Asked from a terminal, with or without a display: answered before the toolkit starts.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> information =
            CStartOptions::InformationAskedFor(arguments, QStringLiteral(VPC_VERSION))) {
        std::fputs(information->toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("vorna-control-center");
    QApplication::setApplicationDisplayName(kMainWindowTitle);
    QApplication::setQuitOnLastWindowClosed(false);
    const CShutdownSignals shutdownSignals;
    const CStartOptions options = CStartOptions::Parse(QApplication::arguments());

    const QString fontFolder = CSkinResources::LocateSkinFolder();
    std::array<std::unique_ptr<CPrivateFont>, kFontFiles.size()> fonts;
    for (std::size_t i = 0; i < kFontFiles.size(); ++i) {
        fonts[i] = std::make_unique<CPrivateFont>(fontFolder);
        fonts[i]->LoadFromFile(kFontFiles[i]);
    }
    const auto releaseFonts = [&fonts] {
        for (auto it = fonts.rbegin(); it != fonts.rend(); ++it) {
            (*it)->Release();
        }
    };

    RegisterHookAndGameMessages();
    if (!RegisterInstanceMessage()) {
        releaseFonts();
        return 0;
    }
    CSingleInstance instance;
    if (instance.Acquire() == CSingleInstance::Outcome::AlreadyRunning) {
        qInfo("The control center is already running: asked it to come to the front");
        releaseFonts();
        return 0;
    }

    InitSkinResources();
    qInfo("Skin folder: %s", qPrintable(CSkinResources::Instance().GetResourcePath()));
    qInfo("Default data folder: %s", vpc::data::GetDefaultDataFolder().c_str());
    RegisterProgramMessages();

    // --simulate: the simulated products join the bus before discovery starts, and leave it
    // after the window has gone
    std::unique_ptr<vpc::sim::CSimulatedDevices> simulated;
    if (!options.simulatedDevices.isEmpty()) {
        std::vector<std::string> kinds;
        for (const QString& kind : options.simulatedDevices) {
            kinds.push_back(kind.toStdString());
        }
        simulated = std::make_unique<vpc::sim::CSimulatedDevices>(kinds);
        for (const std::string& unknown : simulated->UnknownKinds()) {
            qWarning("Unknown device kind to simulate ignored: %s", unknown.c_str());
        }
    }
    auto mainWindow = std::make_unique<CMainWnd>();
    mainWindow->Create(nullptr, kMainWindowTitle, 0, 0, 800, 572);
    mainWindow->CenterWindow();
    if (options.minimized) {
        mainWindow->HideToTray();
    } else {
        mainWindow->show();
    }
    ReportUnusableUserData(*mainWindow);
    std::unique_ptr<CRemoteControl> remoteControl;
    if (CAppDBusService* service = instance.Service()) {
        QObject::connect(service, &CAppDBusService::activateRequested, mainWindow.get(),
                         [&mainWindow] {
                             qInfo("Activation requested by another start");
                             mainWindow->PostMessage(AppMessages().instanceActivate, 0, 1);
                         });
        ConnectBusService(*service, *mainWindow);
        remoteControl = std::make_unique<CRemoteControl>(*mainWindow);
        service->SetRemoteControl(remoteControl.get());
    }
    if (!options.screenshotFile.isEmpty()) {
        ScheduleScreenshot(*mainWindow, options.screenshotFile);
    }

    QApplication::exec();

    if (CAppDBusService* service = instance.Service()) {
        service->SetRemoteControl(nullptr);
    }
    remoteControl.reset();
    mainWindow.reset();
    CSkinResources::Instance().Clear();
    instance.Release();
    releaseFonts();
    return 0;
}
