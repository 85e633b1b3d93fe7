// Music and screen-colour lighting of the main window: the companion link with its watchdog,
// the level computation with timer 1067, the style record and "AudioFile.json", and the
// delivery of levels and screen colours to the connected keyboards and the first mouse.
#pragma once

#include "AudioRecordLink.h"
#include "MusicLevels.h"
#include "MusicStyle.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace vpc::devices {
class CCorvaneUSBDevice;
}

namespace vpc::panels {

class CMusicLighting : public QObject {
    Q_OBJECT
public:
    struct Services {
        // The connected devices of a type (1 keyboard, 2 mouse), in list order.
        std::function<std::vector<devices::CCorvaneUSBDevice*>(int type)> connectedDevices;
        // A problem with the companion, said once (log line and a note the user may see).
        std::function<void(const QString&)> notice;
    };
    static constexpr int kConnectDelayMs = 100; // timer 1011
    static constexpr int kQuietTimerMs = 100;   // timer 1067

    CMusicLighting(Services services, std::string program, std::string runtimeFolder,
                   std::filesystem::path defaultFolder, std::filesystem::path userRoot,
                   QObject* parent = nullptr);
    ~CMusicLighting() override;

    // Start-up: the companion is started, "AudioFile.json" read (made from the default copy
    // when needed), the style sent, the connection made 100 ms later and the watchdog started.
    void Start();
    // Program end: the watchdog joined, then the companion told to stop.
    void Stop();

    // A level frame or a screen colour record from the companion (also what tests feed in).
    void OnLevelFrame(std::span<const std::uint8_t> bytes);
    void OnScreenColors(std::span<const std::uint8_t> bytes);

    void SendMusicStyle(const MusicStyle& style);
    // The music window confirmed: the record becomes current, is sent, stored and saved.
    void TakeMusicStyle(const MusicStyle& style);
    // "device_reset_btn": the default music settings.
    void ResetMusicFile();
    MusicStyle LoadMusicStyle() { return m_file.LoadMusicStyle(); }
    // "R_light_slider", "G_light_slider", "B_light_slider" (component 0, 1, 2).
    void SendColorSlider(int component, int value);

    // The companion captures only what a connected keyboard shows: music (mode 21) and the
    // screen's colours (mode 31). Run when a device comes or goes or changes its mode.
    void UpdateCaptureNeed();
    // Timer 1067 runs only while level frames come in.
    bool IsQuietTimerActive() const { return m_quietTimer.isActive(); }

    CAudioRecordLink& Link() { return *m_link; }
    CMusicLevels& Levels() { return m_levels; }
    CMusicSettingsFile& File() { return m_file; }

private:
    Services m_services;
    CMusicSettingsFile m_file;
    CMusicLevels m_levels;
    std::unique_ptr<CAudioRecordLink> m_link;
    QTimer m_quietTimer;
    QTimer m_connectTimer;
};

} // namespace vpc::panels
