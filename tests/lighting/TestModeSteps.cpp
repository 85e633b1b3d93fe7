// Mode steps of the keyboard lighting engine against colours worked out by hand from
// the effect formulas (wheel W, curves B, C, Q, levels 0/65/130/195/255).
#include "LightingTestSupport.h"

#include <string>

namespace vpc::lighting {
namespace {

struct StepCase {
    std::string name;
    LightSettings settings;
    int steps;
    int key;
    LedColor expected;
};

class ModeStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(ModeStepTest, GivesTheHandWorkedColour) {
    const StepCase& c = GetParam();
    auto engine = MakeEngine(c.settings);
    RunSteps(*engine, c.settings.mode, c.steps);
    EXPECT_EQ(engine->GetLedColor(c.key), c.expected) << c.name;
}

constexpr Rgb kBlueish{10, 20, 30};

// Each case: after `steps` steps from a fresh seed, light `key` holds `expected`.
const StepCase kStepCases[] = {
    // Mode 1, multi-colour: s = 1, column x gets W[(s + 1 + 7x) mod 192].
    {"ColumnWaveMultiCol0", Settings(1, true, 1, 4), 1, 0, {255, 5, 0, 255}},
    {"ColumnWaveMultiCol1", Settings(1, true, 1, 4), 1, 38, {255, 32, 0, 255}},
    {"ColumnWaveMultiCol5", Settings(1, true, 1, 4), 1, 116, {182, 255, 0, 255}},
    {"ColumnWaveMultiThreeSteps", Settings(1, true, 1, 4), 3, 59, {255, 99, 0, 255}},
    // Backward from 0: s = 191, column 0 gets W[0], column 3 W[21].
    {"ColumnWaveBackwardCol0", Settings(1, true, 0, 4), 1, 110, {255, 1, 0, 255}},
    {"ColumnWaveBackwardCol3", Settings(1, true, 0, 4), 1, 76, {255, 129, 0, 255}},
    // One colour: Lv 130 x C[(s + 1 + 2x) mod 96]: C[2] = 27 -> 13, C[12] = 61 -> 30.
    {"ColumnWaveSingleCol0", Settings(1, false, 1, 2, kBlueish), 1, 34, {10, 20, 30, 13}},
    {"ColumnWaveSingleCol5", Settings(1, false, 1, 2, kBlueish), 1, 118, {10, 20, 30, 30}},
    // Mode 2: multi W[(s + 2x)]: column 4 -> W[9]; single Lv x Q[(s + 5x) mod 96].
    {"ColumnWaveFineMulti", Settings(2, true, 1, 4), 1, 97, {255, 32, 0, 255}},
    {"ColumnWaveFineSingleCol0", Settings(2, false, 1, 4, kBlueish), 1, 0, {10, 20, 30, 3}},
    {"ColumnWaveFineSingleCol3", Settings(2, false, 1, 4, kBlueish), 1, 76, {10, 20, 30, 157}},
    // Mode 3: the n-th key of the key order (gap skipped): key 38 is n = 3, key 61 n = 19.
    {"KeyOrderWaveMultiN3", Settings(3, true, 1, 4), 1, 38, {255, 81, 0, 255}},
    {"KeyOrderWaveMultiN19", Settings(3, true, 1, 4), 1, 61, {0, 248, 255, 255}},
    {"KeyOrderWaveSingleN2", Settings(3, false, 1, 4, {200, 100, 50}), 1, 0, {200, 100, 50, 56}},
    // Mode 4: every light W[s] at Lv.
    {"SpectrumForward", Settings(4, false, 1, 3), 1, 0, {255, 3, 0, 195}},
    {"SpectrumEveryLight", Settings(4, false, 1, 3), 1, 169, {255, 3, 0, 195}},
    {"SpectrumBackward", Settings(4, false, 0, 3), 1, 60, {255, 0, 0, 195}},
    // Mode 5: s = 40, B[40] = 114 -> 113; column x colour W[15 + 30x].
    {"BreathColumnsCol5", Settings(5, true, 1, 4), 40, 116, {255, 0, 182, 113}},
    {"BreathColumnsCol0", Settings(5, true, 1, 4), 40, 0, {255, 73, 0, 113}},
    // 130 steps: s wraps at 128 and ends at 2, B[2] = 2 -> 1.
    {"BreathColumnsWraps", Settings(5, false, 1, 4, {3, 4, 5}), 130, 60, {3, 4, 5, 1}},
    // Mode 6: band row r gets W[15 + 50r].
    {"StaticBandsRow0", Settings(6, true, 1, 4), 1, 60, {255, 73, 0, 255}},
    {"StaticBandsRow1", Settings(6, true, 1, 4), 1, 77, {0, 255, 3, 255}},
    {"StaticBandsRow2", Settings(6, true, 1, 4), 1, 0, {0, 47, 255, 255}},
    {"StaticBandsRow3", Settings(6, true, 1, 4), 1, 118, {255, 0, 182, 255}},
    {"StaticBandsSingle", Settings(6, false, 1, 1, {9, 8, 7}), 1, 100, {9, 8, 7, 65}},
    // Mode 11: P[k] = 33(k + 1) mod 192, plus one: key 0 -> W[34], key 118 -> W[88].
    {"RainbowAllKey0", Settings(11, false, 1, 4), 1, 0, {220, 255, 0, 255}},
    {"RainbowAllKey118", Settings(11, false, 1, 4), 1, 118, {0, 255, 164, 255}},
    // Mode 12: row r gets W[(s + 1 + 24r)].
    {"RowRainbowRow0", Settings(12, false, 1, 4), 1, 38, {255, 5, 0, 255}},
    {"RowRainbowRow1", Settings(12, false, 1, 4), 1, 60, {255, 188, 0, 255}},
    {"RowRainbowRow3", Settings(12, false, 1, 4), 1, 34, {0, 255, 38, 255}},
    // Mode 15: I = start phase (24x + 40r) + 2, colour W[7x] at Lv x Q[I].
    {"PulseKey0", Settings(15, true, 1, 4), 1, 0, {255, 1, 0, 139}},
    {"PulseKey38", Settings(15, true, 1, 4), 1, 38, {255, 22, 0, 240}},
    // Mode 17: W[16], W[66], W[132] or W[0] by the preset byte.
    {"PresetColorDefault", Settings(17, false, 1, 4), 1, 169, {255, 1, 0, 255}},
    // Mode 18: band row r gets W[(s + 7(r + 1))].
    {"BandRainbowRow0", Settings(18, false, 1, 4), 1, 60, {255, 26, 0, 255}},
    {"BandRainbowRow3", Settings(18, false, 1, 4), 1, 118, {255, 227, 0, 255}},
    // Mode 22: H from the phase layout plus one; colour W[7x] at Lv x Q[H].
    {"TwinkleKey34", Settings(22, true, 1, 4), 1, 34, {255, 1, 0, 84}},
    {"TwinkleKey117", Settings(22, true, 1, 4), 1, 117, {206, 255, 0, 108}},
    {"TwinkleKey118", Settings(22, true, 1, 4), 1, 118, {206, 255, 0, 129}},
    // Mode 24: s = 1 lights the diagonal of keys 38 and 0 (I 255 - 5, P 0 + 3).
    {"SweepSingleLit", Settings(24, false, 1, 4, kBlueish), 1, 38, {10, 20, 30, 249}},
    {"SweepSingleDark", Settings(24, false, 1, 4, kBlueish), 1, 60, {10, 20, 30, 0}},
    {"SweepMulti", Settings(24, true, 1, 4), 1, 0, {255, 7, 0, 255}},
    // Mode 26: s = 64, B[64] = 255 -> 254; after 192 steps the second basic colour.
    {"BreathBasicFirst", Settings(26, false, 1, 4), 64, 60, {0, 255, 180, 254}},
    {"BreathBasicSecond", Settings(26, false, 1, 4), 192, 60, {0, 255, 0, 254}},
    // Mode 28: every light off.
    {"LightsOff", Settings(28, true, 1, 4), 1, 60, {0, 0, 0, 0}},
    // Mode 29: the trail lights path position s with I = 254, then FadeLed -40.
    {"TrailFirst", Settings(29, false, 1, 4, {50, 60, 70}), 1, 0, {50, 60, 70, 213}},
    {"TrailFades", Settings(29, false, 1, 4, {50, 60, 70}), 2, 0, {50, 60, 70, 173}},
    {"TrailReachesKey34", Settings(29, false, 1, 4, {50, 60, 70}), 28, 34, {50, 60, 70, 213}},
    {"TrailBackward", Settings(29, false, 0, 4, {50, 60, 70}), 68, 110, {50, 60, 70, 213}},
};

INSTANTIATE_TEST_SUITE_P(HandWorked, ModeStepTest, ::testing::ValuesIn(kStepCases),
                         [](const auto& info) { return info.param.name; });

TEST(ModeSteps, PresetColorFollowsThePresetByte) {
    struct Case {
        int preset;
        LedColor expected;
    };
    const Case cases[] = {{1, {255, 81, 0, 130}},
                          {2, {0, 255, 5, 130}},
                          {3, {10, 0, 255, 130}},
                          {7, {255, 1, 0, 130}}};
    for (const auto& c : cases) {
        LightSettings settings = Settings(17, false, 1, 2);
        settings.zzccLedMode = static_cast<std::uint8_t>(c.preset);
        auto engine = MakeEngine(settings);
        engine->RunStep(17);
        EXPECT_EQ(engine->GetLedColor(59), c.expected) << c.preset;
    }
}

TEST(ModeSteps, CustomColorsKeepTheirColourAndTakeTheLevel) {
    KeyboardLightEngine engine(KeypadLayout(), std::make_unique<SeededRandom>(1));
    std::array<LedColor, kLightCount> custom{};
    custom[5] = {1, 2, 3, 99};
    custom[60] = {200, 100, 0, 10};
    engine.SetCustomColors(custom);
    engine.ApplyLightSettings(Settings(19, false, 1, 1), {}, {}, {});
    EXPECT_EQ(engine.GetLedColor(5), (LedColor{1, 2, 3, 99}));
    engine.RunStep(19);
    EXPECT_EQ(engine.GetLedColor(5), (LedColor{1, 2, 3, 65}));
    EXPECT_EQ(engine.GetLedColor(60), (LedColor{200, 100, 0, 65}));
}

TEST(ModeSteps, ScreenColorTakesTheLowBytes) {
    auto engine = MakeEngine(Settings(31, false, 1, 2));
    const std::uint32_t words[] = {0xFFFFFF10u, 0x20u, 0xAB30u, 1u, 2u, 3u, 4u};
    engine->SetScreenColors(words);
    engine->RunStep(31);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{0x10, 0x20, 0x30, 130}));
    EXPECT_EQ(engine->GetLedColor(169), (LedColor{0x10, 0x20, 0x30, 130}));
}

// Flash steps run on engine time: at speed 4 the period is 1400 ms, i.e. the first
// toggle comes at tick 90 (1406.25 ms) and the next at tick 180 (2812.5 ms).
TEST(ModeSteps, FlashColorCycleTogglesOnEngineTime) {
    auto engine = MakeEngine(Settings(23, true, 1, 4, {}, 4));
    struct Case {
        std::uint64_t tick;
        LedColor expected;
    };
    const Case cases[] = {{89, {0, 0, 0, 0}},
                          {90, {255, 81, 0, 255}},
                          {179, {255, 81, 0, 255}},
                          {180, {0, 0, 0, 0}},
                          {270, {69, 255, 0, 255}}};
    std::uint64_t tick = 0;
    for (const auto& c : cases) {
        while (tick < c.tick) {
            engine->RunPass(++tick);
        }
        EXPECT_EQ(engine->GetLedColor(60), c.expected) << "tick " << c.tick;
    }
}

TEST(ModeSteps, FlashBasicColorsStepThroughTheFour) {
    auto engine = MakeEngine(Settings(27, false, 1, 3, {}, 4));
    for (std::uint64_t tick = 1; tick <= 90; ++tick) {
        engine->RunPass(tick);
    }
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{0, 255, 0, 195}));
    for (std::uint64_t tick = 91; tick <= 270; ++tick) {
        engine->RunPass(tick);
    }
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{255, 0, 0, 195}));
}

// Taking the settings of mode 24 clears the per-key phases and colour indexes that the
// twinkle left, so the sweep starts at the wheel's first colour.
TEST(ModeSteps, SweepSettingsClearThePerKeyPhases) {
    auto engine = MakeEngine(Settings(22, true, 1, 4));
    ASSERT_NE(engine->State().phase[34], 0);
    ASSERT_NE(engine->State().colorIndexes[117], 0);
    engine->ApplyLightSettings(Settings(24, true, 1, 4), {}, {}, {});
    const auto state = engine->State();
    EXPECT_EQ(state.phase, decltype(state.phase){});
    EXPECT_EQ(state.colorIndexes, decltype(state.colorIndexes){});
    EXPECT_EQ(state.step, 0);
}

struct IntervalCase {
    int lightingMode;
    int speed;
    int passes;
    std::uint64_t steps;
};

TEST(ModeSteps, PassesRunTheStepAtTheTableInterval) {
    const IntervalCase cases[] = {
        {4, 0, 20, 4},   // every 5th pass
        {4, 4, 20, 20},  // every pass
        {10, 0, 40, 2},  // every 20th
        {16, 4, 9, 3},   // every 3rd
        {21, 3, 10, 5},  // music ignores the speed: every 2nd
        {31, 0, 10, 5},  // screen colour at speed 0: every 2nd
        {31, 2, 10, 10}, // and at speeds 1-4 every pass
        {0, 4, 10, 0},   // no step: the light sequence plays
        {20, 4, 10, 0},
    };
    for (const auto& c : cases) {
        auto engine = MakeEngine(Settings(c.lightingMode, false, 1, 4, {}, c.speed));
        for (int pass = 1; pass <= c.passes; ++pass) {
            engine->RunPass(static_cast<std::uint64_t>(pass));
        }
        EXPECT_EQ(engine->State().stepsRun, c.steps) << "mode " << c.lightingMode;
    }
}

} // namespace
} // namespace vpc::lighting
