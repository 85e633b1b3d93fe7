// Runs the simulator's delayed work (late replies, the end of a write stall) on one thread, each
// task at its due time, in due-time order.
#pragma once

#include "SimTypes.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace vpc::sim {

class CSimScheduler {
public:
    CSimScheduler();
    ~CSimScheduler();
    CSimScheduler(const CSimScheduler&) = delete;
    CSimScheduler& operator=(const CSimScheduler&) = delete;

    // Runs task on the scheduler's thread once due has passed (never after Stop).
    void At(SimClock::time_point due, std::function<void()> task);
    // Waits until every task queued so far has run (or was dropped by Stop), at most limit.
    // True when nothing is left to run.
    bool WaitUntilIdle(std::chrono::milliseconds limit);
    // Drops the tasks not run yet and joins the thread; later At calls are ignored. Not to be
    // called from a task.
    void Stop();

private:
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::multimap<SimClock::time_point, std::function<void()>> m_tasks;
    std::condition_variable m_idle;
    bool m_running = false; // a task runs outside the lock
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace vpc::sim
