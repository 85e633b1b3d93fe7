// The light thread: one engine pass per 64 Hz tick, nothing while the channel is
// disabled or synchronised lighting drives the device, and a prompt stop on its exit
// event however long the wait for the next tick would be.
#include "LightingTestSupport.h"

#include "lighting/LightThread.h"
#include "lighting/TickSource.h"

#include <chrono>
#include <future>
#include <thread>

namespace vpc::lighting {
namespace {

using namespace std::chrono_literals;

// Polls until `done` holds; false after five seconds (a hung thread fails, not hangs).
template <typename Done> bool Eventually(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class LightThreadTest : public ::testing::Test {
protected:
    // Spectrum at speed 4: one effect step per pass.
    LightThreadTest()
        : engine(MakeEngine(Settings(4, false, 1, 4, {}, 4))), thread(*engine, ticks) {}

    // Advances one tick and waits until the thread has handled it.
    void Tick() {
        const std::uint64_t before = thread.WakeCount();
        ticks.Advance(1);
        ASSERT_TRUE(Eventually([&] { return thread.WakeCount() > before; }));
    }

    ManualTickSource ticks;
    std::unique_ptr<KeyboardLightEngine> engine;
    LightThread thread;
};

TEST_F(LightThreadTest, OnePassPerTick) {
    std::vector<std::uint64_t> seen;
    std::mutex seenLock;
    thread.SetPassObserver([&](std::uint64_t tick) {
        const std::lock_guard guard(seenLock);
        seen.push_back(tick);
    });
    thread.Start();
    for (int i = 0; i < 5; ++i) {
        Tick();
    }
    EXPECT_EQ(thread.PassCount(), 5u);
    EXPECT_EQ(engine->State().stepsRun, 5u);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{255, 14, 0, 255})) << "W[5] after five steps";
    thread.Stop();
    const std::lock_guard guard(seenLock);
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{1, 2, 3, 4, 5}));
}

// A late wake-up runs one pass for the tick it finds, not one per missed tick.
TEST_F(LightThreadTest, MissedTicksDoNotCauseABurst) {
    thread.Start();
    Tick();
    const std::uint64_t before = thread.WakeCount();
    ticks.Advance(10);
    ASSERT_TRUE(Eventually([&] { return thread.WakeCount() > before; }));
    Tick();
    EXPECT_EQ(thread.PassCount(), 3u);
}

TEST_F(LightThreadTest, StopsPromptlyWhileWaitingForATick) {
    thread.Start();
    // No tick will ever come: only the exit event can end the wait.
    auto stopped = std::async(std::launch::async, [&] { thread.Stop(); });
    ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.PassCount(), 0u);
}

TEST_F(LightThreadTest, DisabledChannelIdlesWithoutEffectWork) {
    thread.SetChannelEnabled(false);
    thread.Start();
    Tick(); // tick 1: disabled, next look at tick 7
    ticks.Advance(5);
    Tick(); // tick 7
    EXPECT_EQ(thread.WakeCount(), 2u);
    EXPECT_EQ(thread.PassCount(), 0u);
    EXPECT_EQ(engine->State().stepsRun, 0u);
    thread.SetChannelEnabled(true);
    ticks.Advance(5);
    Tick(); // tick 13
    EXPECT_EQ(thread.PassCount(), 1u);
}

TEST_F(LightThreadTest, SynchronisedLightingSkipsThePasses) {
    thread.SetSynchronised(true);
    thread.Start();
    Tick();
    Tick();
    EXPECT_EQ(thread.PassCount(), 0u);
    EXPECT_EQ(engine->State().stepsRun, 0u);
    thread.SetSynchronised(false);
    Tick();
    EXPECT_EQ(thread.PassCount(), 1u);
}

TEST_F(LightThreadTest, StartStopsTheRunningThreadFirst) {
    thread.Start();
    Tick();
    thread.Start();
    Tick();
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(thread.PassCount(), 2u);
    thread.Stop();
    thread.Stop(); // stopping twice is harmless
    EXPECT_FALSE(thread.IsRunning());
}

TEST(SteadyTicks, SixtyFourTicksPerSecond) {
    EXPECT_EQ(SteadyTickSource::kTick * 64, std::chrono::microseconds(1s));
    EXPECT_EQ(TickToMs(64), 1000u);
    EXPECT_EQ(TickToMs(1), 15u);
    EXPECT_EQ(TickToMs(90), 1406u);
}

// The steady source never wakes before a tick has begun, and its thread runs at most
// one pass per tick that has passed.
TEST(SteadyTicks, ThreadNeverRunsAheadOfTheClock) {
    SteadyTickSource ticks;
    StopSignal stop;
    ASSERT_TRUE(ticks.WaitForTick(3, stop));
    EXPECT_GE(ticks.Now(), 3u);

    auto engine = MakeEngine(Settings(4, false, 1, 4, {}, 4));
    LightThread thread(*engine, ticks);
    const std::uint64_t start = ticks.Now();
    thread.Start();
    std::this_thread::sleep_for(200ms);
    thread.Stop();
    const std::uint64_t elapsed = ticks.Now() - start;
    EXPECT_GT(thread.PassCount(), 0u);
    EXPECT_LE(thread.PassCount(), elapsed + 1);
}

TEST(SteadyTicks, SignalledStopEndsTheWait) {
    SteadyTickSource ticks;
    StopSignal stop;
    stop.Signal();
    EXPECT_FALSE(ticks.WaitForTick(1'000'000, stop)); // about 4.3 hours away
}

} // namespace
} // namespace vpc::lighting
