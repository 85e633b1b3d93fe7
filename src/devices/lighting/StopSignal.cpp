#include "StopSignal.h"

namespace vpc::lighting {

void StopSignal::Signal() {
    {
        const std::lock_guard guard(mutex_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void StopSignal::Reset() {
    const std::lock_guard guard(mutex_);
    signalled_ = false;
}

bool StopSignal::IsSignalled() const {
    const std::lock_guard guard(mutex_);
    return signalled_;
}

bool StopSignal::WaitUntil(Clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline, [this] { return signalled_; });
    return !signalled_;
}

bool StopSignal::WaitFor(const std::function<bool()>& ready) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return signalled_ || ready(); });
    return !signalled_;
}

bool StopSignal::WaitFor(const std::function<bool()>& ready, Clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline, [&] { return signalled_ || ready(); });
    return !signalled_;
}

void StopSignal::Wake() const {
    { const std::lock_guard guard(mutex_); }
    changed_.notify_all();
}

} // namespace vpc::lighting
