// Music lighting (mode 21): the level-to-height rule, the bar shapes of the variants
// for the keypad and the beat detector that starts a ripple when its total reaches 71.
#include "LightingTestSupport.h"

#include "lighting/LightTables.h"

#include <string>

namespace vpc::lighting {
namespace {

constexpr Rgb kForeground{10, 20, 30};
constexpr Rgb kBackground{1, 2, 3};
// Shown colours at level 4: a bar key at 255 x 255 / 256, a background key at 255.
constexpr LedColor kBar{10, 20, 30, 254};
constexpr LedColor kBack{1, 2, 3, 255};

AudioLightSettings Audio(int variant, bool sevenColor = false) {
    AudioLightSettings audio;
    audio.audioMode = static_cast<std::uint8_t>(variant);
    audio.foreground = kForeground;
    audio.background = kBackground;
    audio.sevenColor = sevenColor;
    return audio;
}

std::unique_ptr<KeyboardLightEngine> MusicEngine(int variant, bool sevenColor = false) {
    return MakeEngine(Settings(21, false, 1, 4), nullptr, KeypadLayout(),
                      Audio(variant, sevenColor));
}

using Levels = std::array<std::int32_t, kAudioBands>;

Levels BandsAt(std::initializer_list<int> bands, std::int32_t level) {
    Levels levels{};
    for (const int band : bands) {
        levels[static_cast<std::size_t>(band)] = level;
    }
    return levels;
}

Levels AllBands(std::int32_t level) {
    Levels levels{};
    levels.fill(level);
    return levels;
}

struct MusicCase {
    std::string name;
    int variant;
    bool sevenColor;
    std::vector<Levels> frames; // one SetAudioLevels before each step
    int key;
    LedColor expected;

    friend void PrintTo(const MusicCase& c, std::ostream* out) { *out << c.name; }
};

class MusicVariantTest : public ::testing::TestWithParam<MusicCase> {};

TEST_P(MusicVariantTest, GivesTheHandWorkedColour) {
    const MusicCase& c = GetParam();
    auto engine = MusicEngine(c.variant, c.sevenColor);
    for (const Levels& levels : c.frames) {
        engine->SetAudioLevels(levels);
        engine->RunStep(21);
    }
    EXPECT_EQ(engine->GetLedColor(c.key), c.expected) << c.name;
}

// Keypad column 1 holds keys 38, 39, 40, 41 in rows 0 to 3; column 0 holds 0, 110, 34
// in rows 1 to 3. Row 0 holds 38, 59, 76, 97, 116 in columns 1 to 5.
const MusicCase kMusicCases[] = {
    // Variant 0: column x takes band x; rows floor((h + 100) * 6 / 600) to 5 are lit.
    // 2000 -> h 0 -> rows 1-5.
    {"ColumnsFullTop", 0, false, {BandsAt({1}, 2000)}, 38, kBack},
    {"ColumnsFullLit", 0, false, {BandsAt({1}, 2000)}, 39, kBar},
    // 1500 -> h 150 -> rows 2-5.
    {"ColumnsHalfDark", 0, false, {BandsAt({1}, 1500)}, 39, kBack},
    {"ColumnsHalfLit", 0, false, {BandsAt({1}, 1500)}, 40, kBar},
    // 1000 -> h 300 -> rows 4-5, which hold no keypad key.
    {"ColumnsLowNothing", 0, false, {BandsAt({1}, 1000)}, 41, kBack},
    // 2400 is not capped in this variant: h -120 -> from row 0.
    {"ColumnsOverloadUncapped", 0, false, {BandsAt({1}, 2400)}, 38, kBar},
    // Seven colours: s = 1, column x at W[s + 10x]: column 1 -> W[11] = (255, 44, 0).
    {"ColumnsSevenColour", 0, true, {BandsAt({1}, 2000)}, 41, {255, 44, 0, 254}},
    // A step without new levels sees silence: the key decays (255 - 45) and is not relit.
    {"ColumnsNextStepSilent", 0, false, {BandsAt({1}, 2000), Levels{}}, 39, {10, 20, 30, 209}},
    {"ColumnsRelit", 0, false, {BandsAt({1}, 2000), BandsAt({1}, 2000)}, 39, kBar},
    // Variant 4: column x takes band x + 1, and a column that fired stays latched while
    // its lowest key is still lit: the second loud step does not relight key 39.
    {"FallingTakesNextBand", 4, false, {BandsAt({2}, 2000)}, 39, kBar},
    {"FallingNotOwnBand", 4, false, {BandsAt({1}, 2000)}, 39, kBack},
    {"FallingOwnBandColumn0", 4, false, {BandsAt({1}, 2000)}, 110, kBar},
    {"FallingLatched", 4, false, {BandsAt({2}, 2000), BandsAt({2}, 2000)}, 39, {10, 20, 30, 209}},
    // Keys under a bright key do not decay.
    {"FallingHeldByKeyAbove", 4, false, {BandsAt({2}, 2000), BandsAt({2}, 2000)}, 40, kBar},
    // Variant 1: row 0 grows a bar from the left (band 0) and one from the right (band
    // 1), each up to half of the keypad's six columns: 2000 -> 3 columns.
    {"MirrorLeftLit", 1, false, {BandsAt({0}, 2000)}, 59, kBar},
    {"MirrorLeftShort", 1, false, {BandsAt({0}, 2000)}, 76, kBack},
    {"MirrorRightLit", 1, false, {BandsAt({1}, 2000)}, 76, kBar},
    {"MirrorRightShort", 1, false, {BandsAt({1}, 2000)}, 59, kBack},
    // Row 1 takes bands 3 and 4.
    {"MirrorRowOne", 1, false, {BandsAt({3}, 2000)}, 39, kBar},
    // Variant 3: k = floor(mean(h) * 20 / 600); band rows r < 20 - k are lit with
    // W[s + 9(r + 1)], s stepping by k. All bands at 1000: k = 10, s = 10, every row lit;
    // key 59 is in band row 1 -> W[28] = (255, 213, 0).
    {"LoudnessAllRows", 3, true, {AllBands(1000)}, 59, {255, 213, 0, 254}},
    // All at 200: h 540, k = 18, s = 18: rows 0 and 1 lit; key 60 (row 0) -> W[27].
    {"LoudnessQuietRow0", 3, true, {AllBands(200)}, 60, {255, 200, 0, 254}},
    {"LoudnessQuietRow3", 3, true, {AllBands(200)}, 116, kBack},
    {"LoudnessSilence", 3, false, {Levels{}}, 60, kBack},
    // Variant 5: row 0 takes group 5 (bands 17-23); 7 x 300 / 3 = 700 -> h 390 -> the
    // bar is 23 - floor((390 * 23 + 2300) / 600) = 5 columns long (columns 0-4).
    {"RowGroupsLit", 5, false, {BandsAt({17, 18, 19, 20, 21, 22, 23}, 300)}, 97, kBar},
    {"RowGroupsEnd", 5, false, {BandsAt({17, 18, 19, 20, 21, 22, 23}, 300)}, 116, kBack},
    // Seven colours: s = 1, column x at W[s + 3x]: column 4 -> W[13] = (255, 57, 0).
    {"RowGroupsSevenColour",
     5,
     true,
     {BandsAt({17, 18, 19, 20, 21, 22, 23}, 300)},
     97,
     {255, 57, 0, 254}},
    // Overload: 7 x 2000 / 3 gives a level past full scale, h is capped to 500 -> no bar.
    {"RowGroupsCapped", 5, false, {BandsAt({17, 18, 19, 20, 21, 22, 23}, 2000)}, 38, kBack},
    // Bands 16-20 at 420: group 5 of variant 6 is exactly these (2100 / 3 = 700 -> five
    // columns); variant 5 sees only four of them (1680 / 3 = 560 -> h 432 -> three).
    {"RowGroupsBFiveColumns", 6, false, {BandsAt({16, 17, 18, 19, 20}, 420)}, 97, kBar},
    {"RowGroupsThreeColumns", 5, false, {BandsAt({16, 17, 18, 19, 20}, 420)}, 59, kBar},
    {"RowGroupsThreeColumnsEnd", 5, false, {BandsAt({16, 17, 18, 19, 20}, 420)}, 76, kBack},
};

INSTANTIATE_TEST_SUITE_P(HandWorked, MusicVariantTest, ::testing::ValuesIn(kMusicCases),
                         [](const auto& info) { return info.param.name; });

// SetAudioLevels adds 25 - floor(mean(h) * 25 / 600) per call; at 71 the total resets
// and a ripple starts from the keypad's centre key.
TEST(MusicBeat, RippleStartsWhenTheTotalReaches71) {
    struct Case {
        std::int32_t level;
        int perCall;
        int callsToRipple;
    };
    const Case cases[] = {
        {2000, 25, 3}, // 25, 50, 75
        {1000, 13, 6}, // h 300: 13, ..., 65, 78
        {2400, 5, 15}, // capped to h 500: 5 per call, 70 after 14 calls, 75 after 15
    };
    for (const auto& c : cases) {
        auto engine = MusicEngine(2);
        for (int call = 1; call < c.callsToRipple; ++call) {
            engine->SetAudioLevels(AllBands(c.level));
        }
        EXPECT_EQ(engine->State().beatTotal, c.perCall * (c.callsToRipple - 1)) << c.level;
        engine->RunStep(21);
        EXPECT_EQ(engine->GetLedColor(60), kBack) << c.level << ": no ripple yet";

        engine->SetAudioLevels(AllBands(c.level));
        EXPECT_EQ(engine->State().beatTotal, 0) << c.level;
        engine->RunStep(21);
        EXPECT_EQ(engine->GetLedColor(60), kBar) << c.level << ": the ripple starts at key 60";
        EXPECT_EQ(engine->GetLedColor(59), kBack) << c.level << ": and has not spread yet";
        engine->RunStep(21);
        EXPECT_EQ(engine->GetLedColor(59), kBar) << c.level << ": one step later it has";
    }
}

TEST(MusicBeat, SilenceAddsNothing) {
    auto engine = MusicEngine(2);
    for (int call = 0; call < 100; ++call) {
        engine->SetAudioLevels(AllBands(0));
    }
    EXPECT_EQ(engine->State().beatTotal, 0);
}

TEST(MusicBeat, RunsOnlyInMusicModeWithVariant2) {
    struct Case {
        int lightingMode;
        int variant;
    };
    for (const Case c : {Case{21, 0}, Case{21, 3}, Case{4, 2}}) {
        auto engine = MakeEngine(Settings(c.lightingMode, false, 1, 4), nullptr, KeypadLayout(),
                                 Audio(c.variant));
        engine->SetAudioLevels(AllBands(2000));
        EXPECT_EQ(engine->State().beatTotal, 0) << c.lightingMode << "/" << c.variant;
    }
}

// The beat ripple colours its keys from their own wheel index, which moves by 9 per
// step: key 60 starts at 33 x 61 mod 192 = 93 and shows W[102] = (0, 170, 255).
TEST(MusicBeat, SevenColourRippleUsesTheKeyIndex) {
    auto engine = MusicEngine(2, true);
    for (int call = 0; call < 3; ++call) {
        engine->SetAudioLevels(AllBands(2000));
    }
    engine->RunStep(21);
    EXPECT_EQ(engine->GetLedColor(60), (LedColor{0, 170, 255, 254}));
}

TEST(MusicInput, ExtraBandsAreIgnoredAndMissingOnesAreSilent) {
    auto engine = MusicEngine(0);
    std::vector<std::int32_t> many(40, 2000);
    engine->SetAudioLevels(many);
    engine->RunStep(21);
    EXPECT_EQ(engine->GetLedColor(39), kBar);
    const std::int32_t two[] = {0, 2000};
    engine->SetAudioLevels(two); // band 1 only
    engine->RunStep(21);
    EXPECT_EQ(engine->GetLedColor(0), (LedColor{10, 20, 30, 209})) << "band 0 silent: decays";
    EXPECT_EQ(engine->GetLedColor(39), kBar);
}

} // namespace
} // namespace vpc::lighting
