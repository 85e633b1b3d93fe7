#include "DeviceOptionUI.h"

#include "CorvaneUSBDevice.h"
#include "MpDevicePowerUI.h"

#include "ControlUI.h"
#include "SkinResources.h"
#include "WindowImplBase.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QMouseEvent>

namespace vpc::devices {

namespace {

QString IconPrefix(int modelCode, int variant) {
    switch (modelCode) {
    case 1:
        return "kb";
    case 2:
        return "ms";
    case 3:
        return variant == 0 ? "hard_mp" : (variant == 1 ? "soft_mp" : QString());
    case 4:
    case 7:
        return "hd";
    case 5:
        return "hub";
    default:
        return "unknow";
    }
}

} // namespace

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    setProperty("deviceEntry", true);
}

CDeviceOptionUI::~CDeviceOptionUI() {
    StopAllTimers();
}

void CDeviceOptionUI::SetDevice(CCorvaneUSBDevice* device) {
    m_device = device;
}

CCorvaneUSBDevice* CDeviceOptionUI::Device() const {
    return m_device.data();
}

void CDeviceOptionUI::FindSubControls() const {
    if (m_looked)
        return;
    m_looked = true;
    for (QWidget* child : findChildren<QWidget*>()) {
        const QString name = ControlName(child);
        if (!m_option && name.compare("device_select", Qt::CaseInsensitive) == 0)
            m_option = child;
        else if (!m_synchro && name.compare("synchro_device_select", Qt::CaseInsensitive) == 0)
            m_synchro = child;
        else if (!m_name && name.compare("device_select_name", Qt::CaseInsensitive) == 0)
            m_name = child;
    }
}

CPaintManagerUI* CDeviceOptionUI::Manager() const {
    // looked up once: the timers ask for it many times a second
    if (!m_manager)
        m_manager = CPaintManagerUI::FromControl(this);
    return m_manager;
}

void CDeviceOptionUI::ApplyImages() {
    FindSubControls();
    if (!m_option)
        return;
    const bool synchro = IsSynchroChecked();
    const QString normal = synchro ? m_images[2] : m_images[0];
    const QString selected = synchro ? m_images[3] : m_images[1];
    m_option->setProperty("normalimage", normal);
    m_option->setProperty("selectedimage", selected);
    m_option->setProperty("disabledimage", normal);
    const QString shown = IsSelected() ? selected : normal;
    if (!shown.isEmpty())
        SetSkinImage(m_option, "file='" + shown + "'");
}

void CDeviceOptionUI::SetIcon(int modelCode, int variant) {
    FindSubControls();
    const QString prefix = IconPrefix(modelCode, variant);
    if (prefix.isEmpty())
        return;
    const QString base = "common/device_ico/" + prefix;
    m_images = {base + "_device_normal.png", base + "_device_selected.png",
                base + "_device_synchro_normal.png", base + "_device_synchro_selected.png"};
    if (m_option) {
        const QString tip = prefix + "_device_name_text";
        m_option->setProperty("tooltipId", tip);
        m_option->setToolTip(CSkinResources::Instance().Translate(tip));
    }
    ApplyImages();
}

void CDeviceOptionUI::SetSynchroVisible(bool visible) {
    FindSubControls();
    if (m_synchro)
        m_synchro->setVisible(visible);
    ApplyImages();
}

void CDeviceOptionUI::SetSynchroChecked(bool checked) {
    FindSubControls();
    if (m_synchro)
        CControlUI(m_synchro).Selected(checked, true);
    ApplyImages();
}

bool CDeviceOptionUI::IsSynchroChecked() const {
    FindSubControls();
    return m_synchro && CControlUI(m_synchro).IsSelected();
}

void CDeviceOptionUI::Select(bool selected) {
    FindSubControls();
    auto* button = qobject_cast<QAbstractButton*>(m_option.data());
    QButtonGroup* group = button ? button->group() : nullptr;
    if (!selected && group && group->exclusive() && button->isChecked()) {
        // an exclusive group keeps one button checked: let this one go explicitly
        group->setExclusive(false);
        CControlUI(m_option).Selected(false, true);
        group->setExclusive(true);
    } else if (m_option) {
        CControlUI(m_option).Selected(selected, true);
    }
    ApplyImages(); // the page coming on screen wakes its preview (the device's own filter)
}

bool CDeviceOptionUI::IsSelected() const {
    FindSubControls();
    return m_option && CControlUI(m_option).IsSelected();
}

void CDeviceOptionUI::BindDeviceTab(const QString& layoutName, int page) {
    m_tabLayout = layoutName;
    m_tabPage = page;
    FindSubControls();
    if (m_option) {
        m_option->setProperty("bindtablayoutname", layoutName);
        m_option->setProperty("bindtabindex", page);
    }
}

void CDeviceOptionUI::SetPowerPage(const QString& layoutName, int page) {
    m_powerContainer = layoutName;
    if (page >= 0)
        m_powerPage = page;
}

void CDeviceOptionUI::SetEntryVisible(bool visible) {
    m_visible = visible;
    setVisible(visible);
}

void CDeviceOptionUI::SetTabGroup(const QString& group) {
    FindSubControls();
    if (!m_option)
        return;
    m_option->setProperty("group", group);
    // option buttons of one group select each other out, across the whole device list
    auto* button = qobject_cast<QAbstractButton*>(m_option.data());
    if (!button || !parentWidget())
        return;
    button->setCheckable(true);
    const QString key = "vpcGroup_" + group;
    auto* buttonGroup = parentWidget()->findChild<QButtonGroup*>(key);
    if (!buttonGroup) {
        buttonGroup = new QButtonGroup(parentWidget()); // owned by the list
        buttonGroup->setObjectName(key);
        buttonGroup->setExclusive(true);
    }
    buttonGroup->addButton(button);
}

void CDeviceOptionUI::SetDeviceName(const QString& name) {
    FindSubControls();
    if (!m_name)
        return;
    // the user reads the kind's name in the current language; the plain name stays for lookups
    m_name->setProperty("deviceName", name);
    const QString textId = m_option ? m_option->property("tooltipId").toString() : QString();
    if (!textId.isEmpty() && CSkinResources::Instance().HasText(textId))
        CControlUI(m_name).SetTextId(textId);
    else
        CControlUI(m_name).SetText(name);
}

bool CDeviceOptionUI::StartDeviceTimer(int timerId, int elapseMs) {
    CPaintManagerUI* manager = Manager();
    return manager && manager->SetTimer(this, timerId, elapseMs);
}

void CDeviceOptionUI::StopDeviceTimer(int timerId) {
    if (CPaintManagerUI* manager = Manager())
        manager->KillTimer(this, timerId);
}

bool CDeviceOptionUI::IsTimerRunning(int timerId) const {
    const CPaintManagerUI* manager = Manager();
    return manager && manager->HasTimer(const_cast<CDeviceOptionUI*>(this), timerId);
}

void CDeviceOptionUI::StartLinkWatch(int elapseMs) {
    if (m_device && m_device->Channel().IsEnabled())
        StartDeviceTimer(kTimerLinkWatch, elapseMs);
}

void CDeviceOptionUI::StopAllTimers() {
    if (CPaintManagerUI* manager = Manager())
        manager->KillTimers(this);
}

void CDeviceOptionUI::SendDeviceOnline(bool online) {
    WindowImplBase* window = m_device ? m_device->OwnerWindow() : nullptr;
    if (window) {
        // the main window shows or hides the entry (and moves the selection when it goes)
        window->SendMessage(kDeviceOnlineMessage, static_cast<WPARAM>(m_device->OptionRow()),
                            online ? 1 : 0);
    } else {
        SetEntryVisible(online);
    }
}

bool CDeviceOptionUI::OnControlTimer(int timerId) {
    StopDeviceTimer(timerId);
    if (!m_device)
        return true;
    switch (timerId) {
    case kTimerLightFrame:
        OnLightFrameTimer();
        break;
    case kTimerFirstLoad:
        OnFirstLoadTimer();
        break;
    case kTimerDeviceSync:
        m_device->OnDeviceSync();
        break;
    case kTimerSpareFirst:
        m_device->OnFirstSpareDeferred();
        break;
    case kTimerSpareSecond:
        m_device->OnSecondSpareDeferred();
        break;
    case kTimerStatus:
        OnStatusTimer();
        break;
    case kTimerLinkWatch:
        OnLinkWatchTimer();
        break;
    default:
        return false;
    }
    return true;
}

std::uint64_t CDeviceOptionUI::LedColoursFingerprint() const {
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a over every LED's four bytes
    const int count = m_device->LedCapacity();
    for (int i = 0; i < count; ++i) {
        const lighting::LedColor c = m_device->GetLedColor(i);
        for (const std::uint8_t byte : {c.red, c.green, c.blue, c.brightness})
            hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

void CDeviceOptionUI::OnLightFrameTimer() {
    m_device->SendLightFrame();
    // Key buttons that show LEDs were given their colours by SendLightFrame and repaint
    // themselves when one changed; only a preview without them is invalidated as a whole.
    if (IsSelected() && m_device->IsPreviewEnabled() && !m_device->HasLedButtons()) {
        // the preview is repainted when the colours moved on: a still effect costs no painting
        const std::uint64_t fingerprint = LedColoursFingerprint();
        if (!m_previewPainted || fingerprint != m_previewFingerprint)
            if (QWidget* preview = m_preview ? m_preview.data() : m_device->PreviewControl()) {
                preview->update();
                m_previewPainted = true;
                m_previewFingerprint = fingerprint;
            }
    } else {
        m_previewPainted = false;
    }
    m_lightFramesIdle = false;
    if (!m_device->Channel().IsEnabled())
        return;
    // Every 50 ms while the frames are seen or streamed and the colours move; otherwise
    // the timer rests until the device says that frames are wanted again or the colours
    // changed, and the UI thread does not wake for nothing.
    if (m_device->MayRestLightFrames()) {
        m_lightFramesIdle = true;
        StopDeviceTimer(kTimerLightFrame);
        return;
    }
    StartDeviceTimer(kTimerLightFrame, kLightFrameMs);
}

void CDeviceOptionUI::HurryLightFrames() {
    if (m_lightFramesIdle) {
        m_lightFramesIdle = false;
        StartDeviceTimer(kTimerLightFrame, 5);
    }
}

void CDeviceOptionUI::OnFirstLoadTimer() {
    const bool receiver = m_device->Connection().IsOnReceiver();
    const bool enabled = m_device->Channel().IsEnabled();
    if (receiver && enabled) {
        if (!m_device->CheckWirelessLink()) {
            m_wirelessFailures = (m_wirelessFailures + 1) % 20;
            if (m_visible)
                SendDeviceOnline(false);
            StartDeviceTimer(kTimerFirstLoad, kFirstLoadRetryMs);
            return;
        }
        SendDeviceOnline(true);
    }
    m_device->OnDeviceArrived();
    m_wirelessFailures = 0;
    StartDeviceTimer(kTimerLightFrame, 5);
    if (m_device->HasPowerPanel() && m_device->Channel().IsEnabled())
        StartDeviceTimer(kTimerStatus, 50);
    if (m_device->Connection().IsOnReceiver())
        StartLinkWatch(2000);
}

void CDeviceOptionUI::OnStatusTimer() {
    if (!m_device->IsStatusPollingPaused())
        m_device->ReadDeviceStatus();
    if (m_device->HasPowerPanel() && m_device->Channel().IsEnabled())
        StartDeviceTimer(kTimerStatus, kStatusMs);
}

void CDeviceOptionUI::OnLinkWatchTimer() {
    if (!m_device->Connection().IsOnReceiver() || !m_device->Channel().IsEnabled())
        return;
    const bool linked = m_device->CheckWirelessLink();
    if (linked && !m_visible) {
        SendDeviceOnline(true);
        if (m_device->HasPowerPanel())
            m_device->ReadDeviceStatus();
    } else if (!linked && m_visible) {
        SendDeviceOnline(false);
    }
    StartLinkWatch(kLinkWatchMs);
}

void CDeviceOptionUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (CPaintManagerUI* manager = Manager())
            manager->SendNotify(this, "selectchanged");
        // a press on the device's name (or beside its button) chooses it as the button does
        FindSubControls();
        if (m_option && m_option->isEnabled() && !IsSelected())
            Select(true);
    }
    QWidget::mousePressEvent(event);
}

} // namespace vpc::devices
