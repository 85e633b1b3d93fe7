// What the main window does when the discovery thread reports a slot: it binds the slot's
// interface to the right device object, switches keyboards and mice between cable and receiver
// and unbinds on removal. Runs without a window: the host supplies devices and list entries.
#pragma once

#include "DeviceConnection.h"
#include "SlotList.h"

#include <vector>

namespace vpc::devices {

// The device list side of binding, implemented by the main window (and by tests).
class IDeviceBinderHost {
public:
    virtual ~IDeviceBinderHost() = default;
    // Device objects in creation order.
    virtual std::vector<CDeviceConnection*> Devices() = 0;
    // Creates the device object and its list entries for a command row; false on failure.
    virtual bool CreateDevice(int commandRow) = 0;
    // The entry becomes visible (selected when no entry was visible before).
    virtual void ShowEntryForBinding(CDeviceConnection& device) = 0;
    // Timer 1001 with 500 ms on the device's entry.
    virtual void StartFirstLoad(CDeviceConnection& device) = 0;
    // The device is now on its receiver: check the wireless link off the UI thread (power
    // panel devices), read the status, then start the link watch (timer 1007, 2000 ms).
    virtual void StartReceiverLinkCheck(CDeviceConnection& device) = 0;
    // Message 3331 for the device's option row.
    virtual void SendDeviceOnline(CDeviceConnection& device, bool online) = 0;
    // Reads the status block when the device has a power panel.
    virtual void ReadDeviceStatus(CDeviceConnection& device) = 0;
    // The device's command side was unbound: hide its entry.
    virtual void OnCommandUnbound(CDeviceConnection& device) = 0;
    // The first keyboard's lighting mode list for a wired or a receiver connection.
    virtual void RefreshLightModeList(bool wired) = 0;
    // After every arrival: the "No_device_Link" hint, restore and raise.
    virtual void AfterArrival() = 0;
};

class CDeviceBinder {
public:
    CDeviceBinder(CSlotList& slotList, IDeviceBinderHost& host) : m_slots(slotList), m_host(host) {}

    // UM_DEVICE_ARRIVED and UM_DEVICE_REMOVED; slots outside the list are ignored.
    void OnDeviceArrived(int slot);
    void OnDeviceRemoved(int slot);

    // The device object whose identity equals this identity (and of this kind), or null.
    CDeviceConnection* FindDevice(const DeviceIdentity& identity, DeviceKind kind) const;

private:
    void BindCommandSlot(int slot, const DeviceSlot& s);
    void BindNotificationSlot(int slot, const DeviceSlot& s);
    void RemoveCommandSlot(int slot, const DeviceSlot& s);
    void RemoveNotificationSlot(int slot, const DeviceSlot& s);
    // wiredSlot is the wired row that was bound (becameWired) or lost.
    void SwitchConnection(int wiredSlot, bool becauseWiredArrived);

    CSlotList& m_slots;
    IDeviceBinderHost& m_host;
};

} // namespace vpc::devices
