// The light thread: one engine pass per 64 Hz tick, also when it wakes once per few
// ticks; asleep while the channel is disabled, synchronised lighting drives the device
// or nobody uses the colours; and a prompt stop on its exit event however long it waits.
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

// The ticks the thread ran passes for, as its observer saw them.
class SeenTicks {
public:
    LightThread::PassObserver Observer() {
        return [this](std::uint64_t tick) {
            const std::lock_guard guard(lock_);
            ticks_.push_back(tick);
        };
    }
    std::vector<std::uint64_t> Ticks() const {
        const std::lock_guard guard(lock_);
        return ticks_;
    }

private:
    mutable std::mutex lock_;
    std::vector<std::uint64_t> ticks_;
};

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
    SeenTicks seen;
    thread.SetPassObserver(seen.Observer());
    thread.Start();
    for (int i = 0; i < 5; ++i) {
        Tick();
    }
    EXPECT_EQ(thread.PassCount(), 5u);
    EXPECT_EQ(engine->State().stepsRun, 5u);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{255, 14, 0, 255})) << "W[5] after five steps";
    thread.Stop();
    EXPECT_EQ(seen.Ticks(), (std::vector<std::uint64_t>{1, 2, 3, 4, 5}));
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

// Waking once per three ticks runs the same passes, in the same order, as waking for
// every tick: the effect keeps its speed and its colours.
TEST(LightThreadBatches, ThreeTicksPerWakeRunEveryTick) {
    ManualTickSource ticks;
    auto engine = MakeEngine(Settings(4, false, 1, 4, {}, 4));
    LightThread thread(*engine, ticks, 3);
    SeenTicks seen;
    thread.SetPassObserver(seen.Observer());
    thread.Start();
    ticks.Advance(1);
    ASSERT_TRUE(Eventually([&] { return thread.PassCount() == 1; }));
    ticks.Advance(2); // ticks 2 and 3: not yet a wake
    ticks.Advance(1); // tick 4 runs 2, 3 and 4
    ASSERT_TRUE(Eventually([&] { return thread.PassCount() == 4; }));
    ticks.Advance(20); // late: only the last wake's worth, 22 to 24
    ASSERT_TRUE(Eventually([&] { return thread.PassCount() == 7; }));
    thread.Stop();
    EXPECT_EQ(thread.WakeCount(), 3u);
    EXPECT_EQ(seen.Ticks(), (std::vector<std::uint64_t>{1, 2, 3, 4, 22, 23, 24}));
    auto stepped = MakeEngine(Settings(4, false, 1, 4, {}, 4));
    for (const std::uint64_t tick : {1, 2, 3, 4, 22, 23, 24}) {
        stepped->RunPass(tick);
    }
    for (int led = 0; led < 21; ++led) {
        EXPECT_EQ(engine->GetLedColor(led), stepped->GetLedColor(led)) << "LED " << led;
    }
}

TEST_F(LightThreadTest, StopsPromptlyWhileWaitingForATick) {
    thread.Start();
    // No tick will ever come: only the exit event can end the wait.
    auto stopped = std::async(std::launch::async, [&] { thread.Stop(); });
    ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.PassCount(), 0u);
}

// A disabled channel, synchronised lighting and nobody looking at the colours each
// put the thread to sleep without waking for ticks; reopening the gate wakes it and
// the effect goes on from the next tick. Stopping ends the idle wait too.
TEST(LightThreadIdle, ClosedGateSleepsUntilReopened) {
    const std::vector<std::pair<const char*, void (*)(LightThread&, bool)>> gates = {
        {"channel", [](LightThread& t, bool open) { t.SetChannelEnabled(open); }},
        {"synchronised", [](LightThread& t, bool open) { t.SetSynchronised(!open); }},
        {"output", [](LightThread& t, bool open) { t.SetOutputWanted(open); }},
    };
    for (const auto& [name, setGate] : gates) {
        SCOPED_TRACE(name);
        ManualTickSource ticks;
        auto engine = MakeEngine(Settings(4, false, 1, 4, {}, 4));
        LightThread thread(*engine, ticks);
        setGate(thread, false);
        EXPECT_FALSE(thread.IsActive());
        thread.Start();
        ticks.Advance(5);
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(thread.WakeCount(), 0u);
        EXPECT_EQ(thread.PassCount(), 0u);
        EXPECT_EQ(engine->State().stepsRun, 0u);

        setGate(thread, true);
        ASSERT_TRUE(Eventually([&] { return thread.WakeCount() == 1; }));
        ticks.Advance(1);
        ASSERT_TRUE(Eventually([&] { return thread.PassCount() == 1; }));
        EXPECT_EQ(engine->State().stepsRun, 1u);

        setGate(thread, false);
        ticks.Advance(1); // the tick the thread waited for: it wakes, runs nothing, idles
        ASSERT_TRUE(Eventually([&] { return thread.WakeCount() == 3; }));
        auto stopped = std::async(std::launch::async, [&] { thread.Stop(); });
        ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(thread.PassCount(), 1u);
    }
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

// A still picture (static colour, speed 0: one step per five ticks) is painted once, then
// the thread rests however many ticks pass, until an input may change the picture.
TEST(LightThreadStillTest, AStillModePaintsOnceAndRestsUntilAnInput) {
    ManualTickSource ticks;
    auto engine = MakeEngine(Settings(6, false, 1, 4, {201, 37, 118}, 0));
    LightThread thread(*engine, ticks);
    thread.Start();
    for (int i = 0; i < 5; ++i) {
        const std::uint64_t before = thread.PassCount();
        ticks.Advance(1);
        ASSERT_TRUE(Eventually([&] { return thread.PassCount() > before; }));
    }
    EXPECT_EQ(engine->State().stepsRun, 1u);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{201, 37, 118, 255}));
    ASSERT_TRUE(Eventually([&] { return thread.IsResting(); }));
    const std::uint64_t wakes = thread.WakeCount();
    for (int i = 0; i < 200; ++i) {
        ticks.Advance(1);
    }
    EXPECT_TRUE(thread.IsResting());
    EXPECT_EQ(thread.PassCount(), 5u);
    EXPECT_EQ(thread.WakeCount(), wakes);

    // a new colour: the thread goes on from the next tick and paints it at the fifth pass
    engine->SetLightState(Settings(6, false, 1, 4, {12, 164, 77}, 0));
    ASSERT_TRUE(Eventually([&] { return !thread.IsResting(); }));
    for (int i = 0; i < 5; ++i) {
        const std::uint64_t before = thread.PassCount();
        ticks.Advance(1);
        ASSERT_TRUE(Eventually([&] { return thread.PassCount() > before; }));
    }
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{12, 164, 77, 255}));
    EXPECT_TRUE(Eventually([&] { return thread.IsResting(); }));
    EXPECT_EQ(thread.PassCount(), 10u);
    thread.Stop();
}

// An animated mode changes its colours once per step interval (spectrum, speed 0: five
// ticks) and the frame version moves only with them; moving overlays keep a still mode
// awake.
TEST(LightThreadStillTest, FramesChangeOncePerStepIntervalAndStillnessNeedsStillOverlays) {
    auto engine = MakeEngine(Settings(4, false, 1, 4, {}, 0));
    std::vector<std::uint64_t> versions;
    for (std::uint64_t tick = 1; tick <= 10; ++tick) {
        engine->RunPass(tick);
        versions.push_back(engine->FrameVersion());
        EXPECT_FALSE(engine->IsStill());
    }
    EXPECT_EQ(versions, (std::vector<std::uint64_t>{0, 0, 0, 0, 1, 1, 1, 1, 1, 2}));

    struct Case {
        const char* what;
        std::uint8_t kind;
        bool present;
        bool still;
    };
    const std::vector<Case> cases = {
        {"static overlay", 1, true, true},     {"off overlay", 4, true, true},
        {"breathing overlay", 0, true, false}, {"breathing, not present", 0, false, true},
        {"flash overlay", 2, false, false},    {"colour cycle overlay", 3, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LightListEntry overlay;
        overlay.kind = c.kind;
        overlay.present = c.present;
        overlay.color = {90, 14, 230};
        overlay.brightness = 3;
        const LightListEntry overlays[] = {overlay};
        engine->ApplyLightSettings(Settings(17, false, 1, 4, {}, 4), {}, overlays, {});
        EXPECT_FALSE(engine->IsStill()) << "nothing painted since the input";
        engine->RunPass(100);
        EXPECT_EQ(engine->IsStill(), c.still);
    }
    // no mode step: still only without a light sequence to play
    engine->ApplyLightSettings(Settings(0, false, 1, 4, {}, 0), {}, {}, {});
    engine->RunPass(200);
    EXPECT_TRUE(engine->IsStill());
    EffectFrame frame;
    frame.kind = 1;
    frame.timeMs = 500;
    const EffectFrame sequence[] = {frame};
    engine->ApplyLightSettings(Settings(0, false, 1, 4, {}, 0), {}, {}, sequence);
    engine->RunPass(201);
    EXPECT_FALSE(engine->IsStill());
}

} // namespace
} // namespace vpc::lighting
