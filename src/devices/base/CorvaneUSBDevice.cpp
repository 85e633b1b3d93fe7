#include "CorvaneUSBDevice.h"

#include "CurrentPageSizing.h"

#include "ControlClass.h"
#include "DeviceLog.h"
#include "DeviceOptionUI.h"

#include "LedView.h"
#include "MpDevicePowerUI.h"

#include "CBasicProfiledata.h"
#include "DataFolders.h"
#include "JsonAccess.h"
#include "JsonFile.h"
#include "PaintManagerUI.h"
#include "TextUtil.h"
#include "WindowImplBase.h"
#include "lighting/LightTables.h"
#include "lighting/LiveFrameSender.h"

#include <QDir>
#include <QEvent>
#include <QMetaObject>
#include <QStackedWidget>
#include <QTabWidget>
#include <QThread>
#include <algorithm>

namespace vpc::devices {

namespace {

// Selects a page of a tab layout (a stacked widget or a tab widget).
void SelectPage(QWidget* layout, int page) {
    if (auto* stack = qobject_cast<QStackedWidget*>(layout)) {
        if (page >= 0 && page < stack->count())
            stack->setCurrentIndex(page);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(layout)) {
        if (page >= 0 && page < tabs->count())
            tabs->setCurrentIndex(page);
    }
}

QWidget* FindBelow(QWidget* root, const QString& name) {
    if (!root)
        return nullptr;
    for (QWidget* child : root->findChildren<QWidget*>())
        if (ControlName(child).compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

} // namespace

CCorvaneUSBDevice::CCorvaneUSBDevice(QWidget* parent)
    : QWidget(parent), m_connection(DeviceKind::None) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    for (KeyMap& map : m_keyMaps)
        map.assign(lighting::kLightCount, lighting::kNoneByte);
    // reports of the sync threads come to the UI thread by queued calls
    connect(
        this, &CCorvaneUSBDevice::notificationArrived, this,
        [this](int link, int usage) {
            OnNotificationUsage(static_cast<ConnectionLink>(link),
                                static_cast<std::uint16_t>(usage));
        },
        Qt::QueuedConnection);
    m_connection.SetNotificationHandler([this](ConnectionLink link, std::uint16_t usage) {
        emit notificationArrived(static_cast<int>(link), usage);
    });
}

CCorvaneUSBDevice::~CCorvaneUSBDevice() {
    StopWorkers();
    if (m_manager)
        m_manager->RemoveNotifier(this);
}

void CCorvaneUSBDevice::StopWorkers() {
    StopLightThread(nullptr); // the device classes stop it first, before their engines go
    // interfaces first: that cancels every transfer in flight, so the joins below are prompt
    m_connection.Shutdown();
    m_liveSender.reset();
}

void CCorvaneUSBDevice::Init() {
    m_connection.SetSyncExitLine(SyncThreadExitLine());
    m_keyButtons.assign(static_cast<std::size_t>(m_keyCapacity), nullptr);
    m_ledButtons.assign(static_cast<std::size_t>(m_ledCapacity), nullptr);
    if (m_pageLayout.isEmpty()) {
        m_keyCapacity = 0;
        m_ledCapacity = 0;
        m_light.SetLedCapacity(0);
        m_keyButtons.clear();
        m_ledButtons.clear();
        return;
    }
    SetKeyLightArea(nullptr);
    for (QObject* child : children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && ControlClassIs(widget, "SelectPanel")) {
            SetKeyLightArea(widget);
            break;
        }
    }
    if (!m_keyLightArea)
        return;
    for (QObject* child : m_keyLightArea->children()) {
        auto* button = qobject_cast<QWidget*>(child);
        if (!button || !ControlClassIs(button, "DeviceKeyButton"))
            continue;
        const data::NameNumber key = data::SplitNameNumber(ControlName(button).toStdString());
        if (key.ok &&
            QString::fromStdString(key.prefix).compare("key_", Qt::CaseInsensitive) == 0 &&
            key.number >= 0 && key.number < m_keyCapacity)
            m_keyButtons[static_cast<std::size_t>(key.number)] = button;
        const data::NameNumber led =
            data::SplitNameNumber(CControlUI(button).GetUserData().toStdString());
        if (led.ok && led.prefix == "light_" && led.number >= 0 && led.number < m_ledCapacity) {
            m_ledButtons[static_cast<std::size_t>(led.number)] = button;
            ShowLedOn(button, 0xFFFFFFu, 255);
        }
    }
}

QWidget* CCorvaneUSBDevice::FindPageControl(const QString& name) const {
    for (QWidget* child : findChildren<QWidget*>())
        if (ControlName(child).compare(name, Qt::CaseInsensitive) == 0)
            return child;
    return nullptr;
}

void CCorvaneUSBDevice::NoteLightMode(int mode) {
    if (m_notedLightMode.exchange(mode) != mode)
        emit lightModeChanged(mode);
}

void CCorvaneUSBDevice::SetUpKeyEditor(int deviceKind, const std::vector<std::string>& macroNames) {
    QWidget* editor = FindPageControl(QStringLiteral("KeySetControlItem"));
    if (!editor || editor->metaObject()->indexOfMethod("SetMacroNames(QStringList)") < 0)
        return;
    QStringList names;
    for (const std::string& name : macroNames)
        names << QString::fromStdString(name);
    // the panel is a widget: from another thread the call waits for the UI thread's loop
    const Qt::ConnectionType connection =
        QThread::currentThread() == editor->thread() ? Qt::DirectConnection : Qt::QueuedConnection;
    QMetaObject::invokeMethod(editor, "SetDeviceKind", connection, Q_ARG(int, deviceKind));
    QMetaObject::invokeMethod(editor, "SetMacroNames", connection, Q_ARG(QStringList, names));
}

void CCorvaneUSBDevice::OpenKeyEditor(const data::KeyEntry& entry) {
    QWidget* editor = FindPageControl(QStringLiteral("KeySetControlItem"));
    if (!editor || editor->metaObject()->indexOfMethod("ShowKeyEntry(uint,uint,uint)") < 0)
        return;
    const auto words = entry.ToWords();
    QMetaObject::invokeMethod(editor, "ShowKeyEntry", Qt::DirectConnection, Q_ARG(uint, words[0]),
                              Q_ARG(uint, words[1]), Q_ARG(uint, words[2]));
}

QWidget* CCorvaneUSBDevice::LightPanel() const {
    return FindPageControl(QStringLiteral("LightControlItem"));
}

void CCorvaneUSBDevice::ShowLightRecordOnPanel(const std::array<std::uint32_t, 4>& words) {
    QWidget* panel = LightPanel();
    if (!panel || panel->metaObject()->indexOfMethod("ShowLightRecord(uint,uint,uint)") < 0)
        return;
    QMetaObject::invokeMethod(panel, "ShowLightRecord", Qt::DirectConnection, Q_ARG(uint, words[0]),
                              Q_ARG(uint, words[1]), Q_ARG(uint, words[2]));
}

void CCorvaneUSBDevice::SetDefaultLists(const std::vector<std::string>& modes,
                                        const std::vector<std::string>& macros,
                                        const std::vector<std::string>& areas,
                                        const std::vector<std::string>& customLights) {
    const auto toList = [](const std::vector<std::string>& names) {
        QStringList list;
        for (const std::string& name : names)
            list << QString::fromStdString(name);
        return list;
    };
    DefaultList(0) = toList(modes);
    DefaultList(1) = toList(macros);
    DefaultList(2) = toList(areas);
    DefaultList(3) = toList(customLights);
}

std::vector<lighting::EffectFrame>
CCorvaneUSBDevice::EngineSequence(const std::vector<data::EffectFrame>& frames) {
    std::vector<lighting::EffectFrame> sequence;
    sequence.reserve(frames.size());
    for (const data::EffectFrame& f : frames) {
        lighting::EffectFrame e;
        e.kind = f.ledRegMode;
        e.brightness = f.ledBrightness;
        e.speed = f.ledSpeed;
        e.direction = f.ledDirection;
        e.multiColor = f.ledMultiColor != 0;
        e.color = {f.red, f.green, f.blue};
        e.timeMs = f.time;
        e.cycles = f.cyle;
        sequence.push_back(e);
    }
    return sequence;
}

std::filesystem::path CCorvaneUSBDevice::UserFolderPath() const {
    const QString folder = UserDataFolder();
    return folder.isEmpty() ? std::filesystem::path() : std::filesystem::path(folder.toStdString());
}

void CCorvaneUSBDevice::StartLightThread(lighting::ILightEngine& engine) {
    StopLightThread(nullptr);
    m_lightThread = std::make_unique<lighting::LightThread>(engine, m_ticks, kLightTicksPerWake);
    m_lightThread->SetChannelEnabled(Channel().IsEnabled());
    m_lightThread->SetSynchronised(IsSynchronised());
    m_lightThread->Start();
}

void CCorvaneUSBDevice::StopLightThread(const char* exitLine) {
    if (!m_lightThread)
        return;
    m_lightThread->Stop();
    m_lightThread.reset();
    if (exitLine)
        qCDebug(lcVpcDevices, "%s", exitLine);
}

void CCorvaneUSBDevice::UpdateLightThreadGates() {
    if (!m_lightThread)
        return;
    m_lightThread->SetChannelEnabled(Channel().IsEnabled());
    m_lightThread->SetSynchronised(IsSynchronised());
    // the engine only computes while its colours are seen or streamed
    m_lightThread->SetOutputWanted(WantsLightFrames());
}

void CCorvaneUSBDevice::AssignKeyButton(int index, QWidget* button) {
    if (index >= 0 && index < static_cast<int>(m_keyButtons.size()))
        m_keyButtons[static_cast<std::size_t>(index)] = button;
}

void CCorvaneUSBDevice::AssignLedButton(int index, QWidget* button) {
    if (index >= 0 && index < static_cast<int>(m_ledButtons.size()))
        m_ledButtons[static_cast<std::size_t>(index)] = button;
}

void CCorvaneUSBDevice::OnDeviceArrived() {
    std::uint8_t info[kInfoBlockSize] = {};
    if (Channel().ReadInfoBlock(info) == hid::CCommandChannel::kOk)
        SetInfoBlock(info, sizeof info);
}

void CCorvaneUSBDevice::ReadDeviceStatus() {
    if (!m_hasPowerPanel)
        return;
    std::uint8_t status[6] = {};
    if (Channel().ReadStatusBlock(status, sizeof status, 0) != hid::CCommandChannel::kOk)
        return;
    status[3] = m_connection.IsOnReceiver() ? 1 : 0;
    if (CMpDevicePowerUI* panel = PowerPanel())
        panel->UpdateStatus(status, sizeof status);
}

void CCorvaneUSBDevice::SetKeyCapacity(int capacity) {
    m_keyCapacity = std::max(capacity, 0);
    m_keyButtons.resize(static_cast<std::size_t>(m_keyCapacity));
}

void CCorvaneUSBDevice::SetLedCapacity(int capacity) {
    m_ledCapacity = std::max(capacity, 0);
    m_ledButtons.resize(static_cast<std::size_t>(m_ledCapacity));
    m_light.SetLedCapacity(m_ledCapacity);
    std::lock_guard lock(m_lightLock);
    m_overlays.assign(static_cast<std::size_t>(m_ledCapacity), OverlayEntry{});
}

QWidget* CCorvaneUSBDevice::KeyButton(int index) const {
    return index >= 0 && index < static_cast<int>(m_keyButtons.size())
               ? m_keyButtons[static_cast<std::size_t>(index)].data()
               : nullptr;
}

QWidget* CCorvaneUSBDevice::LedButton(int index) const {
    return index >= 0 && index < static_cast<int>(m_ledButtons.size())
               ? m_ledButtons[static_cast<std::size_t>(index)].data()
               : nullptr;
}

bool CCorvaneUSBDevice::HasLedButtons() const {
    return std::any_of(m_ledButtons.begin(), m_ledButtons.end(),
                       [](const QPointer<QWidget>& button) { return !button.isNull(); });
}

void CCorvaneUSBDevice::SetIdentity(const DeviceIdentity& identity) {
    m_connection.SetIdentity(identity);
    m_deviceType = static_cast<int>(KindOfModel(identity.modelCode));
    m_role = identity.role;
    m_connection.SetKind(KindOfModel(identity.modelCode));
}

WindowImplBase* CCorvaneUSBDevice::OwnerWindow() const {
    return m_owner.data();
}

void CCorvaneUSBDevice::SetPowerPanel(CMpDevicePowerUI* panel) {
    m_powerPanel = panel;
    if (panel)
        panel->ShowPowerLayout(m_hasPowerPanel);
}

CMpDevicePowerUI* CCorvaneUSBDevice::PowerPanel() const {
    return m_powerPanel.data();
}

void CCorvaneUSBDevice::SetDeviceEntry(CDeviceOptionUI* entry) {
    m_entry = entry;
}

CDeviceOptionUI* CCorvaneUSBDevice::DeviceEntry() const {
    return m_entry.data();
}

void CCorvaneUSBDevice::NotifyLightControl(bool control) {
    m_lightControl.store(control);
    if (control)
        HurryLightFrames();
    if (control && m_deviceType == static_cast<int>(DeviceKind::Keyboard))
        Channel().NotifyLightControl();
}

void CCorvaneUSBDevice::PauseStatusPolling(bool pause) {
    if (m_hasPowerPanel)
        m_statusPollingPaused = pause;
}

void CCorvaneUSBDevice::SetInfoBlock(const std::uint8_t* bytes, std::size_t length) {
    m_info.fill(0);
    if (bytes)
        std::copy_n(bytes, std::min<std::size_t>(length, m_info.size()), m_info.begin());
}

void CCorvaneUSBDevice::SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                                     std::uint32_t w3) {
    m_light.SetRecord(DeviceLightRecord::FromWords(w0, w1, w2, w3));
}

void CCorvaneUSBDevice::SetAudioLightInfo(int mode, int foreground, int background) {
    m_audioLight = {mode, foreground, background};
    if (QWidget* panel = m_lightPanel ? m_lightPanel.data() : LightPanel()) {
        panel->setProperty("audioMode", mode);
        panel->setProperty("audioForeground", foreground);
        panel->setProperty("audioBackground", background);
    }
}

std::array<int, 3> CCorvaneUSBDevice::GetAudioLightInfo() {
    const QWidget* panel = m_lightPanel ? m_lightPanel.data() : LightPanel();
    if (panel && panel->property("audioMode").isValid()) {
        m_audioLight = {panel->property("audioMode").toInt(),
                        panel->property("audioForeground").toInt(),
                        panel->property("audioBackground").toInt()};
    }
    return m_audioLight;
}

void CCorvaneUSBDevice::SetFunctionPage(int type) {
    m_functionPage = type;
    if (!m_functionSwitch)
        m_functionSwitch = FindBelow(this, "device_function_switch");
    if (!m_keyFunctionSwitch)
        m_keyFunctionSwitch = FindBelow(this, "device_key_function_switch");
    if (!m_functionSwitch || !m_keyFunctionSwitch)
        return;
    // the page scrolls for the function shown, not for the tallest one
    CCurrentPageSizing::Install(qobject_cast<QStackedWidget*>(m_functionSwitch));
    CCurrentPageSizing::Install(qobject_cast<QStackedWidget*>(m_keyFunctionSwitch));
    const bool pointerDevice = m_deviceType == 1 || m_deviceType == 2;
    if (type == 4 && !pointerDevice)
        type = 7;
    switch (type) {
    case 2:
    case 6:
        SelectPage(m_functionSwitch, 0);
        SelectPage(m_keyFunctionSwitch, 1);
        break;
    case 3:
    case 8:
        SelectPage(m_functionSwitch, 1);
        break;
    case 4:
        SelectPage(m_functionSwitch, 3);
        break;
    case 7:
        SelectPage(m_functionSwitch, 0);
        SelectPage(m_keyFunctionSwitch, 2);
        break;
    case 5:
        SelectPage(m_functionSwitch, 2);
        break;
    default:
        SelectPage(m_functionSwitch, 0);
        SelectPage(m_keyFunctionSwitch, 0);
        break;
    }
}

void CCorvaneUSBDevice::ShowLedPreview(int index, const lighting::LedColor& c) {
    QWidget* button = m_previewEnabled ? LedButton(index) : nullptr;
    if (!button || !button->isVisible())
        return;
    ShowLedOn(button, c.red | (std::uint32_t{c.blue} << 8) | (std::uint32_t{c.green} << 16),
              c.brightness);
}

void CCorvaneUSBDevice::ShowLedOn(QWidget* button, std::uint32_t colorWord, int brightness) {
    // the key button repaints itself only when the LED changed
    if (auto* view = dynamic_cast<ILedView*>(button)) {
        view->ShowLed(colorWord, brightness, true);
        return;
    }
    button->setProperty("ledColor", colorWord);
    button->setProperty("ledBrightness", brightness);
    button->setProperty("ledLit", true);
}

void CCorvaneUSBDevice::SetPreviewEnabled(bool enabled) {
    const bool was = m_previewEnabled;
    m_previewEnabled = enabled;
    if (enabled && !was)
        HurryLightFrames();
}

bool CCorvaneUSBDevice::WantsLightFrames() const {
    // while another program drives the lighting, SendLightFrame shows and sends nothing
    return m_lightControl.load() && (IsPreviewShown() || m_light.Record().mode == kLiveFrameMode);
}

void CCorvaneUSBDevice::HurryLightFrames() {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this] { HurryLightFrames(); }, Qt::QueuedConnection);
        return;
    }
    m_framesResting.store(false);
    if (CDeviceOptionUI* entry = DeviceEntry())
        entry->HurryLightFrames();
}

bool CCorvaneUSBDevice::MayRestLightFrames() {
    if (!WantsLightFrames())
        return true; // whatever makes them wanted again hurries the timer
    // said before looking, so that a change from now on wakes the timer
    m_framesResting.store(true);
    if (LightFramesSettled())
        return true;
    m_framesResting.store(false);
    return false;
}

void CCorvaneUSBDevice::OnLightColoursChanged() {
    if (m_framesResting.exchange(false))
        HurryLightFrames();
}

void CCorvaneUSBDevice::SetSynchronised(bool on) {
    if (m_synchronised.exchange(on) != on)
        HurryLightFrames(); // the light thread learns of it with the next frame
}

void CCorvaneUSBDevice::SetKeyLightArea(QWidget* area) {
    if (m_keyLightArea)
        m_keyLightArea->removeEventFilter(this);
    m_keyLightArea = area;
    if (area)
        area->installEventFilter(this);
}

bool CCorvaneUSBDevice::eventFilter(QObject* watched, QEvent* event) {
    // frames rest while nobody sees the preview: its area shown again wants them back
    if (watched == m_keyLightArea && event->type() == QEvent::Show)
        HurryLightFrames();
    return QWidget::eventFilter(watched, event);
}

bool CCorvaneUSBDevice::IsPreviewShown() const {
    return m_previewEnabled && m_keyLightArea && m_keyLightArea->isVisible() &&
           !m_keyLightArea->window()->isMinimized();
}

void CCorvaneUSBDevice::SendLightFrame() {
    if (!m_lightControl.load())
        return;
    const std::vector<lighting::LedColor> leds = m_light.Snapshot();
    std::vector<std::uint8_t> frame(lighting::kFrameBytes, 0);
    for (std::size_t i = 0; i < leds.size(); ++i) {
        const lighting::LedColor& c = leds[i];
        ShowLedPreview(static_cast<int>(i), c);
        if (i >= static_cast<std::size_t>(kMaxLiveLeds))
            continue; // the frame holds 170 LEDs
        frame[3 * i] = lighting::Scale(c.red, c.brightness);
        frame[3 * i + 1] = lighting::Scale(c.green, c.brightness);
        frame[3 * i + 2] = lighting::Scale(c.blue, c.brightness);
    }
    if (m_light.Record().mode != kLiveFrameMode || !Channel().IsEnabled())
        return;
    // the device's own LED count, held to the frame's capacity
    const int ledCount = std::min<int>(m_info[5], kMaxLiveLeds);
    frame.resize(static_cast<std::size_t>(ledCount) * 3);
    if (frame.empty())
        return;
    if (!m_liveSender) {
        // frames go out on a thread of their own: a slow or failed write never holds up the UI
        m_liveSender = std::make_unique<lighting::LiveFrameSender>(
            [this](std::span<const std::uint8_t> bytes) {
                return Channel().WriteLightFrame(bytes.data(), bytes.size());
            });
    }
    m_liveSender->SetLink(m_connection.IsOnReceiver() ? lighting::LinkKind::Receiver
                                                      : lighting::LinkKind::Cable);
    m_liveSender->Submit(frame);
}

bool CCorvaneUSBDevice::IsLiveStreamingOff(ConnectionLink link) const {
    return m_liveSender && m_liveSender->IsStreamingOff(link == ConnectionLink::Receiver
                                                            ? lighting::LinkKind::Receiver
                                                            : lighting::LinkKind::Cable);
}

bool CCorvaneUSBDevice::WaitLiveFramesIdle(int timeoutMs) const {
    return !m_liveSender || m_liveSender->WaitIdle(std::chrono::milliseconds(timeoutMs));
}

QString CCorvaneUSBDevice::ResolveProfileName(const QString& current,
                                              const QString& fallback) const {
    if (data::IsSafeFileId(current.toStdString()))
        return current;
    const QString folder = UserDataFolder();
    if (!folder.isEmpty()) {
        namespace json = data::json;
        const Json::Value list =
            data::ReadJsonFile(std::filesystem::path(folder.toStdString()) / "ProfileList.ini");
        const Json::Value& selected = json::Element(
            json::Member(list, "profilelist"), json::ToInt64(json::Member(list, "profileselect")));
        const std::string id = json::ToText(json::Member(selected, "profileUUID"));
        if (data::IsSafeFileId(id))
            return QString::fromStdString(id);
    }
    return fallback;
}

QString CCorvaneUSBDevice::DefaultDataFolder() const {
    return QString::fromStdString(data::GetDefaultDataFolder().string()) + '/';
}

QString CCorvaneUSBDevice::DefaultProfilePath() const {
    return DefaultDataFolder() + m_deviceName + ".Json";
}

QString CCorvaneUSBDevice::UserDataFolder() const {
    const std::filesystem::path folder = data::GetDeviceFolder(m_deviceName.toStdString());
    return folder.empty() ? QString() : QString::fromStdString(folder.string()) + '/';
}

void CCorvaneUSBDevice::AttachToPaintManager(CPaintManagerUI* manager) {
    if (m_manager == manager)
        return;
    if (m_manager)
        m_manager->RemoveNotifier(this);
    m_manager = manager;
    if (m_manager)
        m_manager->AddNotifier(this);
}

bool CCorvaneUSBDevice::IsOwnControl(const QWidget* sender) const {
    if (!sender || sender == this)
        return false;
    const QString name = ControlName(sender);
    if (name.isEmpty())
        return false;
    return FindBelow(const_cast<CCorvaneUSBDevice*>(this), name) == sender;
}

void CCorvaneUSBDevice::Notify(TNotifyUI& msg) {
    if (IsOwnControl(msg.pSender))
        OnPageNotify(msg);
}

void CCorvaneUSBDevice::OnNotificationUsage(ConnectionLink, std::uint16_t) {
    if (CDeviceOptionUI* entry = DeviceEntry())
        entry->StartDeviceTimer(CDeviceOptionUI::kTimerDeviceSync, 50);
}

} // namespace vpc::devices
