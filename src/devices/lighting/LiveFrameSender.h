// Sends live lighting frames to the device from a thread of its own: it always sends
// the newest frame, drops frames the device is too slow for, and never blocks the caller.
#pragma once

#include "LiveFrame.h"
#include "StopSignal.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace vpc::lighting {

class LiveFrameSender {
public:
    // Writes one frame to the device (the channel's `WriteLightFrame`); 1 means written.
    using SendFunction = std::function<int(std::span<const std::uint8_t>)>;

    struct Options {
        // Pause after a write that did not return 1.
        std::chrono::milliseconds failurePause{200};
        // A write slower than this counts as slow (two in a row turn streaming off).
        std::chrono::milliseconds slowWrite{LiveStreamThrottle::kSlowWrite};
    };

    struct Stats {
        std::uint64_t submitted = 0; // frames taken by Submit
        std::uint64_t sent = 0;      // writes that returned 1
        std::uint64_t failed = 0;    // writes that did not return 1
        std::uint64_t dropped = 0;   // frames replaced by a newer one before they were sent
        std::uint64_t refused = 0;   // frames refused because streaming is off
    };

    explicit LiveFrameSender(SendFunction send);
    LiveFrameSender(SendFunction send, Options options);
    // Stops the thread; a write in progress is waited for (the channel bounds it).
    ~LiveFrameSender();
    LiveFrameSender(const LiveFrameSender&) = delete;
    LiveFrameSender& operator=(const LiveFrameSender&) = delete;

    // Hands over a frame; one still waiting is replaced. Returns at once; false when
    // streaming is off for the current connection (the frame is not taken).
    bool Submit(std::span<const std::uint8_t> frame);

    // The connection frames go over; each has its own throttle.
    void SetLink(LinkKind link);
    LinkKind Link() const;
    bool IsStreamingOff(LinkKind link) const;
    // Turns streaming on again for a connection (the receiver reported the device back).
    void ResumeStreaming(LinkKind link);
    // Turns streaming off for a connection (the receiver reported the device gone).
    void StopStreaming(LinkKind link);

    Stats GetStats() const;
    // Waits until no frame is waiting or being written; false when the time ran out.
    bool WaitIdle(std::chrono::milliseconds timeout) const;

private:
    void Run();
    LiveStreamThrottle& ThrottleOf(LinkKind link) {
        return throttles_[static_cast<std::size_t>(link)];
    }
    const LiveStreamThrottle& ThrottleOf(LinkKind link) const {
        return throttles_[static_cast<std::size_t>(link)];
    }

    const SendFunction send_;
    const Options options_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    mutable std::condition_variable idle_;
    std::vector<std::uint8_t> pending_;
    std::vector<std::uint8_t> sending_;
    bool hasPending_ = false;
    bool busy_ = false;
    bool stopping_ = false;
    LinkKind link_ = LinkKind::Cable;
    std::array<LiveStreamThrottle, 2> throttles_;
    Stats stats_;
    std::thread worker_;
};

} // namespace vpc::lighting
