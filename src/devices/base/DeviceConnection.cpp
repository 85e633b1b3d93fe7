#include "DeviceConnection.h"

namespace vpc::devices {

CDeviceConnection::CDeviceConnection(DeviceKind kind, std::shared_ptr<hid::IHidBackend> backend)
    : m_kind(kind), m_channel(backend) {
    for (auto& notify : m_notify)
        notify = std::make_unique<CNotificationInterface>(backend);
}

CDeviceConnection::~CDeviceConnection() {
    Shutdown();
}

bool CDeviceConnection::OpenNotification(std::uint16_t modelCode, const std::string& path) {
    const ConnectionLink link = LinkOfModel(modelCode);
    auto handler = [this, link](std::uint16_t usage) {
        if (m_handler)
            m_handler(link, usage);
    };
    return m_notify[static_cast<std::size_t>(link)]->Open(path, handler, m_syncExitLine);
}

void CDeviceConnection::CloseNotification(std::uint16_t modelCode) {
    CNotificationInterface& notify = *m_notify[static_cast<std::size_t>(LinkOfModel(modelCode))];
    if (notify.IsOpen() || notify.IsSyncRunning())
        notify.Close();
}

bool CDeviceConnection::IsNotificationOpen(ConnectionLink link) const {
    return m_notify[static_cast<std::size_t>(link)]->IsOpen();
}

bool CDeviceConnection::IsAnyNotificationOpen() const {
    return IsNotificationOpen(ConnectionLink::Cable) ||
           IsNotificationOpen(ConnectionLink::Receiver);
}

void CDeviceConnection::CloseCommandInterfaces() {
    m_channel.SetEnabled(false);
    // closing first wakes a transfer that waits on the old node, so the lock comes free at once
    m_channel.WiredInterface().Close();
    m_channel.ReceiverInterface().Close();
    std::lock_guard transfer(m_channel.TransferLock());
    m_channel.WiredInterface().Close();
    m_channel.ReceiverInterface().Close();
}

void CDeviceConnection::Shutdown() {
    for (auto& notify : m_notify)
        notify->Close();
    CloseCommandInterfaces();
}

} // namespace vpc::devices
