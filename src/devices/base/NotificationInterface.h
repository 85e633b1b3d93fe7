// One notification interface of a device (cable or receiver) with its lock, its open flag and
// the sync thread that reads the device-initiated reports and hands their first usage on.
#pragma once

#include "WorkerThread.h"

#include "CHidDevice.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vpc::devices {

class CNotificationInterface {
public:
    // Called on the sync thread with the first usage of the first item of each report.
    using UsageHandler = std::function<void(std::uint16_t usage)>;

    explicit CNotificationInterface(std::shared_ptr<hid::IHidBackend> backend);
    ~CNotificationInterface();
    CNotificationInterface(const CNotificationInterface&) = delete;
    CNotificationInterface& operator=(const CNotificationInterface&) = delete;

    // Stops a running sync thread and closes the interface, then opens it on the path (read
    // and write, shared) and starts the sync thread. False when the open failed.
    bool Open(const std::string& path, UsageHandler handler, const char* exitLine);
    // Stops the sync thread (cancelling its read) and closes the interface.
    void Close();
    bool IsOpen() const { return m_open.load(); }
    bool IsSyncRunning() const { return m_sync.IsRunning(); }
    int ReportsHandled() const { return m_reports.load(); }

private:
    void SyncLoop(const lighting::StopSignal& exit,
                  const std::shared_ptr<const hid::HidPreparsedData>& preparsed,
                  const UsageHandler& handler, const char* exitLine);
    void StopSync();

    mutable std::recursive_mutex m_lock; // opening and closing
    hid::CHidDevice m_device;
    std::atomic<bool> m_open{false};
    std::atomic<int> m_reports{0};
    CWorkerThread m_sync;
};

} // namespace vpc::devices
