#include "CorvaneKeyboardDevice.h"

#include "KeyNames.h"
#include "MacroImage.h"
#include "MacroStore.h"

#include "CommandSession.h"
#include "CustomColourBank.h"
#include "DeviceLog.h"
#include "KeyTableImage.h"
#include "KeyboardTables.h"
#include "MacroDownload.h"

#include "ControlUI.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "SkinResources.h"
#include "lighting/LiveFrame.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <span>

namespace vpc::devices {

using hid::CCommandChannel;
using namespace keyboard;

namespace {

constexpr int kRepeatDelayOptions = 4;
constexpr int kPollingRateOptions = 4;
constexpr unsigned long kFailedColourWritePauseMs = 200;

lighting::LightSettings ToEngineSettings(const data::LightInfo& info) {
    lighting::LightSettings s;
    s.mode = info.selectItem;
    s.brightness = lighting::ClampLevel(info.light);
    s.speed = lighting::ClampLevel(info.speed);
    s.direction = info.fx;
    s.multiColor = info.multiColor != 0;
    s.color = {info.red, info.green, info.blue};
    s.zzccLedMode = info.zzccLedMode;
    s.customGroup = info.customGroup;
    return s;
}

lighting::AudioLightSettings ToEngineAudio(const data::AudioLightInfo& a) {
    lighting::AudioLightSettings s;
    s.audioMode = a.audioMode;
    s.background = {a.bkColorR, a.bkColorG, a.bkColorB};
    s.foreground = {a.fgColorR, a.fgColorG, a.fgColorB};
    s.sevenColor = a.sevenColorFlags != 0;
    s.colorType = a.colorTypeFlags != 0;
    return s;
}

std::uint8_t ByteOf(std::uint32_t word, int index) {
    return static_cast<std::uint8_t>(word >> (8 * index));
}

} // namespace

CCorvaneKeyboardDevice::CCorvaneKeyboardDevice(QWidget* parent)
    : CCorvaneUSBDevice(parent), m_memory(m_connection.Channel()) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    m_connection.SetKind(DeviceKind::Keyboard);
    m_keys = PadKeyList({});
    m_engine.SetFrameListener([this] { OnLightColoursChanged(); });
}

CCorvaneKeyboardDevice::~CCorvaneKeyboardDevice() {
    StopWorkers();
    m_engine.SetFrameListener({});
}

void CCorvaneKeyboardDevice::StopWorkers() {
    StopLightThread("KB灯光线程设定退出");
    m_liveSender.reset();
    CCorvaneUSBDevice::StopWorkers();
}

std::filesystem::path CCorvaneKeyboardDevice::DefaultFolderPath() const {
    return std::filesystem::path(DefaultDataFolder().toStdString());
}

// --- panel -------------------------------------------------------------------------------

void CCorvaneKeyboardDevice::Init() {
    InitPanel();
}

void CCorvaneKeyboardDevice::InitPanel() {
    CCorvaneUSBDevice::Init(); // key and light buttons of the key-light area
    if (PageLayoutName().isEmpty())
        return;
    if (QWidget* profiles = FindPageControl(QStringLiteral("DeviceProfileItem"))) {
        profiles->setProperty("deviceKind", static_cast<int>(DeviceKind::Keyboard));
        profiles->setProperty("deviceFolder", UserDataFolder());
        profiles->setProperty("defaultProfilePath", DefaultProfilePath());
        // the panel lives in a library above the devices: its signals are joined by name
        connect(profiles, SIGNAL(profileSwitchRequested(QString)), this,
                SLOT(SwitchProfile(QString)), Qt::UniqueConnection);
        connect(profiles, SIGNAL(resetProfileReloadRequested()), this, SLOT(ReloadResetProfile()),
                Qt::UniqueConnection);
        connect(profiles, SIGNAL(functionPageRequested(int)), this, SLOT(ShowFunctionPage(int)),
                Qt::UniqueConnection);
    }
    LoadDefaultData();
    RefreshLightModeList(!m_connection.IsOnReceiver());
    if (QWidget* macros = FindPageControl(QStringLiteral("MacroControlItem")))
        macros->setProperty("macroFolder", UserDataFolder());
    SetUpKeyEditor(static_cast<int>(DeviceKind::Keyboard), m_defaults.macroNames);
}

void CCorvaneKeyboardDevice::RefreshLightModeList(bool wired) {
    LoadDefaultData();
    QWidget* panel = LightPanel();
    if (!panel)
        return;
    QStringList names;
    QVariantList visible;
    for (std::size_t i = 0; i < m_defaults.modeNames.size(); ++i) {
        names << QString::fromStdString(m_defaults.modeNames[i]);
        visible << (m_defaults.modeVisible[i] != 0);
    }
    panel->setProperty("deviceKind", static_cast<int>(DeviceKind::Keyboard));
    // on the receiver the panel leaves out the modes that stream frames
    panel->setProperty("modeListWired", wired);
    panel->setProperty("modeNames", names);
    panel->setProperty("modeVisible", visible);
}

void CCorvaneKeyboardDevice::LoadDefaultData() {
    LoadKeyboardDefaultData(m_defaults, UserFolderPath(), DefaultFolderPath(), GetLightType(),
                            kLightingFileBase);
    SetDefaultLists(m_defaults.modeNames, m_defaults.macroNames, m_defaults.areaNames,
                    m_defaults.customLightNames);
    SetUpKeyEditor(static_cast<int>(DeviceKind::Keyboard), m_defaults.macroNames);
}

void CCorvaneKeyboardDevice::ShowLightInfoOnPanel() {
    // the whole record, also the values the panel was handed last time: the user may have
    // changed the panel since, and the preset colour mode is part of it
    ShowLightRecordOnPanel(data::ToLightWords(m_lightInfo));
}

void CCorvaneKeyboardDevice::RefreshPanel() {
    if (QThread::currentThread() != thread()) {
        // widgets belong to the UI thread: run it there
        QMetaObject::invokeMethod(
            this, [this] { RefreshPanel(); }, Qt::QueuedConnection);
        return;
    }
    LoadDefaultData();
    UpdateKeyCaptions();
    if (QWidget* panel = LightPanel()) {
        panel->setProperty("lightMode", m_lightInfo.selectItem);
        panel->setProperty("lightBrightness", m_lightInfo.light);
        panel->setProperty("lightSpeed", m_lightInfo.speed);
        panel->setProperty("lightDirection", m_lightInfo.fx);
        panel->setProperty("lightMultiColor", m_lightInfo.multiColor);
        panel->setProperty("lightColor", (std::uint32_t{m_lightInfo.red} << 16) |
                                             (std::uint32_t{m_lightInfo.green} << 8) |
                                             m_lightInfo.blue);
        panel->setProperty("customGroup", m_lightInfo.customGroup);
    }
    {
        // the music settings as the three words the lighting panel shows
        const data::AudioLightInfo a = m_profile.GetAudioLightInfo();
        const auto word = [](std::uint32_t b0, std::uint32_t b1, std::uint32_t b2,
                             std::uint32_t b3) { return b0 | b1 << 8 | b2 << 16 | b3 << 24; };
        CCorvaneUSBDevice::SetAudioLightInfo(
            static_cast<int>(word(a.audioMode, a.bkColorR, a.bkColorG, a.bkColorB)),
            static_cast<int>(word(a.fgColorR, a.fgColorG, a.fgColorB, a.sevenColorFlags ? 1 : 0)),
            a.colorTypeFlags ? 1 : 0);
    }
    ShowLightInfoOnPanel();
    ShowWinLock(m_system.winFlag != 0);
    ShowWFlag(m_system.wFlag != 0);
    ShowKey6Flag(m_system.key6Flag != 0);
    ShowRepeatRate(m_system.repeat);
    ShowRepeatDelay(m_system.repeatDelay);
    ClearRepeatInput();
    SetRepeatInputTip();
    ShowPollingRate(m_system.pollingRate);
    emit panelRefreshed();
}

void CCorvaneKeyboardDevice::UpdateKeyCaptions() {
    const CSkinResources& skin = CSkinResources::Instance();
    const auto& codes = KeyCodeTable();
    for (std::size_t i = 0; i < m_keys.size() && i < kUiKeyCount; ++i) {
        QWidget* button = KeyButton(static_cast<int>(i));
        if (!button)
            continue;
        const std::optional<data::KeyCaption> caption =
            data::MakeKeyCaption(m_keys[i].current.assignment, m_defaults.macroNames);
        if (!caption)
            continue; // the key keeps the caption it has
        QString text = QString::fromStdString(caption->literal);
        if (caption->literal.empty()) {
            QStringList parts;
            for (const std::string& id : caption->textIds)
                parts << skin.Translate(QString::fromStdString(id));
            text = parts.join(QLatin1Char('+'));
        }
        const std::string ownId = data::OwnKeyName(codes[i]);
        const QString own =
            ownId.empty() ? QString() : skin.Translate(QString::fromStdString(ownId));
        button->setProperty("toolTitle", own);
        button->setProperty("keySetMarker", own.compare(text, Qt::CaseInsensitive) != 0);
        button->setToolTip(own + skin.Translate(QStringLiteral("Key_Set")) + text);
        CControlUI(button).SetText(text);
    }
}

void CCorvaneKeyboardDevice::SetFunctionPage(int type) {
    CCorvaneUSBDevice::SetFunctionPage(type);
    if (QWidget* fn = KeyButton(kFnKeySlot)) {
        if (type == 1)
            fn->setEnabled(true);
        else if (type == 2)
            fn->setEnabled(false);
    }
}

void CCorvaneKeyboardDevice::SelectKey(int index) {
    if (index < 0 || index >= static_cast<int>(kUiKeyCount) ||
        index >= static_cast<int>(m_keys.size()))
        return;
    CCorvaneUSBDevice::SelectKey(index);
    OpenKeyEditor(m_keys[static_cast<std::size_t>(index)]);
}

// --- system settings controls ------------------------------------------------------------

void CCorvaneKeyboardDevice::SelectOption(const QString& name, bool selected) {
    if (QWidget* control = FindPageControl(name))
        CControlUI(control).Selected(selected, false);
}

bool CCorvaneKeyboardDevice::IsOptionSelected(const QString& name) const {
    QWidget* control = FindPageControl(name);
    return control && CControlUI(control).IsSelected();
}

void CCorvaneKeyboardDevice::ShowPollingRate(int option) {
    if (option < 0 || option >= kPollingRateOptions)
        option = 0;
    for (int n = 0; n < kPollingRateOptions; ++n)
        SelectOption(QStringLiteral("polling_rate_option_%1").arg(n), n == option);
}

void CCorvaneKeyboardDevice::ShowWinLock(bool on) {
    SelectOption(QStringLiteral("winlockflag_option"), on);
}
bool CCorvaneKeyboardDevice::IsWinLockOn() const {
    return IsOptionSelected(QStringLiteral("winlockflag_option"));
}
void CCorvaneKeyboardDevice::ShowWFlag(bool on) {
    SelectOption(QStringLiteral("wflag_option"), on);
}
bool CCorvaneKeyboardDevice::IsWFlagOn() const {
    return IsOptionSelected(QStringLiteral("wflag_option"));
}
void CCorvaneKeyboardDevice::ShowKey6Flag(bool on) {
    SelectOption(QStringLiteral("6flag_option"), on);
}
bool CCorvaneKeyboardDevice::IsKey6FlagOn() const {
    return IsOptionSelected(QStringLiteral("6flag_option"));
}

void CCorvaneKeyboardDevice::ShowRepeatRate(int value) {
    if (QWidget* slider = FindPageControl(QStringLiteral("repeat_rate_slider")))
        CControlUI(slider).SetValue(value);
}

int CCorvaneKeyboardDevice::GetRepeatRate() const {
    QWidget* slider = FindPageControl(QStringLiteral("repeat_rate_slider"));
    return slider ? CControlUI(slider).GetValue() : m_system.repeat;
}

void CCorvaneKeyboardDevice::ShowRepeatDelay(int option) {
    if (option < 0 || option >= kRepeatDelayOptions)
        option = 0;
    for (int n = 0; n < kRepeatDelayOptions; ++n)
        SelectOption(QStringLiteral("repeat_delay_check_%1").arg(n), n == option);
    if (QWidget* label = FindPageControl(QStringLiteral("repeat_delay_time_label1"))) {
        const QString text =
            CSkinResources::Instance().Translate(QStringLiteral("Repeat_Delay_Time"));
        CControlUI(label).SetText(text + QString::number(option * 250 + 250) +
                                  QStringLiteral("ms"));
    }
}

void CCorvaneKeyboardDevice::StoreSystemSettings(bool writeDevice) {
    const data::SystemStageWords words = m_system.ToWords();
    SetSystemSettings(words[0], words[1], words[2]);
    SaveProfile();
    if (writeDevice)
        WriteOnboardProfile(0, 0, 0, 0, 0);
}

void CCorvaneKeyboardDevice::ChangePollingRate(int option) {
    if (option < 0 || option >= kPollingRateOptions)
        return;
    m_system.pollingRate = static_cast<std::uint16_t>(option);
    StoreSystemSettings(true);
}

void CCorvaneKeyboardDevice::ChangeSystemFlag(SystemFlag flag, bool on) {
    const std::uint16_t value = on ? 1 : 0;
    switch (flag) {
    case SystemFlag::WinLock:
        m_system.winFlag = value;
        break;
    case SystemFlag::W:
        m_system.wFlag = value;
        break;
    case SystemFlag::Key6:
        m_system.key6Flag = value;
        break;
    }
    StoreSystemSettings(true);
}

void CCorvaneKeyboardDevice::ChangeRepeatRate(int value) {
    m_system.repeat = static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
    StoreSystemSettings(false);
}

void CCorvaneKeyboardDevice::ChangeRepeatDelay(int option) {
    if (option < 0 || option >= kRepeatDelayOptions)
        return;
    m_system.repeatDelay = static_cast<std::uint16_t>(option);
    ShowRepeatDelay(option); // the label says the new delay
    StoreSystemSettings(false);
}

void CCorvaneKeyboardDevice::ClearRepeatInput() {
    if (QWidget* input = FindPageControl(QStringLiteral("repeat_input_richedit")))
        CControlUI(input).SetText(QString());
}

void CCorvaneKeyboardDevice::SetRepeatInputTip() {
    if (QWidget* input = FindPageControl(QStringLiteral("repeat_input_richedit")))
        input->setProperty("placeholderText", CSkinResources::Instance().Translate(
                                                  QStringLiteral("Repeat_input_text")));
}

// --- profile -----------------------------------------------------------------------------

void CCorvaneKeyboardDevice::SetProfilePaths() {
    m_profileName = ResolveProfileName(m_profileName, QString::fromLatin1(kFallbackProfileName));
    m_profile.SetDefaultPath(DefaultProfilePath().toStdString());
    const std::filesystem::path folder = UserFolderPath();
    if (folder.empty())
        return;
    m_profile.SetProfilePath(folder / (m_profileName.toStdString() + ".Json"));
    m_profile.SetLightConfigPath(folder / (std::string(kLightingFileBase) + ".config"));
}

void CCorvaneKeyboardDevice::SaveProfile() {
    if (!m_profile.Save())
        qCWarning(lcVpcDevices, "keyboard profile not saved: %s",
                  m_profile.GetProfilePath().c_str());
}

void CCorvaneKeyboardDevice::LoadProfile() {
    // a macro removal cut short is finished first, so the keys below are its outcome
    if (const std::filesystem::path folder = UserFolderPath(); !folder.empty())
        data::CMacroStore(folder).Recover();
    SetProfilePaths();
    m_profile.Load(m_profile.GetProfilePath());
    m_profile.LoadLightConfig(m_profile.GetLightConfigPath());
    m_keys = PadKeyList(m_profile.GetKeyList());
    ApplyLightSettings();
    ShowLightInfoOnPanel();
    m_system = data::KeyboardSystemStages::FromWords(m_profile.GetSystemStages());
}

void CCorvaneKeyboardDevice::SwitchProfile(const QString& profileId) {
    if (!data::IsSafeFileId(profileId.toStdString()))
        return;
    m_profileName = profileId;
    LoadProfile();
    ValidateMacroKeys();
    RefreshPanel();
    if (!CanWrite())
        return; // the profile is shown; the keypad gets it at its next good connection
    WriteOnboardProfile(0, 0, 1, 0, 0);
    // keys on macros go to the keypad only with the macros they play
    if (DownloadMacros(GetUsedMacros()) != 0 ||
        std::any_of(m_macroHalfCounts.begin(), m_macroHalfCounts.end(),
                    [](int half) { return half >= 128; }))
        return;
    DownloadCurrentKeyAssignments(0);
}

void CCorvaneKeyboardDevice::ReloadResetProfile() {
    SwitchProfile(m_profileName);
}

void CCorvaneKeyboardDevice::ReloadProfile() {
    SetProfilePaths();
    m_profile.Load(m_profile.GetDefaultPath());
    m_keys = PadKeyList(m_profile.GetKeyList());
    ApplyLightSettings();
    m_system = data::KeyboardSystemStages::FromWords(m_profile.GetSystemStages());
    SaveProfile();
    RefreshPanel();
}

void CCorvaneKeyboardDevice::SetLightType(int value) {
    CCorvaneUSBDevice::SetLightType(value);
    m_profile.SetRecordIndex(0);
    m_profile.SetLightType(value);
}

void CCorvaneKeyboardDevice::SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                                          std::uint32_t w3) {
    CCorvaneUSBDevice::SetLightInfo(w0, w1, w2, w3);
    m_profile.SetLightInfo(data::FromLightWords({w0, w1, w2, w3}));
}

DeviceLightRecord CCorvaneKeyboardDevice::CurrentLightRecord() const {
    // the words SetLightInfo reads: byte 11 the ZZCC mode, bytes 12-13 the group words
    const data::LightWords words = data::ToLightWords(m_lightInfo);
    return DeviceLightRecord::FromWords(words[0], words[1], words[2], words[3]);
}

void CCorvaneKeyboardDevice::SetAudioLightInfo(int mode, int foreground, int background) {
    CCorvaneUSBDevice::SetAudioLightInfo(mode, foreground, background);
    // the three words of the music settings: variant and background colour; foreground
    // colour and the seven-colour flag; the colour-type flag
    const auto w0 = static_cast<std::uint32_t>(mode);
    const auto w1 = static_cast<std::uint32_t>(foreground);
    data::AudioLightInfo audio;
    audio.audioMode = ByteOf(w0, 0);
    audio.bkColorR = ByteOf(w0, 1);
    audio.bkColorG = ByteOf(w0, 2);
    audio.bkColorB = ByteOf(w0, 3);
    audio.fgColorR = ByteOf(w1, 0);
    audio.fgColorG = ByteOf(w1, 1);
    audio.fgColorB = ByteOf(w1, 2);
    audio.sevenColorFlags = ByteOf(w1, 3) != 0;
    audio.colorTypeFlags = background != 0;
    m_profile.SetAudioLightInfo(audio);
}

void CCorvaneKeyboardDevice::SetKeyAssignment(std::uint32_t w0, std::uint32_t w1,
                                              std::uint32_t w2) {
    const int selected = SelectedKey();
    if (selected < 0 || selected >= static_cast<int>(m_keys.size()))
        return;
    data::KeyEntry entry = data::KeyEntry::FromWords(w0, w1, w2);
    entry.current.slot = static_cast<std::uint16_t>(selected);
    entry.defaults.slot = static_cast<std::uint16_t>(selected);
    m_keys[static_cast<std::size_t>(selected)] = entry;
    m_profile.SetKeyList(m_keys);
}

void CCorvaneKeyboardDevice::SetKeyList(const std::vector<data::KeyEntry>& list) {
    m_keys = PadKeyList(list);
    m_profile.SetKeyList(m_keys);
}

void CCorvaneKeyboardDevice::SetSecondKeyList(const std::vector<data::KeyEntry>& list) {
    m_secondKeys = list;
    m_profile.SetSecondKeyList(list);
}

void CCorvaneKeyboardDevice::SetSystemSettings(std::uint32_t w0, std::uint32_t w1,
                                               std::uint32_t w2) {
    m_system = data::KeyboardSystemStages::FromWords({w0, w1, w2});
    m_profile.SetSystemStages(w0, w1, w2);
}

void CCorvaneKeyboardDevice::ValidateMacroKeys() {
    LoadDefaultData();
    const int macros = static_cast<int>(m_defaults.macroNames.size());
    if (ResetStaleMacroKeys(m_keys, macros)) {
        SetKeyList(m_keys);
        LoadDefaultData();
        UpdateKeyCaptions();
    }
}

std::vector<int> CCorvaneKeyboardDevice::GetUsedMacros() const {
    return UsedMacros(m_config.maps, m_keys, CountMacros(UserFolderPath()));
}

// --- lighting ----------------------------------------------------------------------------

void CCorvaneKeyboardDevice::TakeLightingState(const data::LightInfo& info) {
    m_lightInfo = info;
    m_lightInfo.light = lighting::ClampLevel(info.light);
    m_lightInfo.speed = lighting::ClampLevel(info.speed);
    if (m_lightInfo.selectItem == kCustomColourMode)
        LoadCustomColors();
    m_engine.SetLightState(ToEngineSettings(m_lightInfo));
    if (lighting::IsLiveMode(m_lightInfo.selectItem))
        HurryLightFrames();
    NoteLightMode(m_lightInfo.selectItem);
}

void CCorvaneKeyboardDevice::ApplyLightSettings() {
    data::LightInfo info = m_profile.GetLightInfo();
    info.light = lighting::ClampLevel(info.light);
    info.speed = lighting::ClampLevel(info.speed);
    m_lightInfo = info;
    m_audio = ToEngineAudio(m_profile.GetAudioLightInfo());
    if (m_lightInfo.selectItem == kCustomColourMode)
        LoadCustomColors();

    std::vector<lighting::LightListEntry> overlays;
    for (const data::LightListEntry& e : m_profile.GetLightList()) {
        lighting::LightListEntry o;
        o.kind = e.ledRegMode;
        o.brightness = e.ledBrightness;
        o.speed = e.ledSpeed;
        o.direction = e.ledDirection != 0;
        o.multiColor = e.ledMultiColor != 0;
        o.color = {e.red, e.green, e.blue};
        o.present = e.present != 0;
        overlays.push_back(o);
    }
    const std::vector<lighting::EffectFrame> sequence = EngineSequence(m_profile.GetEffectFrames());
    m_engine.ApplyLightSettings(ToEngineSettings(m_lightInfo), m_audio, overlays, sequence);
    if (lighting::IsLiveMode(m_lightInfo.selectItem))
        HurryLightFrames();
}

bool CCorvaneKeyboardDevice::LightFramesSettled() const {
    return m_engine.IsStill() && m_engine.FrameVersion() == m_shownFrameVersion.load();
}

bool CCorvaneKeyboardDevice::WantsLightFrames() const {
    return IsLightControlled() &&
           (IsPreviewShown() || lighting::IsLiveMode(m_lightInfo.selectItem));
}

void CCorvaneKeyboardDevice::SetLedColor(int index, lighting::LedColor color) {
    m_engine.SetLedColor(index, color);
}

lighting::LedColor CCorvaneKeyboardDevice::GetLedColor(int index) const {
    return m_engine.GetLedColor(index);
}

void CCorvaneKeyboardDevice::SetAudioLevels(const int* levels, int count) {
    if (!levels || count <= 0)
        return;
    const auto n = static_cast<std::size_t>(std::min(count, lighting::kAudioBands));
    m_engine.SetAudioLevels(std::span<const std::int32_t>(levels, n));
}

void CCorvaneKeyboardDevice::SetScreenColors(const std::uint32_t* colours, int count) {
    if (!colours || count <= 0)
        return;
    const auto n = static_cast<std::size_t>(std::min(count, lighting::kScreenWords));
    m_engine.SetScreenColors(std::span<const std::uint32_t>(colours, n));
}

void CCorvaneKeyboardDevice::OnDeviceKeyEvent(int position, int action) {
    if (action != 1 && action != 2)
        return;
    const std::uint8_t key = m_config.maps.KeyAtPosition(position);
    if (key == kNoEntry)
        return;
    OnKeyEvent(key, action);
}

void CCorvaneKeyboardDevice::OnKeyEvent(int key, int action) {
    m_engine.OnKeyEvent(key, action);
}

void CCorvaneKeyboardDevice::SendLightFrame() {
    const bool controlled = IsLightControlled();
    const bool live = lighting::IsLiveMode(m_lightInfo.selectItem);
    const bool previewShown = IsPreviewShown();
    UpdateLightThreadGates();
    if (!controlled)
        return;
    // the version is taken before the colours: a change after it counts as not shown
    m_shownFrameVersion.store(m_engine.FrameVersion());
    const lighting::LedColorBuffer colours = m_engine.Colors();
    if (previewShown)
        for (std::size_t i = 0; i < colours.size(); ++i)
            ShowLedPreview(static_cast<int>(i), colours[i]);
    if (!live || !CanWrite())
        return;
    const lighting::LightFrame frame = lighting::BuildLightFrame(colours, m_config.maps.led);
    const std::size_t length = lighting::LiveFrameLength(m_config.keyCount);
    lighting::LiveFrameSender& sender = LiveSender();
    sender.SetLink(m_connection.IsOnReceiver() ? lighting::LinkKind::Receiver
                                               : lighting::LinkKind::Cable);
    sender.Submit(std::span<const std::uint8_t>(frame.data(), length));
}

lighting::LiveFrameSender& CCorvaneKeyboardDevice::LiveSender() {
    if (!m_liveSender) {
        m_liveSender = std::make_unique<lighting::LiveFrameSender>(
            [this](std::span<const std::uint8_t> bytes) {
                return Channel().WriteLightFrame(bytes.data(), bytes.size());
            });
    }
    return *m_liveSender;
}

// --- custom colours (mode 19) ------------------------------------------------------------

std::vector<data::CustomColor> CCorvaneKeyboardDevice::CustomLightsAsColours() const {
    std::vector<data::CustomColor> colours;
    colours.reserve(m_customLights.size());
    for (const lighting::LedColor& c : m_customLights)
        colours.push_back({c.red, c.green, c.blue, c.brightness});
    return colours;
}

void CCorvaneKeyboardDevice::SetCustomGroup(int group) {
    if (group < 0 || group >= data::kMaxCustomGroups)
        return;
    m_panelGroup = group;
    m_profile.SetCustomGroupIndex(group);
    if (QWidget* panel = LightPanel())
        panel->setProperty("customGroup", group);
}

void CCorvaneKeyboardDevice::LoadCustomColors() {
    const int group = m_profile.GetCustomGroupIndex();
    const std::vector<data::CustomColor> colours =
        m_profile.GetCustomColors(group, static_cast<int>(kUiKeyCount));
    for (std::size_t i = 0; i < m_customLights.size(); ++i) {
        const data::CustomColor c = i < colours.size() ? colours[i] : data::CustomColor{};
        m_customLights[i] = {c.red, c.green, c.blue, c.alpha};
    }
    m_engine.SetCustomColors(m_customLights);
    m_panelGroup = group;
    if (QWidget* panel = LightPanel())
        panel->setProperty("customGroup", group);
    WriteCustomGroup();
}

void CCorvaneKeyboardDevice::WriteCustomGroup() {
    if (m_lightInfo.selectItem != kCustomColourMode || !CanWrite())
        return;
    if (m_lightInfo.customGroup >= data::kMaxCustomGroups)
        return;
    const std::vector<std::uint8_t> bank = BuildColourBank(
        m_customLights, m_config.maps, m_config.keyCount, ColourScaling::ByBrightness);
    if (m_memory.WriteColourBank(bank, m_lightInfo.customGroup, kGroupWriteStride) !=
        CCommandChannel::kOk)
        QThread::msleep(kFailedColourWritePauseMs);
}

void CCorvaneKeyboardDevice::FillCustomColors(bool on) {
    for (lighting::LedColor& c : m_customLights) {
        c.red = on ? m_lightInfo.red : 0;
        c.green = on ? m_lightInfo.green : 0;
        c.blue = on ? m_lightInfo.blue : 0;
    }
    m_engine.SetCustomColors(m_customLights);
    WriteCustomGroup();
    if (m_panelGroup != -1) {
        m_profile.SetCustomColors(CustomLightsAsColours(), m_panelGroup);
        SaveProfile();
    }
}

void CCorvaneKeyboardDevice::SetCustomKeyColor(int light) {
    if (m_lightInfo.selectItem != kCustomColourMode || light < 0 ||
        light >= static_cast<int>(kUiKeyCount))
        return;
    lighting::LedColor& c = m_customLights[static_cast<std::size_t>(light)];
    c.red = m_lightInfo.red;
    c.green = m_lightInfo.green;
    c.blue = m_lightInfo.blue;
    m_engine.SetCustomColors(m_customLights);
    if (m_panelGroup == -1)
        return;
    m_profile.SetCustomColors(CustomLightsAsColours(), m_panelGroup);
    SaveProfile();
    if (!CanWrite() || m_lightInfo.customGroup >= data::kMaxCustomGroups)
        return;
    const std::vector<std::uint8_t> bank =
        BuildColourBank(m_customLights, m_config.maps, m_config.keyCount, ColourScaling::None);
    m_memory.WriteColourBank(bank, m_lightInfo.customGroup, kSingleKeyWriteStride);
}

// --- device ------------------------------------------------------------------------------

void CCorvaneKeyboardDevice::ReadDeviceConfig() {
    const ConfigReadStatus status = m_memory.ReadConfig(m_config);
    SetInfoBlock(m_config.info.data(), m_config.info.size());
    if (status != ConfigReadStatus::Ok) {
        qCWarning(lcVpcDevices,
                  "keyboard configuration not read (%s, key count %d): nothing is "
                  "written to the device until it reads",
                  ToString(status), int{m_config.info[5]});
        return;
    }
    AdoptKeyIdentity();
}

void CCorvaneKeyboardDevice::AdoptKeyIdentity() {
    // The key download writes the user's assignments over the device's codes, so after a
    // remap the codes the device reports no longer tell which key sits where.
    const int keyCount = m_config.keyCount;
    const KeyPositionMemo memo(UserFolderPath());
    const DeviceIdentity& product = Identity();
    m_keyIdentity = ChooseKeyIdentity(
        memo.Load(keyCount), FactoryKeyCodes(product.vendorId, product.productId, keyCount),
        std::span<const std::uint8_t>(m_config.keyTable), keyCount);
    m_config.maps = BuildKeyMaps(m_keyIdentity.codes, m_config.ledMap, keyCount);
    m_keyIdentityRemembered = m_keyIdentity.source == KeyIdentitySource::Remembered;
    if (!m_keyIdentity.trusted)
        qCWarning(lcVpcDevices,
                  "keyboard: the key table looks remapped and no key positions are known for "
                  "this device; keys are found by their codes");
    RememberKeyIdentity();
}

void CCorvaneKeyboardDevice::RememberKeyIdentity() {
    if (m_keyIdentityRemembered || !m_keyIdentity.trusted || !m_config.valid)
        return;
    const KeyPositionMemo memo(UserFolderPath());
    m_keyIdentityRemembered = memo.Save(m_keyIdentity.codes, m_config.keyCount);
    if (!m_keyIdentityRemembered)
        qCWarning(lcVpcDevices, "keyboard: key positions not saved to %s", memo.Path().c_str());
}

bool CCorvaneKeyboardDevice::ReadOnboardProfile() {
    SetSynchronised(false);
    if (!Channel().IsEnabled())
        return false;
    if (m_defaults.modeNames.empty())
        LoadDefaultData();
    std::uint8_t slot = m_onboardIndex;
    if (m_memory.ReadActiveSlot(slot) != CCommandChannel::kOk) {
        qCWarning(lcVpcDevices, "keyboard: active onboard slot not read");
        return false;
    }
    OnboardRecordBytes record{};
    if (m_memory.ReadOnboardRecord(slot, record) != CCommandChannel::kOk) {
        qCWarning(lcVpcDevices, "keyboard: onboard record %d not read", int{slot});
        return false;
    }
    m_onboardIndex = slot;
    record[0] = slot;
    m_onboardRecord = record;
    const OnboardState state = DecodeOnboardRecord(record, m_defaults.modeValues);
    data::LightInfo info = m_lightInfo; // the custom group and old mode are not in the record
    info.selectItem = state.light.selectItem;
    info.light = state.light.light;
    info.speed = state.light.speed;
    info.fx = state.light.fx;
    info.multiColor = state.light.multiColor;
    info.red = state.light.red;
    info.green = state.light.green;
    info.blue = state.light.blue;
    info.zzccLedMode = state.light.zzccLedMode;
    TakeLightingState(info);
    m_system.key6Flag = state.key6Flag;
    m_system.winFlag = state.winFlag;
    m_system.wFlag = state.wFlag;
    const data::SystemStageWords words = m_system.ToWords();
    m_profile.SetSystemStages(words[0], words[1], words[2]);
    m_profile.SetLightInfo(m_lightInfo);
    SaveProfile();
    return true;
}

void CCorvaneKeyboardDevice::OnDeviceArrived() {
    ReadDeviceConfig();
    LoadProfile();
    ReadOnboardProfile();
    RefreshPanel();
    StartLightThread(m_engine);
    RefreshLightModeList(!m_connection.IsOnReceiver());
}

void CCorvaneKeyboardDevice::OnDeviceSync() {
    ReadOnboardProfile();
    RefreshPanel();
    if (m_lastSyncCode.load() != kSyncRereadReselect)
        return;
    // the profile list reads its file again and selects the stored profile, which is the
    // one loaded then
    if (QWidget* profiles = FindPageControl(QStringLiteral("DeviceProfileItem"))) {
        QMetaObject::invokeMethod(profiles, "LoadProfileList");
        const QString selected = profiles->property("currentProfileId").toString();
        if (data::IsSafeFileId(selected.toStdString()))
            m_profileName = selected;
    }
    LoadProfile();
}

void CCorvaneKeyboardDevice::ReadDeviceStatus() {
    if (!Channel().IsEnabled() || IsStatusPollingPaused() || !Channel().QueryWirelessLink())
        return;
    CCorvaneUSBDevice::ReadDeviceStatus();
}

bool CCorvaneKeyboardDevice::CheckWirelessLink() {
    if (Channel().IsEnabled() && m_connection.IsOnReceiver() && Channel().QueryWirelessLink()) {
        LiveSender().ResumeStreaming(lighting::LinkKind::Receiver);
        return true;
    }
    // off or out of range: no live frames to the receiver until it reports the keypad back
    LiveSender().StopStreaming(lighting::LinkKind::Receiver);
    return false;
}

void CCorvaneKeyboardDevice::OnNotificationUsage(ConnectionLink link, std::uint16_t usage) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, link, usage] { OnNotificationUsage(link, usage); }, Qt::QueuedConnection);
        return;
    }
    m_lastSyncCode.store(usage);
    qCDebug(lcVpcDevices, "接收到自动添加设备的同步信息要求  TEST");
    const SyncRequest request = ClassifySyncCode(usage);
    switch (request.action) {
    case SyncAction::Reread:
        qCDebug(lcVpcDevices, "接收到自动添加设备的同步信息要求");
        CCorvaneUSBDevice::OnNotificationUsage(link, usage); // timer 1002: OnDeviceSync
        break;
    case SyncAction::SwitchSlot:
        if (!Channel().IsEnabled())
            break;
        m_onboardIndex = request.slot;
        ReadOnboardProfile(); // the new slot's settings, so later writes keep them
        RefreshPanel();
        break;
    case SyncAction::None:
        break;
    }
}

int CCorvaneKeyboardDevice::WriteOnboardProfile(int slot, int value, int, int, int) {
    if (!CanWrite())
        return 0;
    const data::LightInfo light = m_profile.GetLightInfo();
    const auto system = data::KeyboardSystemStages::FromWords(m_profile.GetSystemStages());
    const OnboardRecordBytes record =
        EncodeOnboardRecord(light, system, static_cast<std::uint8_t>(value));
    std::uint8_t target = m_onboardIndex;
    const int result = m_memory.WriteOnboardRecord(record, target);
    if (slot != target)
        qCDebug(lcVpcDevices, "keyboard: onboard record written to the active slot %d, not %d",
                int{target}, slot);
    m_onboardIndex = target;
    return result;
}

int CCorvaneKeyboardDevice::DownloadMacros(const std::vector<int>& macroIndexes) {
    m_macroHalfCounts.clear();
    if (!Channel().IsEnabled())
        return CCommandChannel::kNotWritten;
    MacroDownloadResult download = DownloadMacroImage(Channel(), UserFolderPath(), macroIndexes);
    if (download.infoRead)
        SetInfoBlock(download.info.data(), download.info.size());
    m_macroHalfCounts = std::move(download.halfCounts);
    return download.result;
}

int CCorvaneKeyboardDevice::DownloadKeyList(int slot, const std::vector<data::KeyEntry>& keys) {
    if (!Channel().IsEnabled() || !m_config.valid)
        return 0;
    std::array<std::uint8_t, CCommandChannel::kInfoBlockSize> info{};
    const int read = m_memory.ReadInfo(info);
    if (read != CCommandChannel::kOk)
        return read;
    SetInfoBlock(info.data(), info.size());
    if (info[5] != m_config.keyCount) {
        m_config.valid = false;
        qCWarning(lcVpcDevices, "keyboard: key count changed from %d to %d; key table not written",
                  m_config.keyCount, int{info[5]});
        return 0;
    }
    // once the assignments are on the device its codes no longer name the keys
    RememberKeyIdentity();
    const KeyTableImage image = BuildKeyTableImage(
        m_config.keyTable, m_config.keyCount, m_config.maps, keys, CountMacros(UserFolderPath()));
    return m_memory.WriteKeyTable(image.bytes, m_config.keyCount, slot);
}

int CCorvaneKeyboardDevice::DownloadKeyAssignments(int slot, const std::vector<int>& keys) {
    std::vector<data::KeyEntry> list = m_keys;
    for (std::size_t i = 0; i < keys.size() && i < list.size(); ++i)
        list[i].current.assignment =
            data::KeyAssignment::FromCode(static_cast<std::uint32_t>(keys[i]));
    return DownloadKeyList(slot, list);
}

int CCorvaneKeyboardDevice::DownloadCurrentKeyAssignments(int slot) {
    return DownloadKeyList(slot, m_keys);
}

} // namespace vpc::devices
