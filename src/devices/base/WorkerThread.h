// The one pattern every background thread of a device follows: the owner resets a manual-reset
// exit event and starts the thread; to stop, it signals the event, cancels any blocking I/O of
// the thread and joins. No thread is ever killed.
#pragma once

#include "lighting/StopSignal.h"

#include <functional>
#include <thread>

namespace vpc::devices {

class CWorkerThread {
public:
    // The body gets the exit event; it returns when the event is signalled.
    using Body = std::function<void(const lighting::StopSignal& exit)>;

    CWorkerThread() = default;
    ~CWorkerThread() { Stop(); }
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // False when a thread is already running.
    bool Start(Body body, const char* name);
    // Signals the exit event, runs cancelIo (which must make any blocking call of the body
    // return), then joins.
    void Stop(const std::function<void()>& cancelIo = {});
    bool IsRunning() const { return m_thread.joinable(); }
    const lighting::StopSignal& ExitEvent() const { return m_exit; }

private:
    lighting::StopSignal m_exit;
    std::thread m_thread;
};

} // namespace vpc::devices
