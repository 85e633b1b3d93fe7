#include "TickSource.h"

namespace vpc::lighting {

SteadyTickSource::SteadyTickSource() : start_(Clock::now()) {}

std::uint64_t SteadyTickSource::Now() const {
    const auto elapsed = Clock::now() - start_;
    return static_cast<std::uint64_t>(elapsed / kTick);
}

bool SteadyTickSource::WaitForTick(std::uint64_t tick, const StopSignal& stop) {
    const auto deadline = start_ + kTick * static_cast<std::int64_t>(tick);
    return stop.WaitUntil(std::chrono::time_point_cast<Clock::duration>(deadline));
}

bool ManualTickSource::WaitForTick(std::uint64_t tick, const StopSignal& stop) {
    {
        const std::lock_guard guard(waiterMutex_);
        waiter_ = &stop;
    }
    const bool reached = stop.WaitFor([&] { return now_.load() >= tick; });
    {
        const std::lock_guard guard(waiterMutex_);
        waiter_ = nullptr;
    }
    return reached;
}

void ManualTickSource::Advance(std::uint64_t ticks) {
    now_ += ticks;
    const std::lock_guard guard(waiterMutex_);
    if (waiter_ != nullptr) {
        waiter_->Wake();
    }
}

} // namespace vpc::lighting
