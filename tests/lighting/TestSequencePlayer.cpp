// The light sequence of the modes without an effect of their own: frame kinds worked
// out by hand, frame durations on the 64 Hz tick (tick n starts at n x 15.625 ms) and
// the empty sequence.
#include "LightingTestSupport.h"

#include "lighting/LightTables.h"

#include <string>

namespace vpc::lighting {
namespace {

EffectFrame Frame(FrameKind kind, int level, int speed, Rgb color = {9, 8, 7}, int timeMs = 100000,
                  bool multi = false, int direction = 0) {
    EffectFrame frame;
    frame.kind = static_cast<std::uint8_t>(kind);
    frame.brightness = static_cast<std::uint8_t>(level);
    frame.speed = static_cast<std::uint8_t>(speed);
    frame.color = color;
    frame.timeMs = timeMs;
    frame.multiColor = multi;
    frame.direction = static_cast<std::uint8_t>(direction);
    return frame;
}

std::unique_ptr<KeyboardLightEngine> SequenceEngine(std::vector<EffectFrame> frames,
                                                    int stateSpeed = 4, int lightingMode = 0) {
    auto engine =
        std::make_unique<KeyboardLightEngine>(KeypadLayout(), std::make_unique<SeededRandom>(9));
    engine->ApplyLightSettings(Settings(lightingMode, false, 1, 4, {}, stateSpeed), {}, {}, frames);
    return engine;
}

void RunPasses(KeyboardLightEngine& engine, std::uint64_t from, std::uint64_t to) {
    for (std::uint64_t tick = from; tick <= to; ++tick) {
        engine.RunPass(tick);
    }
}

struct SequenceCase {
    std::string name;
    EffectFrame frame;
    int passes;
    int light;
    LedColor expected;

    friend void PrintTo(const SequenceCase& c, std::ostream* out) { *out << c.name; }
};

class SequenceFrameTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(SequenceFrameTest, GivesTheHandWorkedColour) {
    const SequenceCase& c = GetParam();
    auto engine = SequenceEngine({c.frame});
    RunPasses(*engine, 1, static_cast<std::uint64_t>(c.passes));
    EXPECT_EQ(engine->GetLedColor(c.light), c.expected) << c.name;
}

const SequenceCase kSequenceCases[] = {
    // A frame steps every period[speed] passes (7 at speed 4, 28 at speed 0).
    {"StaticBeforeItsStep", Frame(FrameKind::Static, 3, 4), 6, 0, {0, 0, 0, 0}},
    {"StaticAtItsStep", Frame(FrameKind::Static, 3, 4), 7, 0, {9, 8, 7, 195}},
    {"StaticEveryLight", Frame(FrameKind::Static, 3, 4), 7, 169, {9, 8, 7, 195}},
    {"StaticSlow", Frame(FrameKind::Static, 1, 0), 27, 0, {0, 0, 0, 0}},
    {"StaticSlowStep", Frame(FrameKind::Static, 1, 0), 28, 0, {9, 8, 7, 65}},
    {"StaticLevelClamped", Frame(FrameKind::Static, 9, 9), 7, 3, {9, 8, 7, 255}},
    // Breathing: one curve step per frame step: 10 steps -> B[10] = 10.
    {"Breathing", Frame(FrameKind::Breathing, 4, 4), 70, 12, {9, 8, 7, 9}},
    // Wheel colour: steps at the mode-1 interval (1 pass at speed 4, 5 at speed 0).
    {"WheelFast", Frame(FrameKind::WheelColor, 4, 4), 3, 0, {255, 7, 0, 255}},
    {"WheelSlow", Frame(FrameKind::WheelColor, 2, 0), 10, 0, {255, 5, 0, 130}},
    // Spectrum wave, first step (c = 0): start 1; light j gets W[(1 + 12j) mod 192].
    {"WaveLight0", Frame(FrameKind::SpectrumWave, 4, 4, {}, 100000, true), 7, 0, {255, 3, 0, 255}},
    {"WaveLight5", Frame(FrameKind::SpectrumWave, 4, 4, {}, 100000, true), 7, 5, {4, 255, 0, 255}},
    {"WaveLight16",
     Frame(FrameKind::SpectrumWave, 4, 4, {}, 100000, true),
     7,
     16,
     {255, 3, 0, 255}},
    // Second step: start 2.
    {"WaveSecondStep",
     Frame(FrameKind::SpectrumWave, 4, 4, {}, 100000, true),
     14,
     0,
     {255, 5, 0, 255}},
    // Direction set: start 191 for c = 0; light 1 -> W[11].
    {"WaveBackward0",
     Frame(FrameKind::SpectrumWave, 4, 4, {}, 100000, true, 1),
     7,
     0,
     {255, 0, 0, 255}},
    {"WaveBackward1",
     Frame(FrameKind::SpectrumWave, 4, 4, {}, 100000, true, 1),
     7,
     1,
     {255, 44, 0, 255}},
    // One colour: light j at Lv x C[(start + 12(j + 1)) mod 96]: C[13] = 65, C[1] = 24.
    {"WaveSingle0", Frame(FrameKind::SpectrumWave, 4, 4), 7, 0, {9, 8, 7, 64}},
    {"WaveSingle7", Frame(FrameKind::SpectrumWave, 4, 4), 7, 7, {9, 8, 7, 23}},
};

INSTANTIATE_TEST_SUITE_P(HandWorked, SequenceFrameTest, ::testing::ValuesIn(kSequenceCases),
                         [](const auto& info) { return info.param.name; });

// Two frames of 100 ms: the first becomes current at tick 1 (15 ms) and is left at the
// first pass more than 100 ms later, tick 8 (125 ms); the second at tick 15 (234 ms).
TEST(SequencePlayer, FramesLastTheirDuration) {
    auto engine = SequenceEngine({Frame(FrameKind::Static, 4, 4, {255, 0, 0}, 100),
                                  Frame(FrameKind::Static, 4, 4, {0, 0, 255}, 100)});
    RunPasses(*engine, 1, 7);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{255, 0, 0, 255}));
    EXPECT_EQ(engine->State().sequencePosition, 0u);
    RunPasses(*engine, 8, 8);
    EXPECT_EQ(engine->State().sequencePosition, 1u);
    RunPasses(*engine, 9, 13);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{255, 0, 0, 255}));
    RunPasses(*engine, 14, 14);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{0, 0, 255, 255}));
    RunPasses(*engine, 15, 15);
    EXPECT_EQ(engine->State().sequencePosition, 0u);
}

// Flash frames toggle on the lighting state's speed (1400 ms at 4, 5600 ms at 0); the
// check runs when the frame steps, every 7th pass here: tick 84 is 1312 ms, tick 91
// 1421 ms.
TEST(SequencePlayer, FlashUsesTheStateSpeed) {
    auto fast = SequenceEngine({Frame(FrameKind::Flash, 4, 4)}, 4);
    auto slow = SequenceEngine({Frame(FrameKind::Flash, 4, 4)}, 0);
    RunPasses(*fast, 1, 84);
    RunPasses(*slow, 1, 84);
    EXPECT_EQ(fast->GetLedColor(0), (LedColor{0, 0, 0, 0}));
    RunPasses(*fast, 85, 91);
    RunPasses(*slow, 85, 91);
    EXPECT_EQ(fast->GetLedColor(0), (LedColor{9, 8, 7, 255}));
    EXPECT_EQ(slow->GetLedColor(0), (LedColor{0, 0, 0, 0}));
}

TEST(SequencePlayer, EmptySequenceKeepsEveryLightOff) {
    for (const int lightingMode : {0, 20, 30, 32, 255}) {
        auto engine = SequenceEngine({}, 4, lightingMode);
        engine->SetLedColor(5, {1, 2, 3, 4});
        engine->RunPass(1);
        EXPECT_EQ(engine->GetLedColor(5), (LedColor{0, 0, 0, 0})) << "mode " << lightingMode;
    }
}

TEST(SequencePlayer, ModesWithAStepDoNotPlayIt) {
    auto engine = SequenceEngine({Frame(FrameKind::Static, 4, 4, {255, 0, 0})}, 4, 19);
    engine->SetLedColor(5, {1, 2, 3, 4});
    RunPasses(*engine, 1, 7);
    EXPECT_EQ(engine->GetLedColor(5), (LedColor{1, 2, 3, 255})) << "custom colours, level 4";
}

TEST(SequencePlayer, NewSequenceStartsAtItsFirstFrame) {
    auto engine = SequenceEngine({Frame(FrameKind::Static, 4, 4, {255, 0, 0}, 10),
                                  Frame(FrameKind::Static, 4, 4, {0, 0, 255}, 10)});
    RunPasses(*engine, 1, 2); // tick 2 (31 ms) is past the first frame's 10 ms
    EXPECT_EQ(engine->State().sequencePosition, 1u);
    engine->ApplyLightSettings(Settings(0, false, 1, 4, {}, 4), {}, {},
                               std::vector<EffectFrame>{Frame(FrameKind::Static, 4, 4)});
    EXPECT_EQ(engine->State().sequencePosition, 0u);
}

} // namespace
} // namespace vpc::lighting
