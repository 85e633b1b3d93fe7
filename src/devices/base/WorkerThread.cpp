#include "WorkerThread.h"

#include <pthread.h>

namespace vpc::devices {

bool CWorkerThread::Start(Body body, const char* name) {
    if (m_thread.joinable() || !body)
        return false;
    m_exit.Reset();
    m_thread = std::thread([this, body = std::move(body), name] {
        pthread_setname_np(pthread_self(), name); // at most 15 characters
        body(m_exit);
    });
    return true;
}

void CWorkerThread::Stop(const std::function<void()>& cancelIo) {
    m_exit.Signal();
    if (cancelIo)
        cancelIo();
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace vpc::devices
