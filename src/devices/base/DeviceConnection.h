// The I/O side of one product: its command channel (cable and receiver), its two notification
// interfaces with their sync threads, and the identity of the interface it is bound to.
// Free of widgets, so discovery and tests drive it directly.
#pragma once

#include "DeviceTable.h"
#include "NotificationInterface.h"

#include "CCommandChannel.h"

#include <array>
#include <functional>
#include <memory>

namespace vpc::devices {

enum class ConnectionLink { Cable = 0, Receiver = 1 };

class CDeviceConnection {
public:
    // Runs on a sync thread for each device-initiated report.
    using NotificationHandler = std::function<void(ConnectionLink link, std::uint16_t usage)>;

    explicit CDeviceConnection(
        DeviceKind kind, std::shared_ptr<hid::IHidBackend> backend = hid::DefaultHidBackend());
    ~CDeviceConnection();
    CDeviceConnection(const CDeviceConnection&) = delete;
    CDeviceConnection& operator=(const CDeviceConnection&) = delete;

    DeviceKind Kind() const { return m_kind; }
    void SetKind(DeviceKind kind) { m_kind = kind; }
    hid::CCommandChannel& Channel() { return m_channel; }
    const hid::CCommandChannel& Channel() const { return m_channel; }
    bool IsOnReceiver() const { return m_channel.GetMode() == hid::CCommandChannel::kModeReceiver; }

    const DeviceIdentity& Identity() const { return m_identity; }
    void SetIdentity(const DeviceIdentity& identity) { m_identity = identity; }

    // Set before the first notification interface opens.
    void SetNotificationHandler(NotificationHandler handler) { m_handler = std::move(handler); }
    void SetSyncExitLine(const char* line) { m_syncExitLine = line; }

    // The connection a model code reaches the product through (receiver for 9 and 6).
    static ConnectionLink LinkOfModel(std::uint16_t modelCode) {
        return IsReceiverModel(modelCode) ? ConnectionLink::Receiver : ConnectionLink::Cable;
    }
    // Opens the notification interface of that connection on the path and starts its sync
    // thread; one already open for the same connection is stopped and closed first.
    bool OpenNotification(std::uint16_t modelCode, const std::string& path);
    // Stops that connection's sync thread and closes its interface (nothing when not open).
    void CloseNotification(std::uint16_t modelCode);
    bool IsNotificationOpen(ConnectionLink link) const;
    bool IsAnyNotificationOpen() const;
    const CNotificationInterface& Notification(ConnectionLink link) const {
        return *m_notify[static_cast<std::size_t>(link)];
    }

    // Unbinds the command side: clears the enabled flag and closes both command interfaces
    // under the transfer lock (a transfer in flight is cancelled first, never waited out).
    void CloseCommandInterfaces();
    // Ends every thread and closes every interface: sync threads, command interfaces.
    void Shutdown();

private:
    DeviceKind m_kind;
    hid::CCommandChannel m_channel;
    std::array<std::unique_ptr<CNotificationInterface>, 2> m_notify;
    DeviceIdentity m_identity;
    NotificationHandler m_handler;
    const char* m_syncExitLine = "MS 设备同步线程设定退出";
};

} // namespace vpc::devices
