// The main window's music and screen-colour lighting: the capture companion started with the
// window and watched while it runs, the music routes and the music style window.
#include "MainWnd.h"

#include "AppLog.h"
#include "AudioCaptureProtocol.h"
#include "AudioRecordLink.h"
#include "CorvaneUSBDevice.h"
#include "DataFolders.h"
#include "DeviceList.h"
#include "MusicLighting.h"
#include "MusicRoutes.h"
#include "MusicWnd.h"
#include "SkinResources.h"

#include <memory>
#include <utility>

void CMainWnd::StartMusicLighting() {
    if (m_music) {
        return;
    }
    vpc::panels::CMusicLighting::Services services;
    services.connectedDevices = [this](int type) {
        std::vector<vpc::devices::CCorvaneUSBDevice*> connected;
        for (vpc::devices::CCorvaneUSBDevice* device : DevicesOfTypes({type})) {
            if (device->Channel().IsEnabled()) {
                connected.push_back(device);
            }
        }
        return connected;
    };
    // said once per kind of trouble, on the UI thread; the watchdog keeps trying meanwhile
    services.notice = [this, noted = std::make_shared<bool>(false)](const QString& text) {
        qCWarning(lcApp, "Music lighting: %s", qPrintable(text));
        if (std::exchange(*noted, true)) {
            return; // one note a run; the log has each kind
        }
        const CSkinResources& skin = CSkinResources::Instance();
        m_tray.ShowNote(skin.Translate(QStringLiteral("music_title_text")),
                        skin.Translate(QStringLiteral("music_companion_note_text")));
    };
    m_music = std::make_unique<vpc::panels::CMusicLighting>(
        std::move(services), vpc::panels::CAudioRecordLink::FindProgram(),
        vpc::audiocapture::RuntimeFolder(), vpc::data::GetDefaultDataFolder(),
        vpc::data::GetUserDataRoot());
    FollowDeviceModes();
    m_music->Start();
}

void CMainWnd::FollowDeviceModes() {
    if (!m_music || !m_deviceList) {
        return;
    }
    for (vpc::devices::CCorvaneUSBDevice* device : m_deviceList->DeviceObjects()) {
        connect(device, &vpc::devices::CCorvaneUSBDevice::lightModeChanged, m_music.get(),
                &vpc::panels::CMusicLighting::UpdateCaptureNeed, Qt::UniqueConnection);
    }
    m_music->UpdateCaptureNeed();
}

void CMainWnd::StopMusicLighting(bool programEnds) {
    if (!m_music) {
        return;
    }
    if (programEnds) {
        m_music->Stop();
    } else {
        m_music->Link().StopAudioRecord(); // the watchdog starts it again
    }
}

void CMainWnd::ResetMusicSettings() {
    if (m_music) {
        m_music->ResetMusicFile();
    }
}

void CMainWnd::RegisterMusicRoutes() {
    vpc::panels::MusicRouteServices services;
    services.openMusicWindow = [this] { OpenMusicWindow(); };
    services.colorSlider = [this](int component, int value) {
        if (m_music) {
            m_music->SendColorSlider(component, value);
        }
    };
    vpc::panels::RegisterMusicRoutes(m_dispatcher.Routes(), std::move(services));
}

void CMainWnd::OpenMusicWindow() {
    if (m_musicWnd || !m_music) {
        return;
    }
    CMusicWnd window(m_music->LoadMusicStyle(), this);
    m_musicWnd = &window;
    window.Create(this, QStringLiteral("  "), 0, 0, CMusicWnd::kWidth, CMusicWnd::kHeight);
    window.SetDPI(PaintManager().GetDPI());
    window.CenterWindow();
    const int result = window.ShowModal();
    m_musicWnd = nullptr;
    if (result == 1) {
        m_music->TakeMusicStyle(window.Style());
    }
}
