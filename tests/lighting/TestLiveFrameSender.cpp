// The live-frame sender against a scripted device: it always sends the newest frame,
// Submit never waits for the device, a failing or slow device drops frames, and two
// slow writes in a row turn streaming off for that connection only.
#include "LightingTestSupport.h"

#include "lighting/LiveFrameSender.h"

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace vpc::lighting {
namespace {

using namespace std::chrono_literals;

std::vector<std::uint8_t> FrameOf(std::uint8_t value) {
    return std::vector<std::uint8_t>(63, value);
}

// A device whose writes block until the test opens the gate, and that records the
// first byte of every frame it was given.
class GatedDevice {
public:
    int Write(std::span<const std::uint8_t> frame) {
        std::unique_lock lock(mutex_);
        frames_.push_back(frame.empty() ? 0 : frame[0]);
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        return result_;
    }
    void Open() {
        const std::lock_guard guard(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void SetResult(int result) {
        const std::lock_guard guard(mutex_);
        result_ = result;
    }
    bool WaitForFrames(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 5s, [&] { return frames_.size() >= count; });
    }
    std::vector<std::uint8_t> Frames() {
        const std::lock_guard guard(mutex_);
        return frames_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int result_ = 1;
    std::vector<std::uint8_t> frames_;
};

TEST(LiveFrameSender, SendsTheNewestFrameAndDropsTheOnesInBetween) {
    GatedDevice device;
    LiveFrameSender sender([&](auto frame) { return device.Write(frame); });
    ASSERT_TRUE(sender.Submit(FrameOf(1)));
    ASSERT_TRUE(device.WaitForFrames(1)); // frame 1 is being written
    for (std::uint8_t value = 2; value <= 5; ++value) {
        EXPECT_TRUE(sender.Submit(FrameOf(value)));
    }
    device.Open();
    ASSERT_TRUE(sender.WaitIdle(5s));
    EXPECT_EQ(device.Frames(), (std::vector<std::uint8_t>{1, 5}));
    const auto stats = sender.GetStats();
    EXPECT_EQ(stats.submitted, 5u);
    EXPECT_EQ(stats.sent, 2u);
    EXPECT_EQ(stats.dropped, 3u);
    EXPECT_EQ(stats.failed, 0u);
}

// The device holds its write for as long as the test wants; a thousand submits from
// the caller's thread all return meanwhile.
TEST(LiveFrameSender, SubmitNeverWaitsForTheDevice) {
    GatedDevice device;
    LiveFrameSender sender([&](auto frame) { return device.Write(frame); });
    ASSERT_TRUE(sender.Submit(FrameOf(0)));
    ASSERT_TRUE(device.WaitForFrames(1));
    auto caller = std::async(std::launch::async, [&] {
        for (int i = 0; i < 1000; ++i) {
            sender.Submit(FrameOf(static_cast<std::uint8_t>(i % 200 + 1)));
        }
    });
    EXPECT_EQ(caller.wait_for(5s), std::future_status::ready) << "Submit waited for the device";
    EXPECT_EQ(device.Frames().size(), 1u);
    device.Open();
    caller.wait();
    ASSERT_TRUE(sender.WaitIdle(5s));
    EXPECT_EQ(device.Frames().back(), 999 % 200 + 1);
    EXPECT_EQ(sender.GetStats().dropped, 999u);
}

// After a failed write the sender pauses (the 200 ms of the original, longer here so
// that the frames of the test surely arrive during it); only the newest is sent after.
TEST(LiveFrameSender, FailedWritePausesAndKeepsOnlyTheNewestFrame) {
    GatedDevice device;
    device.SetResult(0);
    device.Open();
    LiveFrameSender::Options options;
    options.failurePause = 2s;
    LiveFrameSender sender([&](auto frame) { return device.Write(frame); }, options);
    ASSERT_TRUE(sender.Submit(FrameOf(1)));
    ASSERT_TRUE(device.WaitForFrames(1));
    device.SetResult(1);
    EXPECT_TRUE(sender.Submit(FrameOf(2)));
    EXPECT_TRUE(sender.Submit(FrameOf(3)));
    ASSERT_TRUE(sender.WaitIdle(10s));
    EXPECT_EQ(device.Frames(), (std::vector<std::uint8_t>{1, 3}));
    const auto stats = sender.GetStats();
    EXPECT_EQ(stats.failed, 1u);
    EXPECT_EQ(stats.sent, 1u);
    EXPECT_EQ(stats.dropped, 1u);
}

// Writes slower than the limit (200 ms here) count; two in a row turn streaming off for
// the connection the frames went over, a faster write in between resets the count.
TEST(LiveFrameSender, TwoSlowWritesInARowTurnStreamingOffForThatLinkOnly) {
    std::atomic<int> delayMs{250};
    std::atomic<int> writes{0};
    LiveFrameSender::Options options;
    options.slowWrite = 200ms;
    LiveFrameSender sender(
        [&](auto) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs.load()));
            ++writes;
            return 1;
        },
        options);
    auto sendOne = [&](std::uint8_t value) {
        const bool taken = sender.Submit(FrameOf(value));
        EXPECT_TRUE(sender.WaitIdle(5s));
        return taken;
    };
    EXPECT_TRUE(sendOne(1)); // slow
    delayMs = 0;
    EXPECT_TRUE(sendOne(2)); // fast: the count starts again
    delayMs = 250;
    EXPECT_TRUE(sendOne(3)); // slow
    EXPECT_FALSE(sender.IsStreamingOff(LinkKind::Cable));
    EXPECT_TRUE(sendOne(4)); // slow again: streaming off
    EXPECT_TRUE(sender.IsStreamingOff(LinkKind::Cable));
    EXPECT_FALSE(sendOne(5)) << "refused while streaming is off";
    EXPECT_EQ(writes.load(), 4);
    EXPECT_EQ(sender.GetStats().refused, 1u);

    delayMs = 0;
    sender.SetLink(LinkKind::Receiver);
    EXPECT_FALSE(sender.IsStreamingOff(LinkKind::Receiver));
    EXPECT_TRUE(sendOne(6)) << "the receiver keeps its own flag";
    sender.SetLink(LinkKind::Cable);
    EXPECT_FALSE(sendOne(7));
    sender.ResumeStreaming(LinkKind::Cable);
    EXPECT_TRUE(sendOne(8));
    EXPECT_EQ(writes.load(), 6);
}

TEST(LiveStreamThrottle, CountsConsecutiveSlowWrites) {
    struct Case {
        std::vector<int> writesMs;
        bool off;
    };
    const Case cases[] = {
        {{600}, false},           {{600, 600}, true},           {{501, 501}, true},
        {{500, 500}, false}, // slow means more than 500 ms
        {{600, 100, 600}, false}, {{600, 100, 600, 600}, true}, {{0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        LiveStreamThrottle throttle;
        for (const int ms : c.writesMs) {
            throttle.RecordWrite(std::chrono::milliseconds(ms));
        }
        EXPECT_EQ(throttle.IsStreamingOff(), c.off) << ::testing::PrintToString(c.writesMs);
    }
}

TEST(LiveStreamThrottle, StaysOffUntilResumed) {
    LiveStreamThrottle throttle;
    EXPECT_FALSE(throttle.RecordWrite(600ms));
    EXPECT_TRUE(throttle.RecordWrite(600ms)) << "this write turned it off";
    EXPECT_FALSE(throttle.RecordWrite(10ms));
    EXPECT_TRUE(throttle.IsStreamingOff()) << "a fast write does not turn it on again";
    throttle.ResumeStreaming();
    EXPECT_FALSE(throttle.IsStreamingOff());
    EXPECT_FALSE(throttle.RecordWrite(600ms)) << "the count started again";
}

} // namespace
} // namespace vpc::lighting
