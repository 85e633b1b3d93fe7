// Hands the discovery thread's reports to the UI thread by queued calls and lets the thread
// wait until each one was handled; Abort ends every wait at once, so a window that joins the
// thread at shutdown never deadlocks with it.
#pragma once

#include "DiscoveryThread.h"

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace vpc::devices {

class CDiscoveryHandOff : public IDiscoverySink {
public:
    struct Handlers {
        std::function<void(int slot)> arrived;                // UI thread
        std::function<void(int slot)> removed;                // UI thread
        std::function<void()> firstPassDone;                  // discovery thread
        std::function<void()> waitingForUi;                   // discovery thread
        std::function<void(const std::string&)> accessDenied; // UI thread
    };

    CDiscoveryHandOff(QObject* uiContext, Handlers handlers);
    ~CDiscoveryHandOff() override;

    // Ends every wait of the discovery thread and drops calls not yet run.
    void Abort();

    bool OnSlotArrived(int slot) override;
    bool OnSlotRemoved(int slot) override;
    void OnFirstPassDone() override;
    void OnAccessDenied(const std::string& path) override;

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        bool aborted = false;
    };
    // Runs the call on the UI thread and waits until it ran; false when aborted.
    bool RunAndWait(std::function<void()> call);

    QPointer<QObject> m_context;
    Handlers m_handlers;
    std::shared_ptr<Shared> m_shared;
};

} // namespace vpc::devices
