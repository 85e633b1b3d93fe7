#include "DiscoveryHandOff.h"

#include <QMetaObject>
#include <QThread>

namespace vpc::devices {

CDiscoveryHandOff::CDiscoveryHandOff(QObject* uiContext, Handlers handlers)
    : m_context(uiContext), m_handlers(std::move(handlers)), m_shared(std::make_shared<Shared>()) {}

CDiscoveryHandOff::~CDiscoveryHandOff() {
    Abort();
}

void CDiscoveryHandOff::Abort() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->aborted = true;
    }
    m_shared->changed.notify_all();
}

bool CDiscoveryHandOff::RunAndWait(std::function<void()> call) {
    QObject* context = m_context.data();
    if (!context)
        return false;
    if (QThread::currentThread() == context->thread()) {
        call(); // already on the UI thread (tests drive passes by hand)
        return true;
    }
    auto done = std::make_shared<bool>(false);
    std::shared_ptr<Shared> shared = m_shared;
    {
        std::lock_guard lock(shared->mutex);
        if (shared->aborted)
            return false;
    }
    QMetaObject::invokeMethod(
        context,
        [shared, done, call = std::move(call)] {
            {
                std::lock_guard lock(shared->mutex);
                if (shared->aborted)
                    return; // shutting down: the window no longer takes devices
            }
            call();
            {
                std::lock_guard lock(shared->mutex);
                *done = true;
            }
            shared->changed.notify_all();
        },
        Qt::QueuedConnection);
    if (m_handlers.waitingForUi)
        m_handlers.waitingForUi();
    std::unique_lock lock(shared->mutex);
    shared->changed.wait(lock, [&] { return *done || shared->aborted; });
    return *done;
}

bool CDiscoveryHandOff::OnSlotArrived(int slot) {
    return RunAndWait([this, slot] {
        if (m_handlers.arrived)
            m_handlers.arrived(slot);
    });
}

bool CDiscoveryHandOff::OnSlotRemoved(int slot) {
    return RunAndWait([this, slot] {
        if (m_handlers.removed)
            m_handlers.removed(slot);
    });
}

void CDiscoveryHandOff::OnFirstPassDone() {
    if (m_handlers.firstPassDone)
        m_handlers.firstPassDone();
}

void CDiscoveryHandOff::OnAccessDenied(const std::string& path) {
    QObject* context = m_context.data();
    if (!context || !m_handlers.accessDenied)
        return;
    auto handler = m_handlers.accessDenied;
    std::shared_ptr<Shared> shared = m_shared;
    QMetaObject::invokeMethod(
        context,
        [shared, handler, path] {
            {
                std::lock_guard lock(shared->mutex);
                if (shared->aborted)
                    return;
            }
            handler(path);
        },
        Qt::QueuedConnection);
}

} // namespace vpc::devices
