// Per-key overlays: each kind's colour by hand from its rule (breathing curve B, wheel
// W, periods 28/23/18/13/7), the order in which the kinds are painted, and overlays
// over the engine's own effect.
#include "LightingTestSupport.h"

#include "lighting/OverlayPainter.h"

#include <string>

namespace vpc::lighting {
namespace {

constexpr Rgb kColor{100, 50, 25};

LightListEntry Entry(OverlayKind kind, int level, int speed, bool present = true,
                     bool multi = false, Rgb color = kColor) {
    LightListEntry entry;
    entry.kind = static_cast<std::uint8_t>(kind);
    entry.brightness = static_cast<std::uint8_t>(level);
    entry.speed = static_cast<std::uint8_t>(speed);
    entry.present = present;
    entry.multiColor = multi;
    entry.color = color;
    return entry;
}

struct OverlayCase {
    std::string name;
    LightListEntry entry;
    int passes;
    LedColor expected;

    friend void PrintTo(const OverlayCase& c, std::ostream* out) { *out << c.name; }
};

class OverlayKindTest : public ::testing::TestWithParam<OverlayCase> {};

// Light 0 carries the entry; the effect below it is a fixed (7, 8, 9, 6).
TEST_P(OverlayKindTest, GivesTheHandWorkedColour) {
    const OverlayCase& c = GetParam();
    OverlayPainter painter;
    const LightListEntry list[] = {c.entry};
    painter.SetList(list);
    LedColorBuffer colors{};
    for (int pass = 0; pass < c.passes; ++pass) {
        colors[0] = {7, 8, 9, 6};
        painter.Apply(colors, 0);
    }
    EXPECT_EQ(colors[0], c.expected) << c.name;
}

const OverlayCase kOverlayCases[] = {
    // Breathing: the step moves by speed + 4 per pass, brightness B[step] x Lv.
    {"BreathingFirst", Entry(OverlayKind::Breathing, 4, 0), 1, {100, 50, 25, 3}},    // B[4]
    {"BreathingTen", Entry(OverlayKind::Breathing, 4, 0), 10, {100, 50, 25, 113}},   // B[40]
    {"BreathingLevel2", Entry(OverlayKind::Breathing, 2, 0), 10, {100, 50, 25, 57}}, // 114 x 130
    {"BreathingWrapsToZero", Entry(OverlayKind::Breathing, 4, 0), 32, {100, 50, 25, 0}}, // 128 -> 0
    // Speed 3: steps 7, 14, ..., 126, then 133 restarts at 0 (not 5), then 7 -> B[7] = 7.
    {"BreathingRestartsAtZero", Entry(OverlayKind::Breathing, 4, 3), 20, {100, 50, 25, 6}},
    // Multi-colour: the wheel index moves by one at each restart: W[1] = (255, 3, 0).
    {"BreathingNextColour", Entry(OverlayKind::Breathing, 4, 4, true, true), 17, {255, 3, 0, 7}},
    // ... and stays at 191 (255, 0, 0) once it got there.
    {"BreathingHoldsLastColour",
     Entry(OverlayKind::Breathing, 4, 4, true, true),
     16 * 200 + 1,
     {255, 0, 0, 7}},
    // Out-of-range level and speed count as 4.
    {"BreathingClamped", Entry(OverlayKind::Breathing, 9, 200), 1, {100, 50, 25, 7}}, // B[8]
    {"BreathingNeedsPresent", Entry(OverlayKind::Breathing, 4, 0, false), 3, {7, 8, 9, 6}},
    // Static: the record's colour at its level, present or not.
    {"Static", Entry(OverlayKind::Static, 3, 0), 1, {100, 50, 25, 195}},
    {"StaticNotPresent", Entry(OverlayKind::Static, 1, 0, false), 1, {100, 50, 25, 65}},
    // Colour cycle: the index moves by one every period[speed] passes (7 at speed 4).
    {"CycleBeforePeriod", Entry(OverlayKind::ColorCycle, 4, 4), 6, {255, 1, 0, 255}},
    {"CycleAtPeriod", Entry(OverlayKind::ColorCycle, 4, 4), 7, {255, 3, 0, 255}},
    {"CycleSlow", Entry(OverlayKind::ColorCycle, 2, 0), 28, {255, 3, 0, 130}},
    {"CycleWraps", Entry(OverlayKind::ColorCycle, 4, 4), 7 * 192, {255, 1, 0, 255}},
    {"CycleLast", Entry(OverlayKind::ColorCycle, 4, 4), 7 * 191, {255, 0, 0, 255}},
    {"CycleNeedsPresent", Entry(OverlayKind::ColorCycle, 4, 4, false), 7, {7, 8, 9, 6}},
    // Off: black.
    {"Off", Entry(OverlayKind::Off, 4, 4), 1, {0, 0, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(HandWorked, OverlayKindTest, ::testing::ValuesIn(kOverlayCases),
                         [](const auto& info) { return info.param.name; });

// Flash: every period[speed] x 200 ms the toggle flips and the index moves by 14.
TEST(Overlays, FlashTogglesOnTime) {
    OverlayPainter painter;
    const LightListEntry list[] = {Entry(OverlayKind::Flash, 4, 4, true, true),
                                   Entry(OverlayKind::Flash, 3, 4, false, false)};
    painter.SetList(list);
    struct Case {
        std::uint64_t ms;
        LedColor multi;
        LedColor single;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {1399, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {1400, {255, 65, 0, 255}, {100, 50, 25, 195}}, // on, W[14]
        {2799, {255, 65, 0, 255}, {100, 50, 25, 195}},
        {2800, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {4200, {124, 255, 0, 255}, {100, 50, 25, 195}}, // on again, W[42]
    };
    LedColorBuffer colors{};
    for (const auto& c : cases) {
        painter.Apply(colors, c.ms);
        EXPECT_EQ(colors[0], c.multi) << c.ms << " ms";
        EXPECT_EQ(colors[1], c.single) << c.ms << " ms";
    }
}

TEST(Overlays, KindsArePaintedInTheOrder01324) {
    OverlayPainter painter;
    const LightListEntry list[] = {
        Entry(OverlayKind::Off, 4, 0),        Entry(OverlayKind::Flash, 4, 0),
        Entry(OverlayKind::ColorCycle, 4, 0), Entry(OverlayKind::Static, 4, 0),
        Entry(OverlayKind::Breathing, 4, 0),  Entry(OverlayKind::Static, 4, 0),
    };
    painter.SetList(list);
    std::vector<std::pair<OverlayKind, std::size_t>> painted;
    painter.SetPaintObserver(
        [&](OverlayKind kind, std::size_t light) { painted.emplace_back(kind, light); });
    LedColorBuffer colors{};
    painter.Apply(colors, 0);
    const std::vector<std::pair<OverlayKind, std::size_t>> expected = {
        {OverlayKind::Breathing, 4},  {OverlayKind::Static, 3}, {OverlayKind::Static, 5},
        {OverlayKind::ColorCycle, 2}, {OverlayKind::Flash, 1},  {OverlayKind::Off, 0},
    };
    EXPECT_EQ(painted, expected);
}

TEST(Overlays, RecordsPastTheLastLightAreIgnored) {
    OverlayPainter painter;
    const std::vector<LightListEntry> list(kLightCount + 30, Entry(OverlayKind::Static, 4, 0));
    painter.SetList(list);
    std::size_t painted = 0;
    std::size_t last = 0;
    painter.SetPaintObserver([&](OverlayKind, std::size_t light) {
        ++painted;
        last = light;
    });
    LedColorBuffer colors{};
    painter.Apply(colors, 0);
    EXPECT_EQ(painted, kLightCount);
    EXPECT_EQ(last, kLightCount - 1);
    EXPECT_EQ(painter.List().size(), kLightCount);
}

TEST(Overlays, PaintOverTheEffectAfterEveryPass) {
    std::vector<LightListEntry> list(kLightCount); // kind 0, not present: no overlay
    list[60] = Entry(OverlayKind::Static, 2, 0);
    list[61] = Entry(OverlayKind::Off, 2, 0);
    KeyboardLightEngine engine(KeypadLayout(), std::make_unique<SeededRandom>(3));
    engine.ApplyLightSettings(Settings(4, false, 1, 4, {}, 4), {}, list, {});
    engine.RunPass(1);
    EXPECT_EQ(engine.GetLedColor(59), (LedColor{255, 3, 0, 255})) << "the spectrum step";
    EXPECT_EQ(engine.GetLedColor(60), (LedColor{100, 50, 25, 130})) << "static overlay";
    EXPECT_EQ(engine.GetLedColor(61), (LedColor{0, 0, 0, 0})) << "off overlay";
}

TEST(Overlays, ApplyingTheSettingsRestartsTheirState) {
    std::vector<LightListEntry> list(kLightCount);
    list[5] = Entry(OverlayKind::Breathing, 4, 0);
    KeyboardLightEngine engine(KeypadLayout(), std::make_unique<SeededRandom>(3));
    engine.ApplyLightSettings(Settings(28, false, 1, 4), {}, list, {});
    for (std::uint64_t tick = 1; tick <= 10; ++tick) {
        engine.RunPass(tick);
    }
    EXPECT_EQ(engine.GetLedColor(5), (LedColor{100, 50, 25, 113})); // B[40]
    engine.ApplyLightSettings(Settings(28, false, 1, 4), {}, list, {});
    engine.RunPass(11);
    EXPECT_EQ(engine.GetLedColor(5), (LedColor{100, 50, 25, 3})); // B[4]
}

} // namespace
} // namespace vpc::lighting
