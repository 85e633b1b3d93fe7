#include "DeviceList.h"

#include "CorvaneHS6533Device.h"
#include "CorvaneKeyboardDevice.h"
#include "CorvaneMouseDevice.h"
#include "CorvaneMousePadDevice.h"
#include "CorvaneUSBDevice.h"
#include "DeviceLog.h"
#include "DeviceOptionUI.h"
#include "DiscoveryHandOff.h"
#include "MpDevicePowerUI.h"

#include "ControlFactory.h"
#include "DialogBuilder.h"
#include "SkinResources.h"
#include "WindowImplBase.h"

#include <QAbstractButton>
#include <QLayout>
#include <QStackedWidget>
#include <QTabWidget>

namespace vpc::devices {

namespace {

constexpr const char* kPowerPanelLayout = "XML\\CustomControlXML\\MpDevicePower.xml";
constexpr const char* kDeviceSwitch = "device_switch";
constexpr const char* kDeviceList = "device_select_layout";

int PageCount(QWidget* tabs) {
    if (auto* stack = qobject_cast<QStackedWidget*>(tabs))
        return stack->count();
    if (auto* tab = qobject_cast<QTabWidget*>(tabs))
        return tab->count();
    return 0;
}

int AddPage(QWidget* tabs, QWidget* page) {
    if (auto* stack = qobject_cast<QStackedWidget*>(tabs))
        return stack->addWidget(page);
    if (auto* tab = qobject_cast<QTabWidget*>(tabs))
        return tab->addTab(page, QString());
    return -1;
}

void SelectPage(QWidget* tabs, int page) {
    if (page < 0 || page >= PageCount(tabs))
        return;
    if (auto* stack = qobject_cast<QStackedWidget*>(tabs))
        stack->setCurrentIndex(page);
    else if (auto* tab = qobject_cast<QTabWidget*>(tabs))
        tab->setCurrentIndex(page);
}

} // namespace

void RegisterDeviceControls() {
    CControlFactory& factory = CControlFactory::Instance();
    factory.RegisterControl(CCorvaneUSBDevice::kClassName, [] { return new CCorvaneUSBDevice(); });
    factory.RegisterControl(CCorvaneKeyboardDevice::kClassName,
                            [] { return new CCorvaneKeyboardDevice(); });
    factory.RegisterControl(CCorvaneMouseDevice::kFactoryName,
                            [] { return new CCorvaneMouseDevice(); });
    factory.RegisterControl(CCorvaneMousePadDevice::kClassName,
                            [] { return new CCorvaneMousePadDevice(); });
    factory.RegisterControl(CCorvaneHS6533Device::kClassName,
                            [] { return new CCorvaneHS6533Device(); });
    factory.RegisterControl(CDeviceOptionUI::kClassName, [] { return new CDeviceOptionUI(); });
    factory.RegisterControl(CMpDevicePowerUI::kClassName, [] { return new CMpDevicePowerUI(); });
}

CDeviceList::CDeviceList(WindowImplBase& window, DeviceListHooks hooks,
                         std::shared_ptr<hid::IHidBackend> backend)
    : m_window(window), m_hooks(std::move(hooks)), m_backend(std::move(backend)),
      m_binder(m_slots, *this) {
    RegisterDeviceControls();
}

CDeviceList::~CDeviceList() {
    StopWorkers();
}

QWidget* CDeviceList::Control(const char* name) const {
    return m_window.PaintManager().FindControl(QString::fromLatin1(name)).widget();
}

void CDeviceList::CreateInitialDevices() {
    // the keyboard's entry exists, hidden, before anything is connected; the mouse, the mouse
    // pad and the headset get theirs (and their pages) when first seen, so a program without
    // them builds none of it
    CreateDeviceObject(0, kRoleCommand);
    RefreshNoDeviceHint();
}

int CDeviceList::CreateDeviceObject(int slot, std::uint16_t role) {
    const auto s = m_slots.Get(slot);
    if (!s)
        return 0;
    const auto row = FindDeviceOptionRow(s->vendorId, s->productId, s->modelCode, role);
    if (!row)
        return 0;
    const DeviceOptionRow& option = DeviceOptionTable()[static_cast<std::size_t>(*row)];
    const DeviceKindRow& kind = DeviceKindTable()[static_cast<std::size_t>(*row)];
    QWidget* powerSwitch = Control(option.powerContainer);
    QWidget* deviceSwitch = Control(kDeviceSwitch);
    QWidget* list = Control(kDeviceList);
    if (!powerSwitch || !deviceSwitch || !list)
        return 0;

    CPaintManagerUI* manager = &m_window.PaintManager();
    const auto create = [this](const QString& className) {
        return m_window.CreateControl(className);
    };
    auto* power = qobject_cast<CMpDevicePowerUI*>(
        CDialogBuilder::Create(kPowerPanelLayout, create, powerSwitch));
    QWidget* page =
        CDialogBuilder::Create(QString::fromLatin1(kind.panelLayout), create, deviceSwitch);
    auto* device = qobject_cast<CCorvaneUSBDevice*>(page);
    auto* entry = qobject_cast<CDeviceOptionUI*>(
        CDialogBuilder::Create(QString::fromLatin1(option.entryLayout), create, list));
    if (!power || !device || !entry) {
        qCWarning(lcVpcDevices, "The layouts of device \"%s\" did not build: %s", option.deviceName,
                  qPrintable(CDialogBuilder::LastError()));
        // whatever did build goes with its parent's children; nothing of it stays shown
        for (QWidget* built : {static_cast<QWidget*>(power), page, static_cast<QWidget*>(entry)})
            if (built)
                built->deleteLater();
        return 0;
    }

    const int powerPage = AddPage(powerSwitch, power);
    power->SetModel(s->modelCode, s->role);
    m_powerPanels.emplace_back(power);

    device->AttachToPaintManager(manager);
    device->SetPageLayoutName(QString::fromLatin1(kind.panelLayout));
    device->SetOwnerWindow(&m_window);
    device->SetKeyCapacity(kind.keyCapacity);
    device->SetLedCapacity(kind.ledCapacity);
    device->SetOptionRow(*row);
    device->SetHasPowerPanel(kind.hasPowerPanel);
    device->SetProfileBaseName(m_hooks.profileBaseName ? m_hooks.profileBaseName() : QString());
    device->SetDeviceName(QString::fromLatin1(option.deviceName));
    device->SetPowerPanel(power);
    device->SetIdentity(*s);
    device->SetLightType(option.lightType);
    device->SetLightingFileBase(QString::fromLatin1(kind.lightingFileBase));
    device->Init();

    const int devicePage = AddPage(deviceSwitch, device);
    // the entries keep the order of the device table (mouse, keyboard, mouse pad, headset)
    // whichever comes first
    const std::size_t place = EntryPlaceFor(*row);
    m_devices.insert(m_devices.begin() + static_cast<std::ptrdiff_t>(place), device);

    if (auto* layout = qobject_cast<QBoxLayout*>(list->layout())) {
        const int before = place < m_entries.size() ? layout->indexOf(m_entries[place].data()) : -1;
        layout->insertWidget(before, entry);
    } else if (QLayout* other = list->layout()) {
        other->addWidget(entry);
    }
    entry->SetSynchroVisible(false);
    entry->SetTabGroup(QString::fromLatin1(option.tabGroup));
    entry->BindDeviceTab(QString::fromLatin1(kDeviceSwitch), devicePage);
    entry->SetPowerPage(QString::fromLatin1(option.powerContainer), powerPage);
    entry->SetIcon(s->modelCode, option.role);
    entry->SetEntryVisible(false);
    entry->SetDeviceName(QString::fromLatin1(option.deviceName));
    entry->SetDevice(device);
    device->SetDeviceEntry(entry);
    entry->SetPreviewControl(device->PreviewControl());
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(place), entry);

    manager->AttachSubtree(power);
    manager->AttachSubtree(device);
    manager->AttachSubtree(entry);
    // selecting the entry ("selectchanged" of its "device_select") shows its device page and
    // power panel: the main window's route calls ShowCheckedEntry
    return 1;
}

std::size_t CDeviceList::EntryPlaceFor(int optionRow) const {
    std::size_t place = 0;
    while (place < m_entries.size() && m_entries[place] && m_entries[place]->Device() &&
           m_entries[place]->Device()->OptionRow() < optionRow)
        ++place;
    return place;
}

int CDeviceList::EntryIndexOfRow(int optionRow) const {
    for (int i = 0; i < EntryCount(); ++i)
        if (CDeviceOptionUI* entry = Entry(i);
            entry && entry->Device() && entry->Device()->OptionRow() == optionRow)
            return i;
    return -1;
}

CDeviceOptionUI* CDeviceList::Entry(int index) const {
    return index >= 0 && index < EntryCount() ? m_entries[static_cast<std::size_t>(index)].data()
                                              : nullptr;
}

int CDeviceList::EntryIndexOf(const CCorvaneUSBDevice* device) const {
    for (int i = 0; i < EntryCount(); ++i)
        if (CDeviceOptionUI* entry = Entry(i); entry && device && entry->Device() == device)
            return i;
    return -1;
}

int CDeviceList::VisibleEntryCount() const {
    int visible = 0;
    for (const auto& entry : m_entries)
        if (entry && entry->IsEntryVisible())
            ++visible;
    return visible;
}

std::vector<CCorvaneUSBDevice*> CDeviceList::DeviceObjects() const {
    std::vector<CCorvaneUSBDevice*> devices;
    for (const auto& device : m_devices)
        if (device)
            devices.push_back(device.data());
    return devices;
}

CCorvaneUSBDevice* CDeviceList::GetCurrentDevice() const {
    for (const auto& entry : m_entries)
        if (entry && entry->IsEntryVisible() && entry->IsSelected())
            return entry->Device();
    return nullptr;
}

int CDeviceList::SelectedVisibleEntry() const {
    for (int i = 0; i < EntryCount(); ++i) {
        if (CDeviceOptionUI* entry = Entry(i);
            entry && entry->IsEntryVisible() && entry->IsSelected())
            return i;
    }
    return -1;
}

bool CDeviceList::SelectPreviousEntry() {
    const int selected = SelectedVisibleEntry();
    for (int i = selected - 1; selected > 0 && i >= 0; --i) {
        if (CDeviceOptionUI* entry = Entry(i); entry && entry->IsEntryVisible()) {
            ShowDeviceEntry(i, true, true);
            return true;
        }
    }
    return false;
}

bool CDeviceList::SelectNextEntry() {
    const int selected = SelectedVisibleEntry();
    for (int i = selected + 1; selected >= 0 && i < EntryCount(); ++i) {
        if (CDeviceOptionUI* entry = Entry(i); entry && entry->IsEntryVisible()) {
            ShowDeviceEntry(i, true, true);
            return true;
        }
    }
    return false;
}

bool CDeviceList::ShowCheckedEntry() {
    const int selected = SelectedVisibleEntry();
    if (selected < 0)
        return false;
    ShowDeviceEntry(selected, true, true);
    return true;
}

void CDeviceList::ShowDeviceEntry(int index, bool show, bool select) {
    if (CDeviceOptionUI* entry = Entry(index)) {
        entry->SetEntryVisible(show);
        if (select) {
            QWidget* tabs = Control(qPrintable(entry->BoundTabLayout()));
            if (tabs && entry->BoundTabPage() >= 0) {
                SelectPage(tabs, entry->BoundTabPage());
                if (QWidget* power = Control(qPrintable(entry->PowerContainer()))) {
                    power->setVisible(entry->PowerPage() >= 0);
                    SelectPage(power, entry->PowerPage());
                }
                entry->Select(true);
            }
        } else {
            entry->Select(false);
        }
    }
    int visible = 0;
    int synchroChecked = 0;
    for (const auto& e : m_entries) {
        if (e && e->IsEntryVisible()) {
            ++visible;
            if (e->IsSynchroChecked())
                ++synchroChecked;
        }
    }
    if (visible == 0) {
        SelectPage(Control("device_power_switch"), 0);
        SelectPage(Control(kDeviceSwitch), 0);
    }
    RefreshNoDeviceHint();
    const bool offered = visible > 1;
    if (m_hooks.syncLightingOffered)
        m_hooks.syncLightingOffered(offered);
    if (!offered)
        for (const auto& device : m_devices)
            if (device)
                device->SetSynchronised(false);
    if (synchroChecked <= 1)
        for (const auto& e : m_entries)
            if (e && e->IsSynchroChecked())
                e->SetSynchroChecked(false);
}

void CDeviceList::HideDeviceEntry(int index) {
    CDeviceOptionUI* entry = Entry(index);
    if (!entry)
        return;
    int other = -1;
    if (entry->IsEntryVisible() && entry->IsSelected()) {
        if (m_hooks.closePopupWindows)
            m_hooks.closePopupWindows();
        if (m_hooks.keyCaptureRunning && m_hooks.keyCaptureRunning()) {
            m_window.SendMessage(kUmKeyCapture, 0, 0);
            if (m_hooks.resetKeyCapture)
                m_hooks.resetKeyCapture();
        }
        for (int i = 0; i < EntryCount(); ++i)
            if (i != index && Entry(i) && Entry(i)->IsEntryVisible()) {
                other = i;
                break;
            }
    }
    ShowDeviceEntry(index, false, false);
    if (other >= 0)
        ShowDeviceEntry(other, true, true);
}

void CDeviceList::RefreshNoDeviceHint() {
    // not before the first look for devices: a device that is plugged in would follow at once
    if (QWidget* hint = Control("No_device_Link"))
        hint->setVisible(m_firstPassDone && VisibleEntryCount() == 0);
}

void CDeviceList::NoteFirstPassDone() {
    m_firstPassDone = true;
    RefreshNoDeviceHint();
}

void CDeviceList::StartDiscovery() {
    if (m_discovery)
        return;
    CDiscoveryHandOff::Handlers handlers;
    handlers.arrived = [this](int slot) {
        m_window.SendMessage(kUmDeviceArrived, static_cast<WPARAM>(slot), 0);
    };
    handlers.removed = [this](int slot) {
        m_window.SendMessage(kUmDeviceRemoved, static_cast<WPARAM>(slot), 0);
    };
    handlers.firstPassDone = [this] {
        QMetaObject::invokeMethod(this, &CDeviceList::NoteFirstPassDone, Qt::QueuedConnection);
        if (m_hooks.firstPassDone)
            m_hooks.firstPassDone();
    };
    handlers.waitingForUi = m_hooks.waitingForUi;
    handlers.accessDenied = [this](const std::string& path) {
        if (m_accessDeniedShown)
            return;
        m_accessDeniedShown = true;
        qCWarning(lcVpcDevices, "No permission to open %s", path.c_str());
        if (m_hooks.accessDenied)
            m_hooks.accessDenied(QString::fromStdString(path));
    };
    m_handOff = std::make_unique<CDiscoveryHandOff>(this, std::move(handlers));
    m_discovery = std::make_unique<CDiscoveryThread>(m_slots, *m_handOff, m_backend);
    m_discovery->Start();
}

void CDeviceList::StopWorkers() {
    if (m_handOff)
        m_handOff->Abort();
    if (m_discovery)
        m_discovery->Stop();
    m_discovery.reset();
    m_handOff.reset();
    for (const auto& entry : m_entries)
        if (entry)
            entry->StopAllTimers();
    // device interfaces close first: that cancels any transfer a probe or sender waits on
    for (const auto& device : m_devices)
        if (device)
            device->StopWorkers();
    m_probes.clear();
}

bool CDeviceList::HandleDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(wParam);
    switch (message) {
    case kUmDeviceArrived:
        m_binder.OnDeviceArrived(index);
        return true;
    case kUmDeviceRemoved:
        m_binder.OnDeviceRemoved(index);
        return true;
    case kUmDeviceOnline: {
        // the message names the device's row of the device table, not its place in the list
        const int entryIndex = EntryIndexOfRow(index);
        if (entryIndex < 0)
            return true;
        if (lParam == 0) {
            HideDeviceEntry(entryIndex);
        } else if (CDeviceOptionUI* entry = Entry(entryIndex); entry && !entry->IsEntryVisible()) {
            ShowDeviceEntry(entryIndex, true, VisibleEntryCount() == 0);
        }
        return true;
    }
    default:
        return false;
    }
}

CCorvaneUSBDevice* CDeviceList::DeviceOf(const CDeviceConnection& connection) const {
    for (const auto& device : m_devices)
        if (device && &device->Connection() == &connection)
            return device.data();
    return nullptr;
}

std::vector<CDeviceConnection*> CDeviceList::Devices() {
    std::vector<CDeviceConnection*> connections;
    for (const auto& device : m_devices)
        if (device)
            connections.push_back(&device->Connection());
    return connections;
}

bool CDeviceList::CreateDevice(int commandRow) {
    return CreateDeviceObject(commandRow, kRoleCommand) == 1;
}

void CDeviceList::ShowEntryForBinding(CDeviceConnection& connection) {
    const int index = EntryIndexOf(DeviceOf(connection));
    if (index >= 0)
        ShowDeviceEntry(index, true, VisibleEntryCount() == 0);
}

void CDeviceList::StartFirstLoad(CDeviceConnection& connection) {
    if (CCorvaneUSBDevice* device = DeviceOf(connection))
        if (CDeviceOptionUI* entry = device->DeviceEntry())
            entry->StartFirstLoad();
}

void CDeviceList::StartReceiverLinkCheck(CDeviceConnection& connection) {
    CCorvaneUSBDevice* device = DeviceOf(connection);
    if (!device)
        return;
    QPointer<CCorvaneUSBDevice> guard(device);
    const auto afterCheck = [guard] {
        if (!guard)
            return;
        if (CDeviceOptionUI* entry = guard->DeviceEntry())
            entry->StartLinkWatch(2000);
    };
    if (!device->HasPowerPanel()) {
        afterCheck();
        return;
    }
    auto& probe = m_probes[&connection];
    if (!probe)
        probe = std::make_unique<CWirelessLinkProbe>();
    probe->Start(connection.Channel(), [this, guard, afterCheck](bool, int) {
        // the answer comes back to the UI thread; the status is read there
        QMetaObject::invokeMethod(
            this,
            [guard, afterCheck] {
                if (guard && guard->HasPowerPanel())
                    guard->ReadDeviceStatus();
                afterCheck();
            },
            Qt::QueuedConnection);
    });
}

void CDeviceList::SendDeviceOnline(CDeviceConnection& connection, bool online) {
    if (CCorvaneUSBDevice* device = DeviceOf(connection))
        m_window.SendMessage(kUmDeviceOnline, static_cast<WPARAM>(device->OptionRow()),
                             online ? 1 : 0);
}

void CDeviceList::ReadDeviceStatus(CDeviceConnection& connection) {
    if (CCorvaneUSBDevice* device = DeviceOf(connection); device && device->HasPowerPanel())
        device->ReadDeviceStatus();
}

void CDeviceList::OnCommandUnbound(CDeviceConnection& connection) {
    CCorvaneUSBDevice* device = DeviceOf(connection);
    if (!device)
        return;
    if (auto it = m_probes.find(&connection); it != m_probes.end())
        it->second->Stop();
    if (CDeviceOptionUI* entry = device->DeviceEntry())
        entry->StopAllTimers();
    HideDeviceEntry(EntryIndexOf(device));
}

void CDeviceList::RefreshLightModeList(bool wired) {
    for (const auto& device : m_devices)
        if (device && device->DeviceType() == static_cast<int>(DeviceKind::Keyboard)) {
            device->RefreshLightModeList(wired);
            return;
        }
}

void CDeviceList::AfterArrival() {
    RefreshNoDeviceHint();
    if (m_hooks.restoreAndRaise)
        m_hooks.restoreAndRaise();
}

} // namespace vpc::devices
