// Reactive and ripple modes (key hold, ripples, sparkle, edge and corner ripples, key
// spread, script) against intensities worked out by hand from the step rules: a lit
// key starts at 255 and loses 40 per step while at 128 or more (FadeLed), and is shown
// at Lv x I / 256.
#include "LightingTestSupport.h"

#include <string>

namespace vpc::lighting {
namespace {

constexpr Rgb kAmber{200, 120, 10};

struct KeyEvent {
    int key;
    int action;
};

struct ReactiveCase {
    std::string name;
    LightSettings settings;
    std::vector<std::uint32_t> random; // scripted random values, in the order asked for
    std::vector<KeyEvent> events;      // sent before the first step
    int steps;
    int key;
    LedColor expected;

    friend void PrintTo(const ReactiveCase& c, std::ostream* out) { *out << c.name; }
};

class ReactiveModeTest : public ::testing::TestWithParam<ReactiveCase> {};

TEST_P(ReactiveModeTest, GivesTheHandWorkedColour) {
    const ReactiveCase& c = GetParam();
    auto engine = MakeEngine(c.settings, std::make_unique<ScriptedRandom>(c.random));
    for (const KeyEvent& event : c.events) {
        engine->OnKeyEvent(event.key, event.action);
    }
    RunSteps(*engine, c.settings.mode, c.steps);
    EXPECT_EQ(engine->GetLedColor(c.key), c.expected) << c.name;
}

// Keypad cells used below: key 60 sits at column 2, row 1; its neighbours are 38 (1,0),
// 39 (1,1), 40 (1,2), 59 (2,0), 61 (2,2), 76 (3,0), 77 (3,1), 78 (3,2); 0 is (0,1),
// 98 is (4,1), 119 is (2,3), 34 is (0,3), 116 is (5,0), 117 (5,2) and 118 (5,3).
const ReactiveCase kReactiveCases[] = {
    // Mode 7: a held key stays at 255 (254 shown); a released one loses 5 per step.
    {"KeyHoldHeld", Settings(7, false, 1, 4, kAmber), {}, {{60, 1}}, 3, 60, {200, 120, 10, 254}},
    {"KeyHoldReleased",
     Settings(7, false, 1, 4, kAmber),
     {},
     {{60, 1}, {60, 2}},
     3,
     60,
     {200, 120, 10, 239}},
    {"KeyHoldOtherKeyDark",
     Settings(7, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     3,
     59,
     {200, 120, 10, 0}},
    // With M the pressed key takes a random wheel index: 17 -> W[17] = (255, 89, 0).
    {"KeyHoldRandomColour", Settings(7, true, 1, 3), {17}, {{60, 1}}, 1, 60, {255, 89, 0, 194}},
    // Mode 8: stamp, then advance; after one step only the pressed key (255 - 40).
    {"RippleRainbowFirst",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     1,
     60,
     {200, 120, 10, 214}},
    // The second step stamps the four diagonal and side cells around it.
    {"RippleRainbowLeft",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     2,
     39,
     {200, 120, 10, 214}},
    {"RippleRainbowUp",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     2,
     59,
     {200, 120, 10, 214}},
    {"RippleRainbowDown",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     2,
     61,
     {200, 120, 10, 214}},
    {"RippleRainbowRight",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     2,
     77,
     {200, 120, 10, 214}},
    {"RippleRainbowCentreFades",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     2,
     60,
     {200, 120, 10, 174}},
    {"RippleRainbowCornerNotYet",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     2,
     38,
     {200, 120, 10, 0}},
    // The colour index moves by 7 per step: key 0 starts at 33, after 2 steps W[47].
    {"RippleRainbowIndexMoves", Settings(8, true, 1, 4), {}, {}, 2, 0, {77, 255, 0, 0}},
    // A release does not start a ripple.
    {"RippleReleaseIgnored",
     Settings(8, false, 1, 4, kAmber),
     {},
     {{60, 2}},
     1,
     60,
     {200, 120, 10, 0}},
    // Mode 9: fronts only move sideways, one column per step.
    {"RippleLeftOne", Settings(9, false, 1, 4, kAmber), {}, {{60, 1}}, 2, 39, {200, 120, 10, 214}},
    {"RippleRightOne", Settings(9, false, 1, 4, kAmber), {}, {{60, 1}}, 2, 77, {200, 120, 10, 214}},
    {"RippleNoDiagonal", Settings(9, false, 1, 4, kAmber), {}, {{60, 1}}, 2, 59, {200, 120, 10, 0}},
    {"RippleLeftTwo", Settings(9, false, 1, 4, kAmber), {}, {{60, 1}}, 3, 0, {200, 120, 10, 214}},
    {"RippleRightTwo", Settings(9, false, 1, 4, kAmber), {}, {{60, 1}}, 3, 98, {200, 120, 10, 214}},
    {"RippleOneColumnBack",
     Settings(9, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     3,
     39,
     {200, 120, 10, 174}},
    {"RippleCentreTwice",
     Settings(9, false, 1, 4, kAmber),
     {},
     {{60, 1}},
     3,
     60,
     {200, 120, 10, 134}},
    // Mode 10: six picks (key-order slot, wheel index): (0, 5) key 34, (3, 9) the gap,
    // (15, 100) key 60, (0, 50) key 34 again, (20, 1) key 61, (4, 2) key 38.
    {"SparkleRepick",
     Settings(10, true, 1, 4),
     {0, 5, 3, 9, 15, 100, 0, 50, 20, 1, 4, 2},
     {},
     1,
     34,
     {53, 255, 0, 214}},
    {"SparkleKey60",
     Settings(10, true, 1, 4),
     {0, 5, 3, 9, 15, 100, 0, 50, 20, 1, 4, 2},
     {},
     1,
     60,
     {0, 194, 255, 214}},
    {"SparkleKey38",
     Settings(10, true, 1, 4),
     {0, 5, 3, 9, 15, 100, 0, 50, 20, 1, 4, 2},
     {},
     1,
     38,
     {255, 5, 0, 214}},
    // Key 0 was not picked: seeded index 33 -> W[33], intensity 0.
    {"SparkleUnpicked",
     Settings(10, true, 1, 4),
     {0, 5, 3, 9, 15, 100, 0, 50, 20, 1, 4, 2},
     {},
     1,
     0,
     {234, 255, 0, 0}},
    // Mode 13: the ripple from column 9, row 6 advances every second step and reaches
    // Enter (5, 3) after seven advances, stamped at step 16; Num Lock's neighbour 117
    // (5, 2) follows two steps later.
    {"EdgeRippleArrives", Settings(13, false, 1, 4, kAmber), {}, {}, 16, 118, {200, 120, 10, 214}},
    {"EdgeRippleNotBefore", Settings(13, false, 1, 4, kAmber), {}, {}, 15, 118, {200, 120, 10, 0}},
    {"EdgeRippleNext", Settings(13, false, 1, 4, kAmber), {}, {}, 18, 117, {200, 120, 10, 214}},
    {"EdgeRippleFades", Settings(13, false, 1, 4, kAmber), {}, {}, 18, 118, {200, 120, 10, 134}},
    // Mode 16: seeded at column 1, row 0 (key 38); the next step reaches 39 and 59.
    {"CornerRippleSeed", Settings(16, false, 1, 4, kAmber), {}, {}, 1, 38, {200, 120, 10, 214}},
    {"CornerRippleSeedFades",
     Settings(16, false, 1, 4, kAmber),
     {},
     {},
     2,
     38,
     {200, 120, 10, 174}},
    {"CornerRippleDown", Settings(16, false, 1, 4, kAmber), {}, {}, 2, 39, {200, 120, 10, 214}},
    {"CornerRippleRight", Settings(16, false, 1, 4, kAmber), {}, {}, 2, 59, {200, 120, 10, 214}},
    {"CornerRippleFar", Settings(16, false, 1, 4, kAmber), {}, {}, 2, 118, {200, 120, 10, 0}},
    // Mode 25: a press lights the key (held at 255) and its neighbours at 160, which fall
    // by 5 per step in the pressed key's colour (W[42] = (124, 255, 0)).
    {"SpreadPressed", Settings(25, true, 1, 4), {42}, {{60, 1}}, 1, 60, {124, 255, 0, 254}},
    {"SpreadDiagonal", Settings(25, true, 1, 4), {42}, {{60, 1}}, 1, 38, {124, 255, 0, 154}},
    {"SpreadTwoBelow", Settings(25, true, 1, 4), {42}, {{60, 1}}, 1, 119, {124, 255, 0, 154}},
    {"SpreadTwoLeft", Settings(25, true, 1, 4), {42}, {{60, 1}}, 1, 0, {124, 255, 0, 154}},
    {"SpreadTwoRight", Settings(25, true, 1, 4), {42}, {{60, 1}}, 1, 98, {124, 255, 0, 154}},
    // Key 34 (0, 3) is neither next to key 60 nor two straight cells away.
    {"SpreadFarKey", Settings(25, false, 1, 4, kAmber), {42}, {{60, 1}}, 1, 34, {200, 120, 10, 0}},
    {"SpreadReleased",
     Settings(25, false, 1, 4, kAmber),
     {42},
     {{60, 1}, {60, 2}},
     2,
     60,
     {200, 120, 10, 244}},
    // Mode 14: the first script step lights the keys of matrix column 0 (0, 110, 34).
    {"ScriptFirstRow", Settings(14, false, 1, 4, kAmber), {}, {}, 1, 110, {200, 120, 10, 214}},
    {"ScriptFirstRowOnly", Settings(14, false, 1, 4, kAmber), {}, {}, 1, 38, {200, 120, 10, 0}},
    {"ScriptSecondRow", Settings(14, false, 1, 4, kAmber), {}, {}, 2, 41, {200, 120, 10, 214}},
};

INSTANTIATE_TEST_SUITE_P(HandWorked, ReactiveModeTest, ::testing::ValuesIn(kReactiveCases),
                         [](const auto& info) { return info.param.name; });

// Other modes take no key events: the colours after a step are the same with or
// without them.
TEST(ReactiveModes, ModesWithoutAReactionIgnoreKeyEvents) {
    for (const int lightingMode : {1, 4, 10, 11, 21, 29}) {
        auto quiet =
            MakeEngine(Settings(lightingMode, true, 1, 4), std::make_unique<SeededRandom>(5));
        auto pressed =
            MakeEngine(Settings(lightingMode, true, 1, 4), std::make_unique<SeededRandom>(5));
        pressed->OnKeyEvent(60, 1);
        pressed->OnKeyEvent(38, 2);
        RunSteps(*quiet, lightingMode, 3);
        RunSteps(*pressed, lightingMode, 3);
        EXPECT_EQ(quiet->Colors(), pressed->Colors()) << "mode " << lightingMode;
    }
}

// The script runs its phases and starts again: over many steps the keys of its first
// row are lit again and again.
TEST(ReactiveModes, ScriptStartsAgainAfterItsRipple) {
    auto engine = MakeEngine(Settings(14, false, 1, 4, kAmber));
    int firstRowRelit = 0;
    std::uint8_t previous = 0;
    for (int step = 0; step < 2000; ++step) {
        engine->RunStep(14);
        const std::uint8_t now = engine->GetLedColor(110).brightness;
        if (now == 214 && previous != 214) {
            ++firstRowRelit;
        }
        previous = now;
    }
    EXPECT_GE(firstRowRelit, 3);
}

} // namespace
} // namespace vpc::lighting
