// Asks a receiver whether its wireless device answers, up to 26 times 50 ms apart within a
// total time budget, on a thread of its own so the UI never waits for it.
#pragma once

#include "WorkerThread.h"

#include "CCommandChannel.h"

#include <chrono>
#include <functional>

namespace vpc::devices {

class CWirelessLinkProbe {
public:
    static constexpr int kMaxAttempts = 26;
    static constexpr std::chrono::milliseconds kInterval{50};
    static constexpr std::chrono::milliseconds kBudget{3000};
    // Runs on the probe's thread once it has an answer or gave up.
    using Done = std::function<void(bool linked, int attempts)>;

    CWirelessLinkProbe() = default;
    ~CWirelessLinkProbe() { Stop(); }
    CWirelessLinkProbe(const CWirelessLinkProbe&) = delete;
    CWirelessLinkProbe& operator=(const CWirelessLinkProbe&) = delete;

    // Stops a probe still running, then starts a new one on the channel.
    void Start(hid::CCommandChannel& channel, Done done);
    void Stop() { m_thread.Stop(); }
    bool IsRunning() const { return m_thread.IsRunning(); }

private:
    CWorkerThread m_thread;
};

} // namespace vpc::devices
