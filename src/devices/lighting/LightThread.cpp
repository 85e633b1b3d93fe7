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
    worker_ = std::thread([this] { Run(); });
}

void LightThread::Stop() {
    if (!worker_.joinable()) {
        return;
    }
    stop_.Signal();
    worker_.join();
}

void LightThread::Run() {
    std::uint64_t next = ticks_.Now() + 1;
    while (ticks_.WaitForTick(next, stop_)) {
        const std::uint64_t now = ticks_.Now();
        if (!channelEnabled_) {
            next = now + kDisabledIdleTicks;
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
    }
}

} // namespace vpc::lighting
