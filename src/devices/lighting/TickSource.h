// The 64 Hz tick that paces the light thread: a steady-clock source for the program
// and a manual source that tests advance by hand.
#pragma once

#include "StopSignal.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace vpc::lighting {

class TickSource {
public:
    virtual ~TickSource() = default;
    // The number of the current tick.
    virtual std::uint64_t Now() const = 0;
    // Sleeps until tick `tick` has begun; returns false at once when `stop` is signalled.
    virtual bool WaitForTick(std::uint64_t tick, const StopSignal& stop) = 0;
};

// Ticks of 15.625 ms counted from construction on the steady clock.
class SteadyTickSource final : public TickSource {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::microseconds kTick{15625};

    SteadyTickSource();
    std::uint64_t Now() const override;
    bool WaitForTick(std::uint64_t tick, const StopSignal& stop) override;

private:
    Clock::time_point start_;
};

// Ticks that move only when a test calls Advance.
class ManualTickSource final : public TickSource {
public:
    std::uint64_t Now() const override { return now_.load(); }
    bool WaitForTick(std::uint64_t tick, const StopSignal& stop) override;
    void Advance(std::uint64_t ticks = 1);

private:
    std::atomic<std::uint64_t> now_{0};
    std::mutex waiterMutex_;
    const StopSignal* waiter_ = nullptr;
};

} // namespace vpc::lighting
