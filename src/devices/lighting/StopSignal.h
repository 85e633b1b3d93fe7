// A manual-reset stop event for worker threads: waits on it end early when it is
// signalled, so a thread sleeps until its deadline and is still joined promptly.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace vpc::lighting {

class StopSignal {
public:
    using Clock = std::chrono::steady_clock;

    void Signal();
    void Reset();
    bool IsSignalled() const;
    // Waits until the deadline; returns false when the signal ended the wait.
    bool WaitUntil(Clock::time_point deadline) const;
    // Waits until `ready` holds (checked again on every Wake); returns false when
    // the signal ended the wait.
    bool WaitFor(const std::function<bool()>& ready) const;
    // The same with a deadline: returns false when the signal ended the wait, true when
    // `ready` held or the deadline passed.
    bool WaitFor(const std::function<bool()>& ready, Clock::time_point deadline) const;
    // Wakes WaitFor so that it checks its condition again.
    void Wake() const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool signalled_ = false;
};

} // namespace vpc::lighting
