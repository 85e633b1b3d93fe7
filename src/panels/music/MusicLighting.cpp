#include "MusicLighting.h"

#include "AudioCaptureProtocol.h"
#include "CorvaneUSBDevice.h"
#include "lighting/LightTypes.h"

#include <QLoggingCategory>

namespace vpc::panels {

namespace {
Q_LOGGING_CATEGORY(lcMusic, "vpc.music")
constexpr int kKeyboard = 1;
constexpr int kMouse = 2;
} // namespace

CMusicLighting::CMusicLighting(Services services, std::string program, std::string runtimeFolder,
                               std::filesystem::path defaultFolder, std::filesystem::path userRoot,
                               QObject* parent)
    : QObject(parent), m_services(std::move(services)),
      m_file(std::move(defaultFolder), std::move(userRoot)) {
    CAudioRecordLink::Handlers handlers;
    handlers.levels = [this](std::span<const std::uint8_t> bytes) { OnLevelFrame(bytes); };
    handlers.screenColors = [this](std::span<const std::uint8_t> bytes) { OnScreenColors(bytes); };
    handlers.problem = [this](CAudioRecordLink::Problem, const QString& text) {
        qCWarning(lcMusic, "%s", qPrintable(text));
        if (m_services.notice)
            m_services.notice(text);
    };
    handlers.style = [this] { return MusicStyleRecord(m_file.Current()); };
    m_link = std::make_unique<CAudioRecordLink>(std::move(program), std::move(runtimeFolder),
                                                std::move(handlers), this);
    m_quietTimer.setInterval(kQuietTimerMs);
    connect(&m_quietTimer, &QTimer::timeout, this, [this] {
        m_levels.OnTimer(CMusicLevels::Clock::now());
        if (!m_levels.IsDataActive())
            m_quietTimer.stop(); // nothing to clear until frames come again
    });
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kConnectDelayMs);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] { m_link->ConnectAudioRecord(); });
}

CMusicLighting::~CMusicLighting() {
    Stop();
}

void CMusicLighting::Start() {
    if (!m_link->CompanionRunning())
        m_link->LaunchAudioRecord(); // a failure is said once; the watchdog tries again
    m_file.Open();
    SendMusicStyle(m_file.Current());
    UpdateCaptureNeed();
    m_connectTimer.start();
    m_link->StartWatchdog();
}

void CMusicLighting::Stop() {
    m_connectTimer.stop();
    m_quietTimer.stop();
    m_link->StopWatchdog();
    m_link->StopAudioRecord();
}

void CMusicLighting::UpdateCaptureNeed() {
    bool music = false;
    bool screen = false;
    if (m_services.connectedDevices) {
        for (devices::CCorvaneUSBDevice* keyboard : m_services.connectedDevices(kKeyboard)) {
            const int mode = keyboard->CurrentLightRecord().mode;
            music = music || mode == lighting::mode::kMusic;
            screen = screen || mode == lighting::mode::kScreenColor;
        }
    }
    m_link->SetCaptureWanted(music, screen);
}

void CMusicLighting::OnLevelFrame(std::span<const std::uint8_t> bytes) {
    const CMusicLevels::FrameResult result = m_levels.OnFrame(bytes, CMusicLevels::Clock::now());
    if (m_levels.IsDataActive() && !m_quietTimer.isActive())
        m_quietTimer.start();
    if (result.stopCapture)
        m_link->StopAudioRecord(); // the watchdog starts a new companion
    if (!result.deliver || !m_services.connectedDevices)
        return;
    for (devices::CCorvaneUSBDevice* keyboard : m_services.connectedDevices(kKeyboard))
        keyboard->SetAudioLevels(result.keyboard.data(), static_cast<int>(result.keyboard.size()));
    const auto mice = m_services.connectedDevices(kMouse);
    if (!mice.empty())
        mice.front()->SetAudioLevels(result.mouse.data(), static_cast<int>(result.mouse.size()));
}

void CMusicLighting::OnScreenColors(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || !m_services.connectedDevices)
        return;
    const CMusicLevels::ScreenWords words = CMusicLevels::ScreenColors(bytes);
    const auto keyboards = m_services.connectedDevices(kKeyboard);
    if (!keyboards.empty())
        keyboards.front()->SetScreenColors(words.data(), static_cast<int>(words.size()));
}

void CMusicLighting::SendMusicStyle(const MusicStyle& style) {
    m_link->SendMusicStyle(MusicStyleRecord(style));
}

void CMusicLighting::TakeMusicStyle(const MusicStyle& style) {
    SendMusicStyle(style);
    m_file.StoreMusicStyle(style);
    if (!m_file.SaveMusicFile() && m_services.notice)
        m_services.notice(QStringLiteral("the music settings could not be saved to %1")
                              .arg(QString::fromStdString(m_file.UserFile().string())));
}

void CMusicLighting::ResetMusicFile() {
    m_file.ResetMusicFile();
    SendMusicStyle(m_file.Current());
}

void CMusicLighting::SendColorSlider(int component, int value) {
    if (component < 0 || component > 2)
        return;
    m_link->SendCommand(audiocapture::kCmdRedWeight + component, value);
}

} // namespace vpc::panels
