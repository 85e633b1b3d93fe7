#include "CSimScheduler.h"

#include <pthread.h>

namespace vpc::sim {

CSimScheduler::CSimScheduler()
    : m_thread([this] {
          pthread_setname_np(pthread_self(), "vpc-sim");
          Loop();
      }) {}

CSimScheduler::~CSimScheduler() {
    Stop();
}

void CSimScheduler::At(SimClock::time_point due, std::function<void()> task) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_tasks.emplace(due, std::move(task));
    }
    m_wake.notify_all();
}

bool CSimScheduler::WaitUntilIdle(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, limit, [this] { return m_tasks.empty() && !m_running; });
}

void CSimScheduler::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_tasks.clear();
    }
    m_wake.notify_all();
    m_idle.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CSimScheduler::Loop() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_tasks.empty()) {
            m_idle.notify_all();
            m_wake.wait(lock);
            continue;
        }
        const auto due = m_tasks.begin()->first;
        if (SimClock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        std::function<void()> task = std::move(m_tasks.begin()->second);
        m_tasks.erase(m_tasks.begin());
        m_running = true;
        lock.unlock();
        task();
        lock.lock();
        m_running = false;
    }
}

} // namespace vpc::sim
