// One bounds rule for every key and LED index: table entries at or above 170 are "none",
// the trail never reads past its path, ripple fronts use rows 0-5 only, and brightness
// and speed from a profile are held to 0..4.
#include "LightingTestSupport.h"

#include "lighting/LightTables.h"
#include "lighting/LiveFrame.h"

namespace vpc::lighting {
namespace {

// A layout whose every table is full of the two "none" values and of other indexes
// past the last light, around a few real keys.
KeyLayout HostileLayout() {
    KeyLayout layout;
    for (std::size_t i = 0; i < layout.matrix.size(); ++i) {
        layout.matrix[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 255 : 170 + i % 86);
    }
    layout.matrix[0] = 5;
    layout.matrix[7] = 6;
    layout.matrix[layout.matrix.size() - 1] = 169;
    layout.keyOrder = {255, 5, 170, 200, 6, 169, 254, 171};
    layout.trailPath.fill(255);
    layout.trailPath[0] = 5;
    layout.trailPath[169] = 169;
    for (auto& row : layout.bands) {
        row.fill(255);
    }
    layout.bands[0][0] = 6;
    for (auto& row : layout.sweep) {
        row.fill(254);
    }
    layout.phaseLayout.fill(171);
    for (auto& row : layout.scriptRows) {
        row.fill(255);
    }
    for (auto& row : layout.scriptPairs) {
        row.fill(170);
    }
    layout.scriptRippleKey = 250;
    layout.scriptEndKey = 170;
    layout.beatRippleKey = 255;
    layout.Finish();
    return layout;
}

// Every mode number, every kind of input and many steps over a layout full of "none"
// entries: nothing reads or writes outside the 170 lights (the library is built with
// checked container access, so a stray index fails the test), and lights no table
// names keep their colour.
TEST(Bounds, HostileTablesNeverReachPastTheLights) {
    const KeyLayout layout = HostileLayout();
    for (int lightingMode = 0; lightingMode <= 40; ++lightingMode) {
        for (const bool multi : {false, true}) {
            for (const int direction : {0, 1}) {
                KeyboardLightEngine engine(layout, std::make_unique<SeededRandom>(77));
                AudioLightSettings audio;
                for (int variant = 0; variant <= 7; ++variant) {
                    audio.audioMode = static_cast<std::uint8_t>(variant);
                    audio.sevenColor = multi;
                    engine.ApplyLightSettings(
                        Settings(lightingMode, multi, direction, 4, {1, 2, 3}, 4), audio, {}, {});
                    for (int step = 0; step < 400; ++step) {
                        if (step % 50 == 0) {
                            for (const int key : {-1, 5, 169, 170, 255, 256, 100000}) {
                                engine.OnKeyEvent(key, 1);
                                engine.OnKeyEvent(key, 2);
                            }
                            const std::int32_t levels[] = {2400, -7, INT32_MAX, INT32_MIN, 2000};
                            engine.SetAudioLevels(levels);
                        }
                        engine.RunStep(lightingMode);
                        engine.RunPass(static_cast<std::uint64_t>(step));
                    }
                    if (variant > 0 && lightingMode != mode::kMusic) {
                        break;
                    }
                }
            }
        }
    }
}

// Keyed effects over the hostile layout light only its real keys.
TEST(Bounds, OnlyRealKeysAreLit) {
    const KeyLayout layout = HostileLayout();
    for (const int lightingMode : {1, 3, 5, 6, 8, 11, 12, 15, 18, 22, 24, 29}) {
        KeyboardLightEngine engine(layout, std::make_unique<SeededRandom>(1));
        engine.ApplyLightSettings(Settings(lightingMode, true, 1, 4), {}, {}, {});
        for (int i = 0; i < static_cast<int>(kLightCount); ++i) {
            engine.SetLedColor(i, {11, 12, 13, 14});
        }
        engine.OnKeyEvent(5, 1);
        for (int step = 0; step < 30; ++step) {
            engine.RunStep(lightingMode);
        }
        const LedColorBuffer colors = engine.Colors();
        for (std::size_t i = 0; i < kLightCount; ++i) {
            if (i == 5 || i == 6 || i == 169) {
                continue;
            }
            EXPECT_EQ(colors[i], (LedColor{11, 12, 13, 14}))
                << "mode " << lightingMode << " light " << i;
        }
    }
}

// Backward from position 0 the trail goes to 170, one past its path: that position is
// not read, and the next step lights position 169.
TEST(Bounds, TrailNeverReadsPastItsPath) {
    const KeyLayout layout = HostileLayout();
    const LightSettings backward = Settings(29, false, 0, 4, {50, 60, 70});
    KeyboardLightEngine engine(layout, std::make_unique<SeededRandom>(1));
    engine.ApplyLightSettings(backward, {}, {}, {});
    engine.RunStep(29); // 0 -> 170
    EXPECT_EQ(engine.State().step, 170);
    engine.RunStep(29); // 170: nothing read, -> 169
    EXPECT_EQ(engine.State().step, 169);
    EXPECT_EQ(engine.GetLedColor(169).brightness, 0);
    engine.RunStep(29); // 169 lit (254, less 40), -> 168
    EXPECT_EQ(engine.GetLedColor(169), (LedColor{50, 60, 70, 213}));
    EXPECT_EQ(engine.State().step, 168);

    // Forward: position 169 is the last one lit, then the trail starts again at 0.
    KeyboardLightEngine forward(layout, std::make_unique<SeededRandom>(1));
    forward.ApplyLightSettings(Settings(29, false, 1, 4, {50, 60, 70}), {}, {}, {});
    for (int step = 0; step < 170; ++step) {
        forward.RunStep(29);
    }
    EXPECT_EQ(forward.State().step, 170);
    EXPECT_EQ(forward.GetLedColor(169), (LedColor{50, 60, 70, 213}));
    forward.RunStep(29);
    EXPECT_EQ(forward.State().step, 0);
    forward.RunStep(29);
    EXPECT_EQ(forward.GetLedColor(5), (LedColor{50, 60, 70, 213}));
}

// On a full matrix (key 6x + r at column x, row r) a front that leaves row 5 goes to bit
// 6 and 7 of its column byte. Those bits are no rows: they never stand for row 0 or 1
// of the next column.
TEST(Bounds, RippleFrontsUseRowsZeroToFiveOnly) {
    const KeyLayout& layout = FullMatrixLayout();
    KeyboardLightEngine engine(layout, std::make_unique<SeededRandom>(1));
    engine.ApplyLightSettings(Settings(8, false, 1, 4, {9, 8, 7}), {}, {}, {});
    engine.OnKeyEvent(17, 1); // column 2, row 5
    engine.RunStep(8);
    engine.RunStep(8);
    const auto state = engine.State();
    // After one advance the fronts hold (1, 5), (2, 4), (3, 5) and bit 6 of column 2.
    EXPECT_EQ(state.intensity[11], 215);
    EXPECT_EQ(state.intensity[16], 215);
    EXPECT_EQ(state.intensity[23], 215);
    EXPECT_EQ(state.intensity[18], 0) << "column 3, row 0 is not bit 6 of column 2";
    EXPECT_EQ(state.intensity[12], 0) << "column 2, row 0";
}

// The edge ripple of mode 13 starts at bit 6 of column 9, which is no row: on a full
// matrix the keys at row 0 of the next columns are not lit by it.
TEST(Bounds, EdgeRippleSeedIsNoKey) {
    const KeyLayout& layout = FullMatrixLayout();
    KeyboardLightEngine engine(layout, std::make_unique<SeededRandom>(1));
    engine.ApplyLightSettings(Settings(13, false, 1, 4, {9, 8, 7}), {}, {}, {});
    engine.RunStep(13);
    engine.RunStep(13); // fronts stamped once, still only at (9, 6)
    EXPECT_EQ(engine.State().intensity[60], 0);
    engine.RunStep(13);
    engine.RunStep(13); // second stamp: (9, 5) and bit 6 of columns 8 and 10, bit 7 of 9
    const auto state = engine.State();
    EXPECT_EQ(state.intensity[59], 215) << "column 9, row 5";
    EXPECT_EQ(state.intensity[54], 0) << "column 9, row 0 is not bit 6 of column 8";
    EXPECT_EQ(state.intensity[66], 0) << "column 11, row 0 is not bit 6 of column 10";
    EXPECT_EQ(state.intensity[61], 0) << "column 10, row 1 is not bit 7 of column 9";
    EXPECT_EQ(state.intensity[60], 0) << "column 10, row 0";
}

TEST(Bounds, BrightnessAndSpeedAreHeldToZeroToFour) {
    struct Case {
        int brightness;
        int speed;
        std::uint8_t level;  // shown level of a spectrum step
        std::uint64_t steps; // steps in 20 passes
    };
    const Case cases[] = {
        {0, 0, 0, 4}, {4, 4, 255, 20}, {5, 5, 255, 20}, {255, 255, 255, 20}, {2, 1, 130, 5}};
    for (const auto& c : cases) {
        LightSettings settings = Settings(4, false, 1, 0);
        settings.brightness = static_cast<std::uint8_t>(c.brightness);
        settings.speed = static_cast<std::uint8_t>(c.speed);
        auto engine = MakeEngine(settings);
        EXPECT_LE(engine->LightState().brightness, 4);
        EXPECT_LE(engine->LightState().speed, 4);
        for (std::uint64_t pass = 1; pass <= 20; ++pass) {
            engine->RunPass(pass);
        }
        EXPECT_EQ(engine->GetLedColor(0).brightness, c.level) << c.brightness;
        EXPECT_EQ(engine->State().stepsRun, c.steps) << c.speed;

        auto fromDevice = MakeEngine(Settings(28, false, 1, 0));
        fromDevice->SetLightState(settings);
        EXPECT_EQ(fromDevice->LightState().brightness, std::min(c.brightness, 4));
        EXPECT_EQ(fromDevice->LightState().speed, std::min(c.speed, 4));
    }
}

TEST(Bounds, LedIndexesOutsideTheListAreIgnored) {
    auto engine = MakeEngine(Settings(28, false, 1, 0));
    for (const int index : {-1, 170, 255, 1 << 20}) {
        engine->SetLedColor(index, {1, 2, 3, 4});
        EXPECT_EQ(engine->GetLedColor(index), LedColor{}) << index;
    }
    EXPECT_EQ(engine->Colors(), LedColorBuffer{});
}

// Frame bytes go to 3L..3L+2 for LED number L below 170 only; 170, 255 and the rest are
// no LED, and a map longer than the lights is cut at 170.
TEST(Bounds, LiveFrameWritesOnlyRealLeds) {
    LedColorBuffer colors{};
    colors.fill({200, 100, 50, 128});
    std::vector<std::uint8_t> ledMap(300, 255);
    ledMap[0] = 169;
    ledMap[1] = 170;
    ledMap[2] = 0;
    ledMap[3] = 200;
    ledMap[200] = 7; // light 200 does not exist
    const LightFrame frame = BuildLightFrame(colors, ledMap);
    LightFrame expected{};
    expected[507] = 100;
    expected[508] = 50;
    expected[509] = 25;
    expected[0] = 100;
    expected[1] = 50;
    expected[2] = 25;
    EXPECT_EQ(frame, expected);
    EXPECT_EQ(LiveFrameLength(21), 63u);
    EXPECT_EQ(LiveFrameLength(255), 510u);
    EXPECT_EQ(LiveFrameLength(-3), 0u);
}

} // namespace
} // namespace vpc::lighting
