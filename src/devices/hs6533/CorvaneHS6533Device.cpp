#include "CorvaneHS6533Device.h"

#include "PanelAudioView.h"

#include "DeviceLog.h"
#include "EqualiserFilter.h"
#include "LinuxAudioChip.h"

#include "DataFolders.h"

#include <QStandardPaths>

namespace vpc::devices {

namespace {

constexpr int kHeadsetLedCount = headset::kHeadsetLedCount;
constexpr const char* kSimulatedPathPrefix = "sim:";

// The chip of a headset: the simulated one for a simulated headset, else the headset's own
// sound card through ALSA and PipeWire.
std::unique_ptr<headset::IAudioChip> MakeAudioChip(const DeviceIdentity& identity) {
    if (identity.path.rfind(kSimulatedPathPrefix, 0) == 0)
        return std::make_unique<headset::CSimulatedAudioChip>();
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    auto equaliser = std::make_unique<headset::CPipeWireEqualiser>(
        std::string(), (runtime + QStringLiteral("/vorna-equaliser")).toStdString());
    return std::make_unique<headset::CLinuxAudioChip>(identity.vendorId, identity.productId,
                                                      std::move(equaliser));
}

} // namespace

CCorvaneHS6533Device::CCorvaneHS6533Device(QWidget* parent)
    : CCorvaneMousePadDevice(std::make_unique<data::CHs6533Profiledata>(), mousepad::kHeadsetWave,
                             kHeadsetLedCount, parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    m_connection.SetKind(DeviceKind::Headset);
}

CCorvaneHS6533Device::~CCorvaneHS6533Device() {
    StopWorkers();
}

void CCorvaneHS6533Device::StopWorkers() {
    m_frames.reset(); // joins its thread before the interface goes
    CCorvaneMousePadDevice::StopWorkers();
}

data::CHs6533Profiledata& CCorvaneHS6533Device::HeadsetProfile() {
    return static_cast<data::CHs6533Profiledata&>(ProfileData());
}

void CCorvaneHS6533Device::UseAudioChip(std::unique_ptr<headset::IAudioChip> chip) {
    m_audio.reset();
    m_chip = std::move(chip);
    ConnectAudio();
}

void CCorvaneHS6533Device::Init() {
    InitPanel();
    m_view =
        std::make_unique<CPanelAudioView>(FindPageControl(QStringLiteral("Voice6533ControlItem")),
                                          FindPageControl(QStringLiteral("MagicControlItem")));
    if (!m_chip)
        m_chip = MakeAudioChip(Identity());
    ConnectAudio();
}

void CCorvaneHS6533Device::ConnectAudio() {
    if (!m_chip)
        return;
    m_audio = std::make_unique<headset::CHeadsetAudio>(*m_chip, HeadsetProfile(),
                                                       [this] { SaveProfile(); });
    m_audio->SetView(m_view.get());
    if (!m_audio->Connect() && !m_problemsTold) {
        // once per headset: the settings are still kept in the profile
        m_problemsTold = true;
        for (const std::string& problem : m_audio->Problems())
            qCWarning(lcVpcDevices, "headset audio: %s", problem.c_str());
    }
}

void CCorvaneHS6533Device::LoadProfile() {
    CCorvaneMousePadDevice::LoadProfile();
    if (m_audio)
        m_audio->LoadFromProfile();
}

void CCorvaneHS6533Device::OnDeviceArrived() {
    // no notification interface and nothing to read over the command protocol: the
    // lighting comes from the profile, the audio from the chip
    LoadProfile();
    if (m_audio)
        m_audio->ReadAudioState();
    RefreshPanel();
    StartLightThread(LightEngine());
}

void CCorvaneHS6533Device::RefreshPanel() {
    CCorvaneMousePadDevice::RefreshPanel();
    if (m_audio)
        m_audio->RefreshView();
}

int CCorvaneHS6533Device::WriteOnboardProfile(int, int, int, int, int) {
    return 1;
}

void CCorvaneHS6533Device::SendLightFrame() {
    CCorvaneMousePadDevice::SendLightFrame(); // the LED buttons of the page
    if (!IsLightControlled() || !Channel().WiredInterface().IsOpen())
        return;
    if (!m_frames) {
        m_frames = std::make_unique<headset::CHeadsetFrameSender>(
            [this](std::span<const std::uint8_t> report) {
                return Channel().WiredInterface().SendOutputReport(report.data(), report.size());
            });
    }
    const std::vector<lighting::LedColor> leds = m_light.Snapshot();
    m_frames->Submit(leds);
}

// --- the panels' operations ----------------------------------------------------------------

void CCorvaneHS6533Device::ToggleMagicVoice(bool on) {
    if (m_audio)
        m_audio->ToggleMagicVoice(on);
}
void CCorvaneHS6533Device::SetMagicVoiceType(int type) {
    if (m_audio)
        m_audio->SetMagicVoiceType(type);
}
void CCorvaneHS6533Device::ToggleMicMute() {
    if (m_audio)
        m_audio->ToggleMicMute();
}
void CCorvaneHS6533Device::ToggleMonitorMute() {
    if (m_audio)
        m_audio->ToggleMonitorMute();
}
void CCorvaneHS6533Device::SetMicVolume(int value) {
    if (m_audio)
        m_audio->SetMicVolume(value);
}
void CCorvaneHS6533Device::SetMonitorVolume(int value) {
    if (m_audio)
        m_audio->SetMonitorVolume(value);
}
void CCorvaneHS6533Device::SetEqBand(int band, int value) {
    if (m_audio)
        m_audio->SetEqBand(band - 1, value);
}
void CCorvaneHS6533Device::SelectEqPreset(int eqType) {
    if (m_audio)
        m_audio->SelectEqPreset(eqType);
}
void CCorvaneHS6533Device::ApplyCustomEq(int selection) {
    if (m_audio)
        m_audio->ApplyCustomEq(selection);
}
int CCorvaneHS6533Device::SaveCustomEq(const QString& name, const data::EqValues& sliders,
                                       int selection) {
    return m_audio ? m_audio->SaveCustomEq(name.trimmed().toStdString(), sliders, selection) : -1;
}
void CCorvaneHS6533Device::DeleteCustomEq(int selection) {
    if (m_audio)
        m_audio->DeleteCustomEq(selection);
}

} // namespace vpc::devices
