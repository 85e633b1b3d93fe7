// Cost of one lighting engine step per mode, for the keypad's 21 keys and for a full
// 170-key matrix. Besides the time, each result reports "of_5us": the step's time as a
// share of the 5 microsecond budget of a keypad step (below 1 meets it).
#include "lighting/KeyLayout.h"
#include "lighting/KeyboardLightEngine.h"
#include "lighting/LightTables.h"
#include "lighting/LiveFrame.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

namespace {

using namespace vpc::lighting;

constexpr double kBudgetSeconds = 5e-6;

const KeyLayout& LayoutOf(std::int64_t which) {
    return which == 0 ? KeypadLayout() : FullMatrixLayout();
}

void ReportBudget(benchmark::State& state) {
    // elapsed / (iterations x 5 us)
    state.counters["of_5us"] =
        benchmark::Counter(kBudgetSeconds, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

// A light sequence of every frame kind, for the modes that play it.
std::vector<EffectFrame> SampleSequence() {
    std::vector<EffectFrame> frames;
    for (const FrameKind kind : {FrameKind::SpectrumWave, FrameKind::Breathing, FrameKind::Flash,
                                 FrameKind::WheelColor, FrameKind::Static}) {
        EffectFrame frame;
        frame.kind = static_cast<std::uint8_t>(kind);
        frame.brightness = 4;
        frame.speed = 4;
        frame.multiColor = true;
        frame.timeMs = 2000;
        frames.push_back(frame);
    }
    return frames;
}

// One effect step of a mode (state.range(0); music variants as 210 + variant), on the
// keypad (range(1) = 0) or the full matrix (1). Reactive modes get a key press every
// eighth step and music a new set of levels every step, as they would while in use.
void BM_ModeStep(benchmark::State& state) {
    const auto requested = static_cast<int>(state.range(0));
    const bool music = requested >= 210;
    const int lightingMode = music ? mode::kMusic : requested;
    const KeyLayout& layout = LayoutOf(state.range(1));

    KeyboardLightEngine engine(layout, std::make_unique<SeededRandom>(42));
    LightSettings settings;
    settings.mode = static_cast<std::uint8_t>(lightingMode);
    settings.brightness = 4;
    settings.speed = 4;
    settings.direction = 1;
    settings.multiColor = true;
    settings.color = {200, 100, 50};
    AudioLightSettings audio;
    audio.audioMode = static_cast<std::uint8_t>(music ? requested - 210 : 0);
    audio.sevenColor = true;
    audio.foreground = {255, 255, 255};
    const std::vector<EffectFrame> sequence = SampleSequence();
    engine.ApplyLightSettings(settings, audio, {}, sequence);

    std::array<std::int32_t, kAudioBands> levels{};
    const std::uint32_t screen[] = {0x40, 0x80, 0xC0};
    engine.SetScreenColors(screen);
    const bool reactive =
        lightingMode == 7 || lightingMode == 8 || lightingMode == 9 || lightingMode == 25;
    const std::uint8_t pressKey = layout.keys.empty() ? 0 : layout.keys[layout.keys.size() / 2];

    std::uint64_t tick = 0;
    for (auto _ : state) {
        ++tick;
        if (music) {
            for (std::size_t band = 0; band < levels.size(); ++band) {
                levels[band] = static_cast<std::int32_t>((tick * 37 + band * 151) % 2200);
            }
            engine.SetAudioLevels(levels);
        }
        if (reactive && tick % 8 == 0) {
            engine.OnKeyEvent(pressKey, 1);
            engine.OnKeyEvent(pressKey, 2);
        }
        if (HasModeStep(lightingMode)) {
            engine.RunStep(lightingMode);
        } else {
            engine.RunPass(tick); // the light sequence
        }
        benchmark::ClobberMemory();
    }
    ReportBudget(state);
}

void ModeArguments(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"mode", "full"});
    for (const std::int64_t layout : {0, 1}) {
        bench->Args({0, layout});
        for (int lightingMode = 1; lightingMode <= 31; ++lightingMode) {
            if (lightingMode == 20 || lightingMode == 30) {
                continue;
            }
            if (lightingMode == mode::kMusic) {
                for (int variant = 0; variant <= 6; ++variant) {
                    bench->Args({210 + variant, layout});
                }
                continue;
            }
            bench->Args({lightingMode, layout});
        }
    }
}
BENCHMARK(BM_ModeStep)->Apply(ModeArguments);

// A whole light-thread pass in the busiest mode of the table (spectrum at speed 4: a
// step every pass) with an overlay record on every light, kinds mixed.
void BM_PassWithOverlays(benchmark::State& state) {
    KeyboardLightEngine engine(LayoutOf(state.range(0)), std::make_unique<SeededRandom>(42));
    LightSettings settings;
    settings.mode = 4;
    settings.brightness = 4;
    settings.speed = 4;
    std::vector<LightListEntry> overlays(kLightCount);
    for (std::size_t i = 0; i < overlays.size(); ++i) {
        overlays[i].kind = static_cast<std::uint8_t>(i % 5);
        overlays[i].brightness = 3;
        overlays[i].speed = static_cast<std::uint8_t>(i % 5);
        overlays[i].multiColor = i % 2 == 0;
        overlays[i].present = true;
    }
    engine.ApplyLightSettings(settings, {}, overlays, {});
    std::uint64_t tick = 0;
    for (auto _ : state) {
        engine.RunPass(++tick);
        benchmark::ClobberMemory();
    }
    ReportBudget(state);
}
BENCHMARK(BM_PassWithOverlays)->ArgName("full")->Arg(0)->Arg(1);

// Building the live frame of the 50 ms refresh from the engine's colours.
void BM_BuildLightFrame(benchmark::State& state) {
    KeyboardLightEngine engine(KeypadLayout(), std::make_unique<SeededRandom>(42));
    std::array<std::uint8_t, kLightCount> ledMap{};
    ledMap.fill(kNoneByte);
    std::uint8_t led = 0;
    for (const std::uint8_t key : KeypadLayout().keys) {
        ledMap[key] = led++;
    }
    for (auto _ : state) {
        const LightFrame frame = BuildLightFrame(engine.Colors(), ledMap);
        benchmark::DoNotOptimize(frame);
    }
    ReportBudget(state);
}
BENCHMARK(BM_BuildLightFrame);

} // namespace

BENCHMARK_MAIN();
