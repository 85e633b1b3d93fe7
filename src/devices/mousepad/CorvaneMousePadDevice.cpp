#include "CorvaneMousePadDevice.h"

#include "ControlClass.h"
#include "DeviceLog.h"
#include "DeviceOptionUI.h"

#include "CommandSession.h"

#include "ControlUI.h"
#include "TextUtil.h"
#include "WindowImplBase.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>

namespace vpc::devices {

using hid::CCommandChannel;

namespace {

constexpr int kSyncTimerMs = 500;
constexpr std::uint16_t kSyncReread = 1025;

DeviceLightRecord ToRecord(const data::LightInfo& info) {
    DeviceLightRecord r;
    r.mode = info.selectItem;
    r.brightness = lighting::ClampLevel(info.light);
    r.speed = lighting::ClampLevel(info.speed);
    r.direction = info.fx;
    r.multiColor = info.multiColor;
    r.red = info.red;
    r.green = info.green;
    r.blue = info.blue;
    return r;
}

} // namespace

CCorvaneMousePadDevice::CCorvaneMousePadDevice(QWidget* parent)
    : CCorvaneMousePadDevice(std::make_unique<data::CBasicProfiledata>(), mousepad::WaveStyle{},
                             mousepad::kPadLedCount, parent) {}

CCorvaneMousePadDevice::CCorvaneMousePadDevice(std::unique_ptr<data::CBasicProfiledata> profile,
                                               mousepad::WaveStyle wave, int ledCount,
                                               QWidget* parent)
    : CCorvaneUSBDevice(parent), m_profile(std::move(profile)), m_engine(m_light, ledCount, wave) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    m_connection.SetKind(DeviceKind::MousePad);
    m_engine.SetFrameListener([this] { OnLightColoursChanged(); });
}

CCorvaneMousePadDevice::~CCorvaneMousePadDevice() {
    StopWorkers();
    m_engine.SetFrameListener({});
}

void CCorvaneMousePadDevice::StopWorkers() {
    StopLightThread("MS灯光线程设定退出");
    CCorvaneUSBDevice::StopWorkers();
}

// --- panel -------------------------------------------------------------------------------

void CCorvaneMousePadDevice::Init() {
    InitPanel();
}

void CCorvaneMousePadDevice::InitPanel() {
    CCorvaneUSBDevice::Init(); // sizes the button lists; empties them without a layout
    if (PageLayoutName().isEmpty())
        return;
    QWidget* area = FindPageControl(KeyLightAreaName());
    if (!area)
        return;
    SetKeyLightArea(area);
    for (QObject* child : area->children()) {
        auto* button = qobject_cast<QWidget*>(child);
        if (!button || !ControlClassIs(button, QStringLiteral("DeviceKeyButton")))
            continue;
        for (const QString& text : {ControlName(button), CControlUI(button).GetUserData()}) {
            const data::NameNumber led = data::SplitNameNumber(text.toStdString());
            if (led.ok && led.prefix == "light_" && led.number < LedCapacity()) {
                AssignLedButton(led.number, button);
                ShowLedOn(button, 0xFFFFFFu, 255);
                break;
            }
        }
    }
    if (QWidget* profiles = FindPageControl(QStringLiteral("DeviceProfileItem"))) {
        profiles->setProperty("deviceKind", static_cast<int>(DeviceKind::MousePad));
        profiles->setProperty("deviceFolder", UserDataFolder());
        profiles->setProperty("defaultProfilePath", DefaultProfilePath());
        connect(profiles, SIGNAL(profileSwitchRequested(QString)), this,
                SLOT(SwitchProfile(QString)), Qt::UniqueConnection);
        connect(profiles, SIGNAL(resetProfileReloadRequested()), this, SLOT(ReloadResetProfile()),
                Qt::UniqueConnection);
    }
    LoadDefaultData();
    if (QWidget* panel = LightPanel()) {
        QStringList names;
        QVariantList visible;
        for (std::size_t i = 0; i < m_defaults.modeNames.size(); ++i) {
            names << QString::fromStdString(m_defaults.modeNames[i]);
            visible << (i < m_defaults.modeVisible.size() && m_defaults.modeVisible[i] != 0);
        }
        panel->setProperty("deviceKind", static_cast<int>(DeviceKind::MousePad));
        panel->setProperty("modeListWired", true);
        panel->setProperty("modeVisible", visible);
        panel->setProperty("modeNames", names);
    }
}

void CCorvaneMousePadDevice::RefreshPanel() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this] { RefreshPanel(); }, Qt::QueuedConnection);
        return;
    }
    LoadDefaultData();
    ShowLightOnPanel();
}

void CCorvaneMousePadDevice::ShowLightOnPanel() {
    ShowLightRecordOnPanel(data::ToLightWords(m_lightInfo));
}

void CCorvaneMousePadDevice::LoadDefaultData() {
    keyboard::LoadKeyboardDefaultData(m_defaults, UserFolderPath(),
                                      std::filesystem::path(DefaultDataFolder().toStdString()),
                                      GetLightType(), kLightingFileBase);
    m_defaults.macroNames.clear(); // the pad plays no macros
    QStringList modes;
    for (const std::string& name : m_defaults.modeNames)
        modes << QString::fromStdString(name);
    DefaultList(0) = modes;
}

std::uint8_t CCorvaneMousePadDevice::ModeValueOf(std::uint8_t position) const {
    const std::vector<int>& values = m_defaults.modeValues;
    if (position >= values.size() || values[position] < 0 || values[position] > 255)
        return position;
    return static_cast<std::uint8_t>(values[position]);
}

std::uint8_t CCorvaneMousePadDevice::ModePositionOf(std::uint8_t value) const {
    const std::vector<int>& values = m_defaults.modeValues;
    const auto found = std::find(values.begin(), values.end(), int{value});
    return found == values.end() ? value : static_cast<std::uint8_t>(found - values.begin());
}

// --- profile -----------------------------------------------------------------------------

void CCorvaneMousePadDevice::SetProfilePaths() {
    m_profileName = ResolveProfileName(m_profileName, QString::fromLatin1(kFallbackProfileName));
    m_profile->SetDefaultPath(DefaultProfilePath().toStdString());
    const std::filesystem::path folder = UserFolderPath();
    if (folder.empty())
        return;
    m_profile->SetProfilePath(folder / (m_profileName.toStdString() + ".Json"));
    m_profile->SetLightConfigPath(folder / (std::string(kLightingFileBase) + ".config"));
}

void CCorvaneMousePadDevice::SaveProfile() {
    if (!m_profile->Save())
        qCWarning(lcVpcDevices, "mouse pad profile not saved: %s",
                  m_profile->GetProfilePath().c_str());
}

void CCorvaneMousePadDevice::LoadProfile() {
    SetProfilePaths();
    m_profile->Load(m_profile->GetProfilePath());
    m_profile->LoadLightConfig(m_profile->GetLightConfigPath());
    ApplyLightSettings();
}

void CCorvaneMousePadDevice::ReloadProfile() {
    SetProfilePaths();
    m_profile->Load(m_profile->GetDefaultPath());
    ApplyLightSettings();
    SaveProfile();
    RefreshPanel();
}

void CCorvaneMousePadDevice::SwitchProfile(const QString& profileId) {
    if (!data::IsSafeFileId(profileId.toStdString()))
        return;
    m_profileName = profileId;
    LoadProfile();
    RefreshPanel();
    WriteOnboardProfile(0, 0, 1, 0, 0);
}

void CCorvaneMousePadDevice::ReloadResetProfile() {
    SwitchProfile(m_profileName);
}

void CCorvaneMousePadDevice::SetLightType(int value) {
    CCorvaneUSBDevice::SetLightType(value);
    m_profile->SetRecordIndex(0);
    m_profile->SetLightType(value);
}

void CCorvaneMousePadDevice::SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                                          std::uint32_t w3) {
    const data::LightInfo info = data::FromLightWords({w0, w1, w2, w3});
    m_profile->SetLightInfo(info);
    TakeLighting(info);
}

// --- lighting ----------------------------------------------------------------------------

void CCorvaneMousePadDevice::TakeLighting(const data::LightInfo& info) {
    m_lightInfo = info;
    m_lightInfo.light = lighting::ClampLevel(info.light);
    m_lightInfo.speed = lighting::ClampLevel(info.speed);
    // the record the pad gets: the lighting of the profile, the rest as the pad last said
    m_mirror[1] = m_lightInfo.selectItem;
    m_mirror[2] = m_lightInfo.light;
    m_mirror[3] = m_lightInfo.speed;
    m_mirror[4] = m_lightInfo.fx;
    m_mirror[5] = m_lightInfo.multiColor;
    m_mirror[6] = m_lightInfo.red;
    m_mirror[7] = m_lightInfo.green;
    m_mirror[8] = m_lightInfo.blue;
    m_engine.SetRecord(ToRecord(m_lightInfo));
    HurryLightFrames();
}

void CCorvaneMousePadDevice::ApplyLightSettings() {
    TakeLighting(m_profile->GetLightInfo());
    const std::vector<lighting::EffectFrame> sequence =
        EngineSequence(m_profile->GetEffectFrames());
    m_engine.SetSequence(sequence);
}

bool CCorvaneMousePadDevice::LightFramesSettled() const {
    return m_engine.IsStill() && m_engine.FrameVersion() == m_shownFrameVersion.load();
}

void CCorvaneMousePadDevice::SendLightFrame() {
    UpdateLightThreadGates();
    m_shownFrameVersion.store(m_engine.FrameVersion());
    CCorvaneUSBDevice::SendLightFrame();
}

// --- device ------------------------------------------------------------------------------

bool CCorvaneMousePadDevice::ReadOnboardProfile() {
    SetSynchronised(false);
    if (!Channel().IsEnabled())
        return false;
    if (m_defaults.modeValues.empty())
        LoadDefaultData();
    std::uint8_t slot = 0;
    std::array<std::uint8_t, kRecordSize> record{};
    if (Channel().ReadParamMemory(&slot, 1, 0) != CCommandChannel::kOk ||
        Channel().ReadParamMemory(record.data(), record.size(),
                                  static_cast<std::uint32_t>(slot) * kRecordSize) !=
            CCommandChannel::kOk) {
        qCWarning(lcVpcDevices, "mouse pad: onboard record not read");
        return false;
    }
    record[0] = slot;
    std::copy_n(record.begin(), kMirrorSize, m_mirror.begin());
    m_mirror[1] = ModePositionOf(record[1]);
    m_mirror[3] = static_cast<std::uint8_t>(4 - std::min<int>(record[3], 4));
    return true;
}

void CCorvaneMousePadDevice::OnDeviceArrived() {
    if (Channel().IsEnabled()) {
        const keyboard::CommandSession session(Channel());
        std::array<std::uint8_t, kInfoBlockSize> info{};
        if (session.IsOpen() && Channel().ReadInfoBlock(info.data()) == CCommandChannel::kOk)
            SetInfoBlock(info.data(), info.size());
    }
    // the pad's own record first: what the program writes later keeps its other bytes
    ReadOnboardProfile();
    LoadProfile();
    RefreshPanel();
    StartLightThread(m_engine);
}

void CCorvaneMousePadDevice::OnDeviceSync() {
    ReadOnboardProfile();
    if (WindowImplBase* owner = OwnerWindow())
        owner->PostMessage(kUmPadSynchronised, m_mirror[0], 0);
}

void CCorvaneMousePadDevice::OnNotificationUsage(ConnectionLink, std::uint16_t usage) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, usage] { OnNotificationUsage(ConnectionLink::Cable, usage); },
            Qt::QueuedConnection);
        return;
    }
    m_lastSyncCode.store(usage);
    qCDebug(lcVpcDevices, "接收到自动添加设备的同步信息要求  TEST");
    if (usage != kSyncReread)
        return;
    qCDebug(lcVpcDevices, "接收到自动添加设备的同步信息要求");
    if (CDeviceOptionUI* entry = DeviceEntry())
        entry->StartDeviceTimer(CDeviceOptionUI::kTimerDeviceSync, kSyncTimerMs);
}

int CCorvaneMousePadDevice::WriteOnboardProfile(int slot, int, int, int, int) {
    if (slot < 0 || slot > 255 || !Channel().IsEnabled())
        return 0;
    std::array<std::uint8_t, kRecordSize> record{};
    std::copy(m_mirror.begin(), m_mirror.end(), record.begin());
    record[1] = ModeValueOf(m_mirror[1]);
    record[3] = static_cast<std::uint8_t>(4 - std::min<int>(m_mirror[3], 4));
    const keyboard::CommandSession session(Channel());
    if (!session.IsOpen())
        return 0;
    return Channel().WriteParamMemory(record.data(), kMirrorSize,
                                      static_cast<std::uint32_t>(slot) * kRecordSize) ==
                   CCommandChannel::kOk
               ? 1
               : 0;
}

} // namespace vpc::devices
