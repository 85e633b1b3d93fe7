// The mouse's lighting effects over its 15 LEDs in 7 groups.
#include "MouseLightEngine.h"

#include "lighting/LightTables.h"

#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using devices::CDeviceLightState;
using devices::DeviceLightRecord;
using devices::mouse::MouseLightEngine;
using lighting::LedColor;

DeviceLightRecord Record(std::uint8_t mode, std::uint8_t brightness, std::uint8_t speed,
                         std::uint8_t direction, std::uint8_t multi) {
    DeviceLightRecord r;
    r.mode = mode;
    r.brightness = brightness;
    r.speed = speed;
    r.direction = direction;
    r.multiColor = multi;
    r.red = 0xC8;
    r.green = 0x32;
    r.blue = 0x0A;
    return r;
}

class MouseEngineTest : public ::testing::Test {
protected:
    void SetUp() override { state.SetLedCapacity(15); }
    CDeviceLightState state;
    MouseLightEngine engine{state};
};

TEST_F(MouseEngineTest, TheRingLightsGroupsZeroToSixInTurnThenSixteenStepsNoneIsLitAgain) {
    engine.SetRecord(Record(9, 3, 2, 1, 0));
    // level 195 for brightness 3; a group lit this step has faded once from 255 to 215
    for (int step = 1; step <= 7; ++step) {
        SCOPED_TRACE(step);
        engine.RunStep();
        const int lit = step - 1;
        EXPECT_EQ(state.Intensity(lit), 215);
        for (int g = 0; g < 7; ++g) {
            if (g != lit) {
                EXPECT_LT(state.Intensity(g), 215) << "group " << g;
            }
        }
    }
    // the group's LEDs (group 6: LEDs 6, 14 and 7) in the record colour at 195 x 215 / 256
    for (int led : {6, 14, 7})
        EXPECT_EQ(state.GetLedColor(led), (LedColor{0xC8, 0x32, 0x0A, 163})) << led;
    for (int step = 8; step <= 23; ++step) {
        std::array<std::uint8_t, 7> before{};
        for (int g = 0; g < 7; ++g)
            before[static_cast<std::size_t>(g)] = state.Intensity(g);
        engine.RunStep();
        for (int g = 0; g < 7; ++g)
            EXPECT_LE(state.Intensity(g), before[static_cast<std::size_t>(g)])
                << "step " << step << " group " << g;
    }
    engine.RunStep();
    EXPECT_EQ(state.Intensity(0), 215) << "the ring comes round to group 0 again";
}

TEST_F(MouseEngineTest, TheWaveGivesEachGroupItsOwnPlaceOnTheWheelOrCurve) {
    const auto& wheel = lighting::ColorWheel();
    engine.SetRecord(Record(0, 4, 2, 1, 1));
    engine.RunStep(); // s = 1: group g at wheel entry 2 + 7g
    for (const auto& [led, entry] : {std::pair{0, 2}, {13, 2}, {3, 23}, {6, 44}, {7, 44}}) {
        const lighting::Rgb c = wheel[static_cast<std::size_t>(entry)];
        EXPECT_EQ(state.GetLedColor(led), (LedColor{c.red, c.green, c.blue, 255})) << led;
    }
    const auto& curve = lighting::ShortCurve();
    engine.SetRecord(Record(0, 2, 2, 0, 0));
    engine.RunStep(); // backward from 1: s = 0, group g at curve entry 1 + 7g
    for (const auto& [led, entry] : {std::pair{1, 8}, {12, 8}, {5, 36}, {14, 43}}) {
        const auto brightness =
            static_cast<std::uint8_t>(130 * curve[static_cast<std::size_t>(entry)] / 256);
        EXPECT_EQ(state.GetLedColor(led), (LedColor{0xC8, 0x32, 0x0A, brightness})) << led;
    }
}

TEST_F(MouseEngineTest, HeldLedsFlashToFullAndFadeByFifteenOnlyInModeSix) {
    engine.SetRecord(Record(3, 4, 2, 0, 0));
    engine.HoldAllLeds();
    EXPECT_EQ(engine.HoldState(0), 0) << "not in mode 3";
    engine.SetRecord(Record(6, 4, 2, 0, 0));
    engine.HoldAllLeds();
    EXPECT_EQ(engine.HoldState(14), 1);
    engine.RunStep();
    EXPECT_EQ(engine.HoldState(14), 2);
    EXPECT_EQ(state.GetLedColor(14), (LedColor{0xC8, 0x32, 0x0A, 254}));
    engine.RunStep();
    EXPECT_EQ(state.Intensity(0), 240);
    EXPECT_EQ(state.GetLedColor(0), (LedColor{0xC8, 0x32, 0x0A, 239}));
    EXPECT_FALSE(engine.IsStill());
    for (int step = 0; step < 16; ++step)
        engine.RunStep();
    EXPECT_EQ(state.Intensity(9), 0);
    EXPECT_TRUE(engine.IsStill()) << "every LED faded out";
}

TEST_F(MouseEngineTest, PassesRunTheStepAtTheSpeedsInterval) {
    engine.SetRecord(Record(3, 4, 4, 0, 0)); // static colour, speed 4: every 7th pass
    for (std::uint64_t tick = 1; tick <= 6; ++tick)
        engine.RunPass(tick);
    EXPECT_EQ(state.GetLedColor(4), LedColor{});
    EXPECT_FALSE(engine.IsStill());
    engine.RunPass(7);
    EXPECT_EQ(state.GetLedColor(4), (LedColor{0xC8, 0x32, 0x0A, 255}));
    EXPECT_EQ(engine.FrameVersion(), 1u);
    EXPECT_TRUE(engine.IsStill());
    const std::uint64_t inputs = engine.InputCount();
    engine.SetRecord(Record(3, 1, 4, 0, 0));
    EXPECT_GT(engine.InputCount(), inputs);
    EXPECT_FALSE(engine.IsStill()) << "a new record is painted before the colours stand still";
}

} // namespace
} // namespace vpc::test
