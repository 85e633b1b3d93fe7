// Constant tables, the cyclic step, step intervals and the music height rule.
#include "LightingTestSupport.h"

#include "lighting/LightTables.h"

namespace vpc::lighting {
namespace {

TEST(LightTables, WheelSegmentsFollowTheRamps) {
    const auto& wheel = ColorWheel();
    EXPECT_EQ(wheel[0], (Rgb{255, 1, 0}));
    EXPECT_EQ(wheel[31], (Rgb{255, 255, 0}));
    EXPECT_EQ(wheel[32], (Rgb{248, 255, 0}));
    EXPECT_EQ(wheel[66], (Rgb{0, 255, 5}));
    EXPECT_EQ(wheel[96], (Rgb{0, 248, 255}));
    EXPECT_EQ(wheel[132], (Rgb{10, 0, 255}));
    EXPECT_EQ(wheel[191], (Rgb{255, 0, 0}));
}

TEST(LightTables, CurvesHaveTheirShapes) {
    const auto& breath = BreathCurve();
    EXPECT_EQ(breath[0], 0);
    EXPECT_EQ(breath[63], 255);
    EXPECT_EQ(breath[64], 255);
    EXPECT_EQ(breath[127], 0);
    EXPECT_EQ(breath[70], breath[57]);
    const auto& shortCurve = ShortCurve();
    EXPECT_EQ(shortCurve[0], 22);
    EXPECT_EQ(shortCurve[47], 255);
    EXPECT_EQ(shortCurve[48], 255);
    EXPECT_EQ(shortCurve[95], 22);
    const auto& pulse = PulseCurve();
    EXPECT_EQ(pulse[24], 255);
    EXPECT_EQ(pulse[86], 2);
    EXPECT_EQ(pulse[87], 1);
    EXPECT_EQ(pulse[88], 0);
    EXPECT_EQ(pulse[191], 0);
}

TEST(LightTables, LevelsAndPeriodsAreClamped) {
    EXPECT_EQ(LevelValue(0), 0);
    EXPECT_EQ(LevelValue(2), 130);
    EXPECT_EQ(LevelValue(4), 255);
    EXPECT_EQ(LevelValue(9), 255);
    EXPECT_EQ(LevelValue(-3), 0);
    EXPECT_EQ(PeriodOf(0), 28);
    EXPECT_EQ(PeriodOf(4), 7);
    EXPECT_EQ(PeriodOf(200), 7);
    EXPECT_EQ(PeriodMs(4), 1400u);
}

struct IntervalCase {
    int lightingMode;
    int speed;
    int interval;
};

TEST(LightTables, StepIntervalsFollowTheTable) {
    const IntervalCase cases[] = {
        {1, 0, 5},   {9, 4, 1},  {10, 0, 20}, {10, 4, 2}, {16, 0, 7}, {16, 4, 3},
        {21, 0, 2},  {21, 3, 2}, {25, 2, 8},  {26, 1, 4}, {27, 3, 2}, {28, 0, 20},
        {29, 1, 12}, {31, 0, 2}, {31, 1, 0},  {31, 4, 0}, {24, 9, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StepInterval(c.lightingMode, c.speed), c.interval)
            << "mode " << c.lightingMode << " speed " << c.speed;
    }
    for (const int withoutStep : {0, 20, 30, 32, 255}) {
        EXPECT_FALSE(HasModeStep(withoutStep)) << withoutStep;
    }
    for (const int withStep : {1, 19, 21, 29, 31}) {
        EXPECT_TRUE(HasModeStep(withStep)) << withStep;
    }
}

struct CyclicCase {
    bool forward;
    int limit;
    int x;
    int d;
    int expected;
};

TEST(LightTables, CyclicStepWrapsBothWays) {
    const CyclicCase cases[] = {
        {false, 192, 0, 1, 191}, {true, 192, 191, 1, 0}, {true, 192, 10, 1, 11},
        {false, 96, 5, 1, 4},    {true, 96, 95, 1, 0},   {false, 192, 3, 7, 185},
        {true, 192, 188, 7, 0},  {true, 192, 50, 0, 50}, {false, 192, 250, 0, 0},
        {true, 52, 51, 1, 0},    {false, 52, 0, 1, 51},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CyclicStep(c.forward, c.limit, c.x, c.d), c.expected)
            << c.forward << " " << c.limit << " " << c.x << " " << c.d;
    }
}

struct HeightCase {
    std::int32_t level;
    bool capAt500;
    std::int64_t height;
};

TEST(LightTables, MusicLevelToHeight) {
    const HeightCase cases[] = {
        {0, true, 600},
        {2000, true, 0},
        {2000, false, 0},
        {2400, true, 500},
        {2400, false, -120},
        {1000, false, 300},
        {2003, true, 0},
        {2004, true, 500},
        {-50, true, 600},
        {1, true, 600},
        {4, false, 599},
        {INT32_MAX, false, 600 - static_cast<std::int64_t>(INT32_MAX) * 600 / 2000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MusicHeight(c.level, c.capAt500), c.height) << c.level << " " << c.capAt500;
    }
}

} // namespace
} // namespace vpc::lighting
