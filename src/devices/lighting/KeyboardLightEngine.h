// The keyboard lighting engine: computes the colour of every light for the selected
// lighting mode, one pass per 64 Hz tick, with per-key overlays and the light sequence.
#pragma once

#include "KeyLayout.h"
#include "LightEngine.h"
#include "LightTypes.h"
#include "OverlayPainter.h"
#include "RandomSource.h"
#include "RippleFronts.h"
#include "SequencePlayer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

namespace vpc::lighting {

// Length of one engine tick: 64 Hz.
inline constexpr double kTickMs = 15.625;
// Milliseconds at the start of tick `tick`.
constexpr std::uint64_t TickToMs(std::uint64_t tick) {
    return tick * 125 / 8;
}

inline constexpr int kAudioBands = 25;
inline constexpr int kScreenWords = 6;
// Total of the beat detector at which the music beat ripple starts.
inline constexpr int kBeatThreshold = 71;

// The cyclic step of the effects: x + d forward (0 once it reaches the limit), x - d
// backward (limit - d once it leaves 0 .. limit - 1). The result is always below limit.
std::uint8_t CyclicStep(bool forward, int limit, int x, int d);

// Height of a music level: 600 - floor(level * 600 / 2000), 600 meaning silence.
// With capAt500 a level above the full scale gives 500; negative levels count as 0.
std::int64_t MusicHeight(std::int32_t level, bool capAt500);

// Every public operation takes the engine's lock, so the light thread, the UI thread
// and the music and screen-colour inputs may call it concurrently. The private steps
// assume the lock is held.
class KeyboardLightEngine : public ILightEngine {
public:
    explicit KeyboardLightEngine(const KeyLayout& layout = KeypadLayout(),
                                 std::unique_ptr<RandomSource> random = nullptr);

    KeyboardLightEngine(const KeyboardLightEngine&) = delete;
    KeyboardLightEngine& operator=(const KeyboardLightEngine&) = delete;

    // Takes a profile's lighting: the record, the music settings, the per-key overlay
    // list and the light sequence. Re-seeds the effect when the mode changed or is 19.
    void ApplyLightSettings(const LightSettings& settings, const AudioLightSettings& audio,
                            std::span<const LightListEntry> overlays,
                            std::span<const EffectFrame> sequence);
    // Takes a lighting record read back from the device; re-seeds as above.
    void SetLightState(const LightSettings& settings);
    LightSettings LightState() const;
    void SetAudioLightSettings(const AudioLightSettings& audio);
    // Per-light colours of the selected custom group (mode 19); shown on the next seed.
    void SetCustomColors(std::span<const LedColor> colors);

    // Music input: up to 25 band levels (nominally 0..2000); missing bands read as 0.
    void SetAudioLevels(std::span<const std::int32_t> levels);
    // Screen colour input: up to six words; the low bytes of words 0, 1, 2 are the colour.
    void SetScreenColors(std::span<const std::uint32_t> words);
    // A key pressed (action 1) or released (action 2), for the reactive modes.
    void OnKeyEvent(int key, int action);

    // One pass of the light thread at tick `tick`: the mode's step when its interval
    // has elapsed (or the light sequence), then the overlays.
    void RunPass(std::uint64_t tick) override;
    // Runs the effect step of a mode once, as a pass would (no interval, no overlays).
    void RunStep(int lightingMode);

    // True when passes without new input would leave the colours as they are: a mode that
    // paints a fixed picture (or no mode step and no light sequence to play), painted at
    // least once since the last input, and no overlay that moves.
    bool IsStill() const override;
    // Goes up with every input that may change what the passes paint.
    std::uint64_t InputCount() const override { return inputCount_.load(); }
    // Goes up whenever the colours change: a pass that painted something else, a colour
    // stored directly.
    std::uint64_t FrameVersion() const { return frameVersion_.load(); }
    // Called on the calling thread, outside the engine's lock, after an input and after
    // the colours changed. Empty by default.
    void SetInputListener(std::function<void()> listener) override;
    void SetFrameListener(std::function<void()> listener);

    // The colours as the last pass left them.
    LedColorBuffer Colors() const;
    LedColor GetLedColor(int index) const;
    // Stores a colour when 0 <= index < 170.
    void SetLedColor(int index, const LedColor& color);

    // Effect state, for tests and diagnostics.
    struct EffectState {
        std::uint8_t step = 0;
        std::uint8_t colorIndex = 0;
        bool flashOn = false;
        std::array<std::uint8_t, kLightCount> intensity{};
        std::array<std::uint8_t, kLightCount> colorIndexes{};
        std::array<std::uint8_t, kLightCount> phase{};
        std::array<std::uint8_t, kLightCount> keyState{};
        int beatTotal = 0;
        std::size_t sequencePosition = 0;
        std::uint64_t stepsRun = 0; // mode steps run by passes and RunStep
    };
    EffectState State() const;
    const KeyLayout& Layout() const { return layout_; }

private:
    // Seeding.
    void Reseed(std::uint8_t lightingMode);
    void ResetEffectState();
    void ClearAudioBuffers();
    void SeedRainbowOffsets();
    void SeedTwinklePhases();
    void SeedPulsePhases();
    void SeedCornerRipple();
    void SeedEdgeRipple();
    void LoadCustomColors();

    void RunModeStep(int lightingMode);

    // Mode steps.
    void StepColumnWave();
    void StepColumnWaveFine();
    void StepKeyOrderWave();
    void StepSpectrumCycle();
    void StepBreathColumns();
    void StepStaticBands();
    void StepKeyHold();
    void StepRippleRainbow();
    void StepRipple();
    void StepSparkle();
    void StepRainbowAll();
    void StepRowRainbow();
    void StepEdgeRipple();
    void StepScript();
    void StepPulse();
    void StepCornerRipple();
    void StepPresetColor();
    void StepBandRainbow();
    void StepCustomColors();
    void StepTwinkle();
    void StepFlashColorCycle();
    void StepSweep();
    void StepBreathBasicColors();
    void StepFlashBasicColors();
    void StepLightsOff();
    void StepTrail();
    void StepScreenColor();

    // Music (mode 21), by variant.
    using Bands = std::array<std::int32_t, kAudioBands>;
    void StepMusic();
    void StepMusicColumns(const Bands& bands, bool falling);
    void StepMusicMirrorBars(const Bands& bands);
    void StepMusicBeatRipple();
    void StepMusicLoudness(const Bands& bands);
    void StepMusicRowGroups(const Bands& bands, std::span<const int> groupSizes);
    void RunBeatDetector(const Bands& levels);
    Rgb MusicBarColor(int wheelIndex) const;
    void DecayUnlessAboveBright(std::uint8_t brightLimit);
    void PaintMusicKey(std::uint8_t key, const Rgb& barColor);

    // Reactive helpers.
    void StartRipple(int key, int action);
    void StampRippleFronts();
    void OnKeyHold(int key, int action);
    void OnKeySpread(int key, int action);
    bool HasLitNeighbour(int column, int row, int key) const;
    void FadeLed(std::uint8_t key, int fadeMode);
    void Light(std::uint8_t key, const Rgb& color, std::uint8_t brightness);
    Rgb KeyColor(std::uint8_t key) const;
    void LightKeysByIntensity(std::span<const std::uint8_t> keys);
    void FillAll(const Rgb& color, std::uint8_t brightness);
    std::uint8_t RandomWheelIndex();
    std::uint8_t Level() const;
    // Flash toggle shared by the two generic flash steps; returns true when it flipped.
    bool FlashToggleDue();

    mutable std::mutex lock_;
    const KeyLayout& layout_;
    std::unique_ptr<RandomSource> random_;

    LightSettings settings_;
    AudioLightSettings audio_;
    LedColorBuffer colors_{};
    std::array<LedColor, kLightCount> customColors_{};

    // Effect state.
    std::uint8_t step_ = 0;       // s
    std::uint8_t colorIndex_ = 0; // c
    bool flashOn_ = false;
    std::uint64_t flashLastMs_ = 0;
    std::array<std::uint8_t, kLightCount> intensity_{};    // I
    std::array<std::uint8_t, kLightCount> colorIndexes_{}; // P
    std::array<std::uint8_t, kLightCount> phase_{};        // H
    std::array<std::uint8_t, kLightCount> flags_{};        // F
    std::array<std::uint8_t, kLightCount> keyState_{};     // K
    RippleFronts fronts_;
    std::uint8_t rippleStep_ = 0;
    std::uint8_t scriptPhase_ = 0;
    std::uint8_t scriptStep_ = 0;

    // Music.
    Bands audioLevels_{};
    std::array<std::uint8_t, kMatrixColumns> columnLatches_{};
    int beatTotal_ = 0;
    std::array<std::uint32_t, kScreenWords> screenWords_{};

    // Told that an input came or the colours changed (after the lock is released).
    void NotifyInput();
    void NotifyFrame();

    // Pass bookkeeping.
    bool paintedSinceInput_ = false;
    std::atomic<std::uint64_t> inputCount_{0};
    std::atomic<std::uint64_t> frameVersion_{0};
    mutable std::mutex listenerLock_;
    std::function<void()> inputListener_;
    std::function<void()> frameListener_;
    std::uint32_t passCount_ = 0;
    std::uint64_t stepsRun_ = 0;
    std::uint64_t nowMs_ = 0;

    OverlayPainter overlays_;
    SequencePlayer sequence_;
};

} // namespace vpc::lighting
