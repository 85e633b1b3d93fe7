#include "LightThread.h"

#include <algorithm>

#include <pthread.h>

namespace vpc::lighting {

LightThread::LightThread(ILightEngine& engine, TickSource& ticks, std::uint64_t ticksPerWake)
    : engine_(engine), ticks_(ticks), ticksPerWake_(std::max<std::uint64_t>(ticksPerWake, 1)) {}

LightThread::~LightThread() {
    Stop();
}

void LightThread::Start() {
    Stop();
    stop_.Reset();
    // The first pass is at the tick after the start, whenever the thread gets to run.
    const std::uint64_t firstTick = ticks_.Now() + 1;
    engine_.SetInputListener([this] { stop_.Wake(); });
    worker_ = std::thread([this, firstTick] {
        pthread_setname_np(pthread_self(), "vpc-light");
        Run(firstTick);
    });
}

void LightThread::Stop() {
    if (!worker_.joinable()) {
        return;
    }
    stop_.Signal();
    worker_.join();
    engine_.SetInputListener({});
}

void LightThread::SetGate(std::atomic<bool>& gate, bool open) {
    if (gate.exchange(open) != open) {
        stop_.Wake();
    }
}

void LightThread::Run(std::uint64_t firstTick) {
    std::uint64_t next = firstTick;
    std::uint64_t lastPassed = firstTick - 1;
    for (;;) {
        // Colours that stand still need no passes until an input may move them.
        const std::uint64_t inputsSeen = engine_.InputCount();
        if (IsActive() && engine_.IsStill()) {
            resting_ = true;
            const bool goOn = stop_.WaitFor(
                [this, inputsSeen] { return !IsActive() || engine_.InputCount() != inputsSeen; });
            resting_ = false;
            if (!goOn) {
                return;
            }
            wakes_ += 1;
            next = ticks_.Now() + 1;
            lastPassed = next - 1;
        }
        if (!IsActive()) {
            if (!stop_.WaitFor([this] { return IsActive(); })) {
                return;
            }
            // The idle time is not made up: the effect goes on from the next tick.
            wakes_ += 1;
            next = ticks_.Now() + 1;
            lastPassed = next - 1;
        }
        if (!ticks_.WaitForTick(next, stop_)) {
            return;
        }
        wakes_ += 1;
        const std::uint64_t now = ticks_.Now();
        // A late wake-up does not cause a burst: at most one wake's worth of passes.
        const std::uint64_t first =
            std::max(lastPassed + 1, now + 1 - std::min(now, ticksPerWake_));
        for (std::uint64_t tick = first; tick <= now && IsActive(); ++tick) {
            engine_.RunPass(tick);
            passes_ += 1;
            if (observer_) {
                observer_(tick);
            }
        }
        lastPassed = now;
        next = now + ticksPerWake_;
    }
}

} // namespace vpc::lighting
