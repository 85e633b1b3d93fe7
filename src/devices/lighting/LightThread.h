// The light thread of a keyboard: runs one engine pass per 64 Hz tick, sleeping on
// its stop signal in between, and stops promptly when asked.
#pragma once

#include "KeyboardLightEngine.h"
#include "StopSignal.h"
#include "TickSource.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace vpc::lighting {

class LightThread {
public:
    // Called on the light thread after every pass that did work, with the tick.
    using PassObserver = std::function<void(std::uint64_t tick)>;
    // Ticks between two looks at the channel while it is disabled (about 100 ms).
    static constexpr std::uint64_t kDisabledIdleTicks = 6;

    LightThread(KeyboardLightEngine& engine, TickSource& ticks);
    ~LightThread();
    LightThread(const LightThread&) = delete;
    LightThread& operator=(const LightThread&) = delete;

    // Stops a running thread first, then starts a new one (`StartLightThread`).
    void Start();
    // Signals the thread and joins it (`StopLightThread`); the thread ends within its
    // current pass.
    void Stop();
    bool IsRunning() const { return worker_.joinable(); }

    // While the channel is disabled the thread idles and does no effect work.
    void SetChannelEnabled(bool enabled) { channelEnabled_ = enabled; }
    // While synchronised lighting drives the device, passes do no work.
    void SetSynchronised(bool synchronised) { synchronised_ = synchronised; }
    // Set before Start.
    void SetPassObserver(PassObserver observer) { observer_ = std::move(observer); }
    std::uint64_t PassCount() const { return passes_.load(); }
    // Ticks the thread woke for, whether or not the pass did work.
    std::uint64_t WakeCount() const { return wakes_.load(); }

private:
    void Run(std::uint64_t firstTick);

    KeyboardLightEngine& engine_;
    TickSource& ticks_;
    StopSignal stop_;
    std::thread worker_;
    PassObserver observer_;
    std::atomic<bool> channelEnabled_{true};
    std::atomic<bool> synchronised_{false};
    std::atomic<std::uint64_t> passes_{0};
    std::atomic<std::uint64_t> wakes_{0};
};

} // namespace vpc::lighting
