// The discovery thread: whenever the kernel says an interface came, went or changed (and every
// two seconds besides) it lists the HID interfaces, binds the supported ones to free slots,
// frees slots whose interface has gone, and hands each change to its sink.
#pragma once

#include "SlotList.h"
#include "lighting/StopSignal.h"

#include "EventFd.h"
#include "HidBackend.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vpc::hid {
class CHidDevice;
}

namespace vpc::devices {

// Where the thread reports. The slot calls return once the change was handled, or false when
// the hand-off was abandoned (the thread is being stopped).
class IDiscoverySink {
public:
    virtual ~IDiscoverySink() = default;
    virtual bool OnSlotArrived(int slot) = 0;
    virtual bool OnSlotRemoved(int slot) = 0;
    // After the first scanning pass of the thread's life (even when the listing failed).
    virtual void OnFirstPassDone() = 0;
    // A supported interface is present but this user may not open it; called once per run.
    virtual void OnAccessDenied(const std::string& path) = 0;
};

class CDiscoveryThread {
public:
    // Between two passes when no change is heard of: notifications can be missing (emulated
    // nodes, containers without udev), so a device is still found within this time.
    static constexpr std::chrono::milliseconds kSafetyPassInterval{2000};
    // True when an open of the path failed for lack of permission.
    using AccessProbe = std::function<bool(const std::string& path)>;

    CDiscoveryThread(CSlotList& slotList, IDiscoverySink& sink,
                     std::shared_ptr<hid::IHidBackend> backend = hid::DefaultHidBackend());
    ~CDiscoveryThread();
    CDiscoveryThread(const CDiscoveryThread&) = delete;
    CDiscoveryThread& operator=(const CDiscoveryThread&) = delete;

    void SetAccessProbe(AccessProbe probe) { m_accessProbe = std::move(probe); }
    // Set before Start.
    void SetSafetyPassInterval(std::chrono::milliseconds interval) { m_safetyInterval = interval; }

    // Starts the thread (the exit event is reset first); false when it already runs.
    bool Start();
    // Signals the exit event, abandons a hand-off in progress and joins.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }
    // The exit event: sinks wait on it while the UI thread handles a change.
    const lighting::StopSignal& ExitEvent() const { return m_exit; }

    // One cycle without the thread: a scanning pass when a slot is free, then the presence
    // check. Returns false when the exit event ended it early.
    bool RunCycle();

    // What the thread did so far (read by tests and the benchmark).
    int PassCount() const { return m_passes.load(); }
    int FailedListings() const { return m_failedListings.load(); }

private:
    void Run();
    enum class WaitResult { Changed, Due, Exit };
    // Sleeps until a watched descriptor is readable, the deadline or Stop.
    WaitResult WaitForChange(const std::vector<int>& watched,
                             lighting::StopSignal::Clock::time_point due);
    bool RunCycle(hid::CHidDevice& lister);
    bool ScanPass(hid::CHidDevice& lister);
    bool CheckPresence();

    CSlotList& m_slots;
    IDiscoverySink& m_sink;
    std::shared_ptr<hid::IHidBackend> m_backend;
    AccessProbe m_accessProbe;
    lighting::StopSignal m_exit;
    hid::EventFd m_wake; // readable from Stop on, so a poll() ends at once
    std::chrono::milliseconds m_safetyInterval = kSafetyPassInterval;
    bool m_passAfterChange = false; // the pass runs because the kernel said something changed
    std::thread m_thread;
    bool m_firstPassDone = false;
    bool m_accessDeniedReported = false;
    std::atomic<int> m_passes{0};
    std::atomic<int> m_failedListings{0};
};

// The default access probe: a hidraw path ("/dev/hidrawN#...") whose node exists but is not
// readable and writable by this user.
bool HidrawAccessDenied(const std::string& path);

} // namespace vpc::devices
