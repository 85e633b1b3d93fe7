// Live frames from the engine to the simulated keypad through its command channel: the
// frames of the 50 ms refresh arrive one by one, and a stalled device (no reply, late
// reply) loses frames without holding up the thread that hands them over.
#include "LightingTestSupport.h"

#include "SimChannelFixture.h"

#include "lighting/LiveFrame.h"
#include "lighting/LiveFrameSender.h"

#include <chrono>
#include <thread>

namespace vpc::lighting {
namespace {

using namespace std::chrono_literals;
using sim::SimFault;
using sim::SimFaultKind;
using sim::SimRegion;

constexpr std::uint8_t kLightFrameCommand = 0x12;
constexpr auto kRefresh = 50ms; // the device list's lighting refresh

class LiveFrameDeviceTest : public test::SimChannelTest {
protected:
    void SetUp() override {
        test::SimChannelTest::SetUp();
        std::array<std::uint8_t, hid::CCommandChannel::kInfoBlockSize> info{};
        ASSERT_EQ(channel->ReadInfoBlock(info.data()), 1);
        frameLength = LiveFrameLength(info[5]);
        ASSERT_EQ(frameLength, 63u);
        // LED n for the n-th key of the keypad's key order.
        ledMap.fill(kNoneByte);
        std::uint8_t led = 0;
        for (const std::uint8_t key : KeypadLayout().keys) {
            ledMap[key] = led++;
        }
        engine = MakeEngine(Settings(31, false, 1, 4));
        keypad->ClearPacketLog();
    }

    // The frame of the engine's current colours, as the refresh builds it.
    std::vector<std::uint8_t> CurrentFrame() {
        const LightFrame frame = BuildLightFrame(engine->Colors(), ledMap);
        return {frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(frameLength)};
    }

    // Screen colour n, stepped into the engine: every frame differs from the one before.
    void NextColour(std::uint8_t n) {
        const std::uint32_t words[] = {n, static_cast<std::uint32_t>(255 - n), 7};
        engine->SetScreenColors(words);
        engine->RunStep(31);
    }

    // A sender writing through the channel; it notes how long the longest write took.
    std::unique_ptr<LiveFrameSender> MakeSender() {
        return std::make_unique<LiveFrameSender>([this](std::span<const std::uint8_t> frame) {
            const auto before = std::chrono::steady_clock::now();
            const int result = channel->WriteLightFrame(frame.data(), frame.size());
            const auto took = std::chrono::steady_clock::now() - before;
            longestWrite = std::max(longestWrite.load(), took);
            return result;
        });
    }

    // The refresh: one frame every 50 ms for `count` frames; returns the longest time
    // one hand-over took.
    std::chrono::steady_clock::duration Refresh(LiveFrameSender& sender, int count) {
        std::chrono::steady_clock::duration longest{};
        auto due = std::chrono::steady_clock::now();
        for (int n = 0; n < count; ++n) {
            NextColour(static_cast<std::uint8_t>(n));
            const auto frame = CurrentFrame();
            const auto before = std::chrono::steady_clock::now();
            sender.Submit(frame);
            longest = std::max(longest, std::chrono::steady_clock::now() - before);
            due += kRefresh;
            std::this_thread::sleep_until(due);
        }
        return longest;
    }

    std::vector<std::uint8_t> DeviceFrame() const {
        const auto memory = keypad->Region(SimRegion::LightFrame);
        return {memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(frameLength)};
    }

    std::size_t frameLength = 0;
    std::array<std::uint8_t, kLightCount> ledMap{};
    std::unique_ptr<KeyboardLightEngine> engine;
    std::atomic<std::chrono::steady_clock::duration> longestWrite{};
};

// A healthy keypad takes every frame of the refresh: each frame handed over is either
// written or replaced by a newer one, the device counts the written ones, and the last
// frame it holds is the last one built.
TEST_F(LiveFrameDeviceTest, EveryRefreshFrameReachesAHealthyDevice) {
    auto sender = MakeSender();
    constexpr int kFrames = 20;
    Refresh(*sender, kFrames);
    ASSERT_TRUE(sender->WaitIdle(5s));
    const auto stats = sender->GetStats();
    EXPECT_EQ(stats.submitted, static_cast<std::uint64_t>(kFrames));
    EXPECT_EQ(stats.failed, 0u);
    EXPECT_EQ(stats.sent + stats.dropped, stats.submitted);
    EXPECT_EQ(static_cast<std::uint64_t>(keypad->LiveFramesReceived()), stats.sent);
    EXPECT_EQ(DeviceFrame(), CurrentFrame());
    // Two chunks per frame over the cable (56 + 7 bytes), nothing else.
    EXPECT_EQ(keypad->AcceptedPackets(kLightFrameCommand).size(), 2 * stats.sent);
    EXPECT_EQ(keypad->AcceptedPackets().size(), 2 * stats.sent);
}

// Key 60 is the 15th key of the key order: LED 14, bytes 42-44, colour scaled by 255.
TEST_F(LiveFrameDeviceTest, FrameCarriesTheEngineColours) {
    auto sender = MakeSender();
    NextColour(100);
    ASSERT_TRUE(sender->Submit(CurrentFrame()));
    ASSERT_TRUE(sender->WaitIdle(5s));
    const auto frame = DeviceFrame();
    EXPECT_EQ(frame[42], 99);  // 100 x 255 / 256
    EXPECT_EQ(frame[43], 154); // 155 x 255 / 256
    EXPECT_EQ(frame[44], 6);   // 7 x 255 / 256
}

// The receiver does not answer light frames: each write waits out the short time limit
// twice (about a second) and fails. The refresh goes on at its pace meanwhile; frames
// are dropped, none reaches the device, and after two slow writes the receiver stops
// taking frames. The cable keeps its own flag and still streams.
TEST_F(LiveFrameDeviceTest, SilentReceiverDropsFramesWithoutStallingTheRefresh) {
    UseReceiver();
    keypad->InjectFault(
        SimFault::Make(SimFaultKind::NoReply).OnCommand(kLightFrameCommand).Times(2));
    auto sender = MakeSender();
    sender->SetLink(LinkKind::Receiver);
    const auto longestHandOver = Refresh(*sender, 20);
    ASSERT_TRUE(sender->WaitIdle(10s));
    const auto stats = sender->GetStats();
    EXPECT_EQ(keypad->LiveFramesReceived(), 0);
    EXPECT_EQ(stats.sent, 0u);
    EXPECT_EQ(stats.failed, 2u);
    EXPECT_GE(stats.dropped, 1u);
    EXPECT_EQ(stats.failed + stats.dropped + stats.refused, stats.submitted);
    EXPECT_TRUE(sender->IsStreamingOff(LinkKind::Receiver));
    // A hand-over takes a lock and a copy; a device write here waits out two time limits.
    EXPECT_GE(longestWrite.load(), 1s);
    EXPECT_LT(longestHandOver * 10, longestWrite.load()) << "the refresh waited for the device";
    EXPECT_FALSE(sender->Submit(CurrentFrame())) << "receiver streaming is off";

    UseWired();
    sender->SetLink(LinkKind::Cable);
    EXPECT_TRUE(sender->Submit(CurrentFrame()));
    ASSERT_TRUE(sender->WaitIdle(5s));
    EXPECT_EQ(keypad->LiveFramesReceived(), 1);
    EXPECT_EQ(DeviceFrame(), CurrentFrame());
}

// Two frames whose first packet is answered 600 ms late over the receiver are written,
// but slowly: live frames over the receiver stop, the cable's go on.
TEST_F(LiveFrameDeviceTest, TwoLateFramesOverTheReceiverStopItsStreaming) {
    UseReceiver();
    // A frame is three packets over the receiver (24-byte chunks): the first packet of
    // the first and of the second frame come late.
    keypad->InjectFault(
        SimFault::Make(SimFaultKind::LateReply, 600ms).OnCommand(kLightFrameCommand));
    keypad->InjectFault(
        SimFault::Make(SimFaultKind::LateReply, 600ms).OnCommand(kLightFrameCommand).After(2));
    auto sender = MakeSender();
    sender->SetLink(LinkKind::Receiver);
    for (std::uint8_t n = 1; n <= 2; ++n) {
        NextColour(n);
        ASSERT_TRUE(sender->Submit(CurrentFrame()));
        ASSERT_TRUE(sender->WaitIdle(5s));
    }
    EXPECT_EQ(keypad->LiveFramesReceived(), 2);
    EXPECT_EQ(sender->GetStats().sent, 2u);
    EXPECT_TRUE(sender->IsStreamingOff(LinkKind::Receiver));
    NextColour(3);
    EXPECT_FALSE(sender->Submit(CurrentFrame()));
    EXPECT_EQ(keypad->LiveFramesReceived(), 2);

    UseWired();
    sender->SetLink(LinkKind::Cable);
    EXPECT_FALSE(sender->IsStreamingOff(LinkKind::Cable));
    EXPECT_TRUE(sender->Submit(CurrentFrame()));
    ASSERT_TRUE(sender->WaitIdle(5s));
    EXPECT_EQ(keypad->LiveFramesReceived(), 3);
}

} // namespace
} // namespace vpc::lighting
