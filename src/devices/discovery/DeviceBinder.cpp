#include "DeviceBinder.h"

#include "DeviceLog.h"

#include <mutex>

namespace vpc::devices {

namespace {

// SetMode values of the command channel.
constexpr int kSetModeWired = 1;
constexpr int kSetModeReceiver = 2;

} // namespace

CDeviceConnection* CDeviceBinder::FindDevice(const DeviceIdentity& identity,
                                             DeviceKind kind) const {
    for (CDeviceConnection* device : m_host.Devices())
        if (device && device->Kind() == kind && device->Identity() == identity)
            return device;
    return nullptr;
}

void CDeviceBinder::OnDeviceArrived(int slot) {
    const auto s = m_slots.Get(slot);
    if (!s)
        return;
    const DeviceKind kind = KindOfModel(s->modelCode);
    if (kind == DeviceKind::None)
        return;
    // the product's object is looked up by the identity it carries (its wired command row)
    const DeviceIdentity owner = m_slots.OwnerIdentity(slot);
    if (!FindDevice(owner, kind)) {
        int row = -1;
        for (std::size_t i = 0; i < m_slots.Count(); ++i)
            if (auto candidate = m_slots.Get(static_cast<int>(i)); candidate && *candidate == owner)
                row = static_cast<int>(i);
        switch (kind) {
        case DeviceKind::Keyboard:
            qCDebug(lcVpcDevices, "添加一个键盘设备");
            break;
        case DeviceKind::Mouse:
            qCDebug(lcVpcDevices, "添加一个鼠标设备");
            break;
        case DeviceKind::MousePad:
            qCDebug(lcVpcDevices, "添加一个鼠标垫设备");
            break;
        default:
            break;
        }
        if (row >= 0)
            m_host.CreateDevice(row);
    }
    if (s->role == kRoleCommand)
        BindCommandSlot(slot, *s);
    else
        BindNotificationSlot(slot, *s);
    m_host.AfterArrival();
}

void CDeviceBinder::BindCommandSlot(int slot, const DeviceSlot& s) {
    const DeviceKind kind = KindOfModel(s.modelCode);
    if (IsSwitchableKind(kind)) {
        if (auto partner = m_slots.MutualPartner(slot); partner && m_slots.IsPresent(*partner)) {
            // already bound through its other connection: the cable always wins
            if (IsWiredPartnerModel(s.modelCode))
                SwitchConnection(slot, true);
            return;
        }
    }
    const DeviceIdentity identity = m_slots.OwnerIdentity(slot);
    CDeviceConnection* device = FindDevice(identity, kind);
    if (!device || device->Channel().IsEnabled())
        return;
    hid::CCommandChannel& channel = device->Channel();
    const bool receiver = IsReceiverModel(s.modelCode);
    {
        std::lock_guard transfer(channel.TransferLock());
        hid::CHidDevice& target = receiver ? channel.ReceiverInterface() : channel.WiredInterface();
        if (target.Open(s.path, true, true, true, false)) {
            channel.SetEnabled(true);
            if (IsSwitchableKind(kind))
                channel.SetMode(receiver ? kSetModeReceiver : kSetModeWired);
            device->SetIdentity(identity);
        } else {
            qCWarning(lcVpcDevices, "Opening the command interface %s failed", s.path.c_str());
        }
    }
    if (!receiver)
        m_host.ShowEntryForBinding(*device);
    m_host.StartFirstLoad(*device);
}

void CDeviceBinder::BindNotificationSlot(int slot, const DeviceSlot& s) {
    const DeviceKind kind = KindOfModel(s.modelCode);
    CDeviceConnection* device = FindDevice(m_slots.OwnerIdentity(slot), kind);
    if (!device)
        return;
    if (!device->OpenNotification(s.modelCode, s.path))
        qCWarning(lcVpcDevices, "Opening the notification interface %s failed", s.path.c_str());
}

void CDeviceBinder::OnDeviceRemoved(int slot) {
    const auto s = m_slots.Get(slot);
    if (!s || KindOfModel(s->modelCode) == DeviceKind::None)
        return;
    if (s->role == kRoleCommand)
        RemoveCommandSlot(slot, *s);
    else
        RemoveNotificationSlot(slot, *s);
}

void CDeviceBinder::RemoveCommandSlot(int slot, const DeviceSlot& s) {
    const DeviceKind kind = KindOfModel(s.modelCode);
    if (kind == DeviceKind::Keyboard)
        qCDebug(lcVpcDevices, "键盘设备丢失");
    else if (kind == DeviceKind::Mouse)
        qCDebug(lcVpcDevices, "鼠标设备丢失");
    CDeviceConnection* device = FindDevice(m_slots.OwnerIdentity(slot), kind);
    if (IsSwitchableKind(kind)) {
        if (auto partner = m_slots.MutualPartner(slot); partner && m_slots.IsPresent(*partner)) {
            if (IsWiredPartnerModel(s.modelCode)) {
                SwitchConnection(slot, false);
            } else if (device && !device->IsOnReceiver()) {
                // the receiver went while the device is on its cable: let go of its node
                std::lock_guard transfer(device->Channel().TransferLock());
                device->Channel().ReceiverInterface().Close();
            }
            return;
        }
    }
    if (!device)
        return;
    device->CloseCommandInterfaces();
    m_host.OnCommandUnbound(*device);
}

void CDeviceBinder::RemoveNotificationSlot(int slot, const DeviceSlot& s) {
    const DeviceKind kind = KindOfModel(s.modelCode);
    CDeviceConnection* device = FindDevice(m_slots.OwnerIdentity(slot), kind);
    if (!device || !device->IsNotificationOpen(CDeviceConnection::LinkOfModel(s.modelCode)))
        return;
    device->CloseNotification(s.modelCode);
}

void CDeviceBinder::SwitchConnection(int wiredSlot, bool becauseWiredArrived) {
    const auto wired = m_slots.Get(wiredSlot);
    const auto partnerIndex = m_slots.MutualPartner(wiredSlot);
    if (!wired || !partnerIndex)
        return;
    const auto partner = m_slots.Get(*partnerIndex);
    const DeviceKind kind = KindOfModel(wired->modelCode);
    CDeviceConnection* device = FindDevice(*wired, kind);
    if (!device)
        device = FindDevice(*partner, kind);
    if (!device)
        return;
    hid::CCommandChannel& channel = device->Channel();
    const bool wasOnReceiver = device->IsOnReceiver();
    // an arrival of the cable moves a device on its receiver to the cable; a loss of the cable
    // moves a device on its cable to the receiver; anything else has nothing to switch
    if (becauseWiredArrived != wasOnReceiver && channel.IsEnabled())
        return;
    const std::string newPath = wasOnReceiver ? wired->path : partner->path;
    const bool wasEnabled = channel.IsEnabled();
    bool opened = false;
    {
        channel.SetEnabled(false);
        if (!becauseWiredArrived)
            channel.WiredInterface().Close(); // the cable is gone: wake anything waiting on it
        std::lock_guard transfer(channel.TransferLock());
        if (wasOnReceiver) {
            m_host.RefreshLightModeList(true);
            channel.WiredInterface().Close();
            opened = channel.WiredInterface().Open(newPath, true, true, true, false);
        } else {
            m_host.RefreshLightModeList(false);
            channel.ReceiverInterface().Close();
            opened = channel.ReceiverInterface().Open(newPath, true, true, true, false);
            channel.WiredInterface().Close();
        }
        if (!opened) {
            qCWarning(lcVpcDevices, "Switching to %s failed", newPath.c_str());
            // the old connection is kept when it still works (the cable came, the receiver
            // is still there); after a lost cable there is nothing left to keep
            if (becauseWiredArrived && wasEnabled)
                channel.SetEnabled(true);
            return;
        }
        channel.SetEnabled(true);
        channel.SetMode(wasOnReceiver ? kSetModeWired : kSetModeReceiver);
    }
    if (!wasOnReceiver) {
        m_host.StartReceiverLinkCheck(*device);
    } else {
        m_host.StartFirstLoad(*device);
        m_host.SendDeviceOnline(*device, true);
        m_host.ReadDeviceStatus(*device);
    }
}

} // namespace vpc::devices
