// Synchronised lighting: mode translation per device kind, step pacing, the five
// effects against hand-worked values, and the worker's start, idle and stop.
#include "LightingSync.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(SyncModeTest, EachKindTranslatesItsOwnModesBothWays) {
    struct Case {
        SyncDeviceKind kind;
        std::array<int, 5> modes;
    };
    const Case cases[] = {
        {SyncDeviceKind::Keyboard, {5, 6, 23, 4, 28}},
        {SyncDeviceKind::Mouse, {2, 3, 4, 1, 10}},
        {SyncDeviceKind::MousePad, {2, 3, 4, 1, 8}},
        {SyncDeviceKind::Headset, {2, 3, 4, 1, 8}},
    };
    for (const Case& c : cases) {
        for (int effect = 0; effect < 5; ++effect) {
            EXPECT_EQ(SyncModeForEffect(c.kind, effect), c.modes[effect]);
            EXPECT_EQ(SyncEffectForMode(c.kind, c.modes[effect]), effect);
        }
    }
    EXPECT_FALSE(SyncEffectForMode(SyncDeviceKind::Keyboard, 1).has_value());
    EXPECT_FALSE(SyncEffectForMode(SyncDeviceKind::Mouse, 11).has_value());
    EXPECT_FALSE(SyncEffectForMode(SyncDeviceKind::MousePad, 10).has_value());
}

TEST(SyncEffectTest, StepsComeEveryIntervalOfTicks) {
    const std::pair<int, int> cases[] = {{0, 28}, {1, 23}, {2, 18}, {3, 13},
                                         {4, 7},  {5, 1},  {14, 1}, {200, 1}};
    for (const auto& [speed, interval] : cases) {
        CSyncLightingEffect effect;
        effect.SetRecord({1, 4, static_cast<std::uint8_t>(speed), 1, 0, 10, 20, 30});
        int firstStep = 0;
        for (int tick = 1; tick <= 40 && firstStep == 0; ++tick) {
            firstStep = effect.Tick(0) ? tick : 0;
        }
        EXPECT_EQ(firstStep, interval) << "speed " << speed;
    }
}

TEST(SyncEffectTest, StaticOffAndColourCycleAtEachBrightness) {
    const std::pair<int, int> levels[] = {{0, 0}, {1, 65}, {2, 130}, {3, 195}, {4, 255}, {9, 255}};
    for (const auto& [index, value] : levels) {
        CSyncLightingEffect effect;
        effect.SetRecord({1, static_cast<std::uint8_t>(index), 0, 1, 0, 10, 20, 30});
        EXPECT_EQ(effect.Step(0), (SyncColor{10, 20, 30, static_cast<std::uint8_t>(value)}));
    }
    CSyncLightingEffect off;
    off.SetRecord({4, 4, 0, 1, 1, 10, 20, 30});
    EXPECT_EQ(off.Step(0), SyncColor{});

    // Colour cycle: the wheel position moves by one per step from 0; wheel entry 1 is
    // (255, U[1] = 3, 0) and entry 32 is (D[0] = 248, 255, 0).
    CSyncLightingEffect cycle;
    cycle.SetRecord({3, 2, 0, 1, 0, 0, 0, 0});
    EXPECT_EQ(cycle.Step(0), (SyncColor{255, 3, 0, 130}));
    for (int i = 2; i < 32; ++i) {
        cycle.Step(0);
    }
    EXPECT_EQ(cycle.Step(0), (SyncColor{248, 255, 0, 130}));
}

TEST(SyncEffectTest, BreathingFollowsTheCurveAndMovesTheColourTwicePerCycle) {
    CSyncLightingEffect effect;
    effect.SetRecord({0, 4, 0, 1, 1, 0, 0, 0});
    // Phase 1: curve value 1, 255 * 1 / 256 = 0; the wheel moved to 16: (255, U[16] = 81, 0).
    EXPECT_EQ(effect.Step(0), (SyncColor{255, 81, 0, 0}));
    for (int i = 2; i < 64; ++i) {
        effect.Step(0);
    }
    // Phase 63: curve 255, 255 * 255 / 256 = 254.
    EXPECT_EQ(effect.Step(0).brightness, 254);
    for (int i = 64; i < 128; ++i) {
        effect.Step(0);
    }
    EXPECT_EQ(effect.BreathPhase(), 0);
    EXPECT_EQ(effect.BreathWheel(), 32) << "16 at phase 1 and 16 at phase 0";
    effect.Step(0);
    EXPECT_EQ(effect.BreathWheel(), 48);

    CSyncLightingEffect down;
    down.SetRecord({0, 2, 0, 0, 0, 9, 8, 7});
    // Direction 0 wraps from 0 to 127: curve entry 127 equals entry 0 (0).
    EXPECT_EQ(down.Step(0), (SyncColor{9, 8, 7, 0}));
    EXPECT_EQ(down.BreathPhase(), 127);
    EXPECT_EQ(down.Step(0).brightness, 130 * 1 / 256);
}

TEST(SyncEffectTest, FlashingTogglesAfterItsPeriodAndStepsTheWheelBy14) {
    CSyncLightingEffect effect;
    effect.SetRecord({2, 4, 4, 1, 1, 0, 0, 0}); // speed 4: 7 * 200 ms
    const SyncColor on = effect.Step(1400);
    EXPECT_EQ(on, (SyncColor{255, 65, 0, 255})) << "wheel entry 14 is (255, U[14], 0)";
    EXPECT_EQ(effect.Step(2799), on) << "not yet 1400 ms since the toggle";
    EXPECT_EQ(effect.Step(2800), SyncColor{});
    EXPECT_EQ(effect.Step(4200).brightness, 255);
}

TEST(LightingSyncThreadTest, DrivesTargetsOnTheTickAndStopsPromptlyWhileIdle) {
    std::atomic<int> applied{0};
    std::atomic<bool> targets{true};
    CLightingSyncThread thread(
        {[&] { return targets.load(); }, [&](const SyncColor&) { ++applied; }});
    thread.SetRecord({1, 4, 7, 1, 0, 1, 2, 3}); // a step on every tick
    thread.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (applied < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(applied.load(), 3);

    targets = false; // the worker now sleeps a second per pass
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto before = std::chrono::steady_clock::now();
    thread.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(900))
        << "the exit event ends the idle sleep";
    EXPECT_FALSE(thread.IsRunning());
}

} // namespace
