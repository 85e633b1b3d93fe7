// The light thread of a keyboard: runs one engine pass per 64 Hz tick, waking once per
// few ticks to run the passes due, idle while nobody needs the colours or they stand still,
// and prompt to stop.
#pragma once

#include "LightEngine.h"
#include "StopSignal.h"
#include "TickSource.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace vpc::lighting {

class LightThread {
public:
    // Called on the light thread after every pass, with the pass's tick.
    using PassObserver = std::function<void(std::uint64_t tick)>;

    // The engine passes once for every tick; the thread wakes once per `ticksPerWake`
    // ticks and runs the passes of the ticks since its last wake, in order. A reader
    // that looks less often than every tick sees the same colours at fewer wake-ups.
    LightThread(ILightEngine& engine, TickSource& ticks, std::uint64_t ticksPerWake = 1);
    ~LightThread();
    LightThread(const LightThread&) = delete;
    LightThread& operator=(const LightThread&) = delete;

    // Stops a running thread first, then starts a new one (`StartLightThread`).
    void Start();
    // Signals the thread and joins it (`StopLightThread`); the thread ends within its
    // current pass.
    void Stop();
    bool IsRunning() const { return worker_.joinable(); }

    // The thread only runs passes while the channel is enabled, synchronised lighting
    // does not drive the device and someone uses the colours (a shown preview or live
    // frames). Otherwise it sleeps until one of these changes or it is stopped, and
    // then goes on from the current tick.
    void SetChannelEnabled(bool enabled) { SetGate(channelEnabled_, enabled); }
    void SetSynchronised(bool synchronised) { SetGate(notSynchronised_, !synchronised); }
    void SetOutputWanted(bool wanted) { SetGate(outputWanted_, wanted); }
    bool IsActive() const { return channelEnabled_ && notSynchronised_ && outputWanted_; }
    // True while the thread sleeps because the engine's colours stand still; the next input
    // to the engine wakes it.
    bool IsResting() const { return resting_.load(); }

    // Set before Start.
    void SetPassObserver(PassObserver observer) { observer_ = std::move(observer); }
    std::uint64_t PassCount() const { return passes_.load(); }
    // Times the thread woke, for a tick or to go on after idling.
    std::uint64_t WakeCount() const { return wakes_.load(); }

private:
    void Run(std::uint64_t firstTick);
    void SetGate(std::atomic<bool>& gate, bool open);

    ILightEngine& engine_;
    TickSource& ticks_;
    const std::uint64_t ticksPerWake_;
    StopSignal stop_;
    std::thread worker_;
    PassObserver observer_;
    std::atomic<bool> channelEnabled_{true};
    std::atomic<bool> notSynchronised_{true};
    std::atomic<bool> outputWanted_{true};
    std::atomic<std::uint64_t> passes_{0};
    std::atomic<std::uint64_t> wakes_{0};
    std::atomic<bool> resting_{false};
};

} // namespace vpc::lighting
