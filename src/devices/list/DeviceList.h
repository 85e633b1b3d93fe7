// The main window's device list: creates each device object with its page, power panel and
// list entry, shows and hides entries, and runs discovery with the binder on the UI thread.
#pragma once

#include "DeviceBinder.h"
#include "DiscoveryThread.h"
#include "SlotList.h"
#include "WirelessLinkProbe.h"

#include "UiTypes.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class WindowImplBase;

namespace vpc::devices {

class CCorvaneUSBDevice;
class CDeviceOptionUI;
class CMpDevicePowerUI;
class CDiscoveryHandOff;

// Window messages of the device list.
inline constexpr UINT kUmDeviceArrived = 3090;
inline constexpr UINT kUmDeviceRemoved = 3091;
inline constexpr UINT kUmDeviceOnline = 3331;
inline constexpr UINT kUmKeyCapture = 1054;

// What the device list needs from the main window beyond its controls.
struct DeviceListHooks {
    std::function<void()> restoreAndRaise;   // after every arrival
    std::function<void()> closePopupWindows; // before the selected entry goes
    std::function<bool()> keyCaptureRunning; // a key capture would be cut off
    std::function<void()> resetKeyCapture;   // after UM_KEY_CAPTURE 0 was sent
    std::function<void(bool offered)> syncLightingOffered;
    std::function<void()> firstPassDone; // runs on the discovery thread
    std::function<void()> waitingForUi;  // discovery thread, a hand-off is queued for the UI
    std::function<void(const QString& path)> accessDenied; // once, on the UI thread
    std::function<QString()> profileBaseName;
};

// Registers the device list's control classes with the control factory.
void RegisterDeviceControls();

class CDeviceList : public QObject, public IDeviceBinderHost {
    Q_OBJECT
public:
    CDeviceList(WindowImplBase& window, DeviceListHooks hooks,
                std::shared_ptr<hid::IHidBackend> backend = hid::DefaultHidBackend());
    ~CDeviceList() override;

    // The mouse and keyboard objects with their hidden entries (option rows 0 and 1).
    void CreateInitialDevices();
    // Creates a device object and its three pieces for slot s and role r; 1 or 0.
    int CreateDeviceObject(int slot, std::uint16_t role);
    void ShowDeviceEntry(int index, bool show, bool select);
    void HideDeviceEntry(int index);
    // The entry whose option button is checked shows its device page and power panel;
    // false when no visible entry is checked.
    bool ShowCheckedEntry();
    // Selects the visible entry before or after the selected one; false at the ends (the list
    // does not wrap around).
    bool SelectPreviousEntry();
    bool SelectNextEntry();
    // The first visible entry whose option button is checked, or -1.
    int SelectedVisibleEntry() const;

    void StartDiscovery();
    // Stops discovery (abandoning a hand-off in progress), link probes, device threads.
    void StopWorkers();
    // UM_DEVICE_ARRIVED, UM_DEVICE_REMOVED and UM_DEVICE_ONLINE; false for other messages.
    bool HandleDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The device of the first entry that is visible and selected.
    CCorvaneUSBDevice* GetCurrentDevice() const;
    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    CDeviceOptionUI* Entry(int index) const;
    int EntryIndexOf(const CCorvaneUSBDevice* device) const;
    // The entry of the device with this row of the device table, or -1.
    int EntryIndexOfRow(int optionRow) const;
    int VisibleEntryCount() const;
    // Shows "No_device_Link" when no entry is visible once the first pass is over, hides it
    // otherwise.
    void RefreshNoDeviceHint();
    // The discovery's first pass is over (UI thread): from now on no visible device shows the
    // hint.
    void NoteFirstPassDone();
    std::vector<CCorvaneUSBDevice*> DeviceObjects() const;
    CSlotList& Slots() { return m_slots; }
    CDeviceBinder& Binder() { return m_binder; }
    CDiscoveryThread* Discovery() const { return m_discovery.get(); }

    // IDeviceBinderHost
    std::vector<CDeviceConnection*> Devices() override;
    bool CreateDevice(int commandRow) override;
    void ShowEntryForBinding(CDeviceConnection& device) override;
    void StartFirstLoad(CDeviceConnection& device) override;
    void StartReceiverLinkCheck(CDeviceConnection& device) override;
    void SendDeviceOnline(CDeviceConnection& device, bool online) override;
    void ReadDeviceStatus(CDeviceConnection& device) override;
    void OnCommandUnbound(CDeviceConnection& device) override;
    void RefreshLightModeList(bool wired) override;
    void AfterArrival() override;

private:
    // Where an entry of this row of the device table goes in the list.
    std::size_t EntryPlaceFor(int optionRow) const;
    CCorvaneUSBDevice* DeviceOf(const CDeviceConnection& connection) const;
    QWidget* Control(const char* name) const;

    WindowImplBase& m_window;
    DeviceListHooks m_hooks;
    std::shared_ptr<hid::IHidBackend> m_backend;
    CSlotList m_slots;
    CDeviceBinder m_binder;
    std::vector<QPointer<CCorvaneUSBDevice>> m_devices;
    std::vector<QPointer<CDeviceOptionUI>> m_entries;
    std::vector<QPointer<CMpDevicePowerUI>> m_powerPanels;
    std::map<const CDeviceConnection*, std::unique_ptr<CWirelessLinkProbe>> m_probes;
    std::unique_ptr<CDiscoveryHandOff> m_handOff;
    std::unique_ptr<CDiscoveryThread> m_discovery;
    bool m_accessDeniedShown = false;
    bool m_firstPassDone = false;
};

} // namespace vpc::devices
