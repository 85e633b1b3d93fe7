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
    // Drops the tasks not run yet and joins the thread; later At calls are ignored. Not to be
    // called from a task.
    void Stop();

private:
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::multimap<SimClock::time_point, std::function<void()>> m_tasks;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace vpc::sim
