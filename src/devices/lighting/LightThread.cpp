#include "LightThread.h"

#include <algorithm>

namespace vpc::lighting {

LightThread::LightThread(KeyboardLightEngine& engine, TickSource& ticks)
    : engine_(engine), ticks_(ticks) {}

LightThread::~LightThread() {
    Stop();
}

void LightThread::Start() {
    Stop();
    stop_.Reset();
    // The first pass is at the tick after the start, whenever the thread gets to run.
    const std::uint64_t firstTick = ticks_.Now() + 1;
    worker_ = std::thread([this, firstTick] { Run(firstTick); });
}

void LightThread::Stop() {
    if (!worker_.joinable()) {
        return;
    }
    stop_.Signal();
    worker_.join();
}

void LightThread::Run(std::uint64_t firstTick) {
    std::uint64_t next = firstTick;
    while (ticks_.WaitForTick(next, stop_)) {
        const std::uint64_t now = ticks_.Now();
        if (!channelEnabled_) {
            next = now + kDisabledIdleTicks;
            wakes_ += 1;
            continue;
        }
        if (!synchronised_) {
            engine_.RunPass(now);
            passes_ += 1;
            if (observer_) {
                observer_(now);
            }
        }
        // A late wake-up does not cause a burst of passes: the next one is one tick on.
        next = std::max(next, now) + 1;
        wakes_ += 1;
    }
}

} // namespace vpc::lighting
