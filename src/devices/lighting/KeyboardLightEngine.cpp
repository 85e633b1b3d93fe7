#include "KeyboardLightEngine.h"

#include "LightTables.h"

#include <algorithm>

namespace vpc::lighting {

std::uint8_t CyclicStep(bool forward, int limit, int x, int d) {
    if (limit <= 0) {
        return 0;
    }
    int result = 0;
    if (forward) {
        result = x + d < limit ? x + d : 0;
    } else if (x - d >= 0 && x - d < limit) {
        result = x - d;
    } else {
        result = limit - d;
    }
    // A step wider than the limit (or of zero from outside the range) falls back to 0.
    return static_cast<std::uint8_t>(result >= 0 && result < limit ? result : 0);
}

KeyboardLightEngine::KeyboardLightEngine(const KeyLayout& layout,
                                         std::unique_ptr<RandomSource> random)
    : layout_(layout), random_(std::move(random)) {
    if (!random_) {
        random_ = std::make_unique<SeededRandom>();
    }
    Reseed(settings_.mode);
}

// ---------------------------------------------------------------------------
// Inputs

void KeyboardLightEngine::ApplyLightSettings(const LightSettings& settings,
                                             const AudioLightSettings& audio,
                                             std::span<const LightListEntry> overlays,
                                             std::span<const EffectFrame> sequence) {
    {
        const std::lock_guard guard(lock_);
        const LightSettings clamped = settings.Clamped();
        const bool reseed = clamped.mode != settings_.mode || clamped.mode == mode::kCustomColors;
        settings_ = clamped;
        audio_ = audio;
        if (reseed) {
            Reseed(settings_.mode);
        }
        overlays_.SetList(overlays);
        if (settings_.mode == mode::kSweep) {
            // The sweep starts from clean per-key phases; its colour index is the one it
            // moves, so that starts at the wheel's first colour too.
            phase_.fill(0);
            colorIndexes_.fill(0);
        }
        step_ = 0;
        sequence_.SetSequence(sequence);
        paintedSinceInput_ = false;
    }
    NotifyInput();
}

void KeyboardLightEngine::SetLightState(const LightSettings& settings) {
    {
        const std::lock_guard guard(lock_);
        const LightSettings clamped = settings.Clamped();
        const bool reseed = clamped.mode != settings_.mode || clamped.mode == mode::kCustomColors;
        settings_ = clamped;
        if (reseed) {
            Reseed(settings_.mode);
        }
        paintedSinceInput_ = false;
    }
    NotifyInput();
}

LightSettings KeyboardLightEngine::LightState() const {
    const std::lock_guard guard(lock_);
    return settings_;
}

void KeyboardLightEngine::SetAudioLightSettings(const AudioLightSettings& audio) {
    {
        const std::lock_guard guard(lock_);
        audio_ = audio;
        paintedSinceInput_ = false;
    }
    NotifyInput();
}

void KeyboardLightEngine::SetCustomColors(std::span<const LedColor> colors) {
    bool shown = false;
    {
        const std::lock_guard guard(lock_);
        customColors_.fill(LedColor{});
        std::copy_n(colors.begin(), std::min(colors.size(), kLightCount), customColors_.begin());
        if (settings_.mode == mode::kCustomColors) {
            // the custom colours are the picture of this mode: shown at once, not at the
            // next seed
            LoadCustomColors();
            StepCustomColors();
            shown = true;
        }
        paintedSinceInput_ = false;
    }
    if (shown)
        NotifyFrame();
    NotifyInput();
}

void KeyboardLightEngine::SetAudioLevels(std::span<const std::int32_t> levels) {
    {
        const std::lock_guard guard(lock_);
        audioLevels_.fill(0);
        std::copy_n(levels.begin(), std::min<std::size_t>(levels.size(), kAudioBands),
                    audioLevels_.begin());
        if (settings_.mode == mode::kMusic && audio_.audioMode == 2) {
            RunBeatDetector(audioLevels_);
        }
        paintedSinceInput_ = false;
    }
    NotifyInput();
}

void KeyboardLightEngine::SetScreenColors(std::span<const std::uint32_t> words) {
    {
        const std::lock_guard guard(lock_);
        screenWords_.fill(0);
        std::copy_n(words.begin(), std::min<std::size_t>(words.size(), kScreenWords),
                    screenWords_.begin());
        paintedSinceInput_ = false;
    }
    NotifyInput();
}

void KeyboardLightEngine::OnKeyEvent(int key, int action) {
    {
        const std::lock_guard guard(lock_);
        switch (settings_.mode) {
        case 7:
            OnKeyHold(key, action);
            break;
        case 8:
        case 9:
            StartRipple(key, action);
            break;
        case 25:
            OnKeySpread(key, action);
            break;
        default:
            break;
        }
        paintedSinceInput_ = false;
    }
    NotifyInput();
}

// ---------------------------------------------------------------------------
// Passes

void KeyboardLightEngine::RunPass(std::uint64_t tick) {
    bool changed = false;
    {
        const std::lock_guard guard(lock_);
        const LedColorBuffer before = colors_;
        nowMs_ = TickToMs(tick);
        const int lightingMode = settings_.mode;
        if (HasModeStep(lightingMode)) {
            passCount_ += 1;
            if (passCount_ >=
                static_cast<std::uint32_t>(StepInterval(lightingMode, settings_.speed))) {
                passCount_ = 0;
                RunModeStep(lightingMode);
                paintedSinceInput_ = true;
            }
        } else {
            sequence_.Play(colors_, settings_.speed, nowMs_);
            paintedSinceInput_ = true;
        }
        overlays_.Apply(colors_, nowMs_);
        changed = colors_ != before;
    }
    if (changed)
        NotifyFrame();
}

bool KeyboardLightEngine::IsStill() const {
    const std::lock_guard guard(lock_);
    const int m = settings_.mode;
    const bool fixedPicture = m == mode::kStaticBands || m == mode::kPresetColor ||
                              m == mode::kCustomColors || m == mode::kLightsOff ||
                              (!HasModeStep(m) && sequence_.Length() == 0);
    if (!fixedPicture || !paintedSinceInput_)
        return false;
    for (const LightListEntry& entry : overlays_.List()) {
        const auto kind = static_cast<OverlayKind>(entry.kind);
        if (kind == OverlayKind::Flash)
            return false;
        if ((kind == OverlayKind::Breathing || kind == OverlayKind::ColorCycle) && entry.present)
            return false;
    }
    return true;
}

void KeyboardLightEngine::SetInputListener(std::function<void()> listener) {
    const std::lock_guard guard(listenerLock_);
    inputListener_ = std::move(listener);
}

void KeyboardLightEngine::SetFrameListener(std::function<void()> listener) {
    const std::lock_guard guard(listenerLock_);
    frameListener_ = std::move(listener);
}

void KeyboardLightEngine::NotifyInput() {
    inputCount_ += 1;
    const std::lock_guard guard(listenerLock_);
    if (inputListener_)
        inputListener_();
}

void KeyboardLightEngine::NotifyFrame() {
    frameVersion_ += 1;
    const std::lock_guard guard(listenerLock_);
    if (frameListener_)
        frameListener_();
}

void KeyboardLightEngine::RunStep(int lightingMode) {
    const std::lock_guard guard(lock_);
    RunModeStep(lightingMode);
}

void KeyboardLightEngine::RunModeStep(int lightingMode) {
    if (HasModeStep(lightingMode)) {
        stepsRun_ += 1;
    }
    switch (lightingMode) {
    case 1:
        StepColumnWave();
        break;
    case 2:
        StepColumnWaveFine();
        break;
    case 3:
        StepKeyOrderWave();
        break;
    case 4:
        StepSpectrumCycle();
        break;
    case 5:
        StepBreathColumns();
        break;
    case 6:
        StepStaticBands();
        break;
    case 7:
    case 25:
        StepKeyHold();
        break;
    case 8:
        StepRippleRainbow();
        break;
    case 9:
        StepRipple();
        break;
    case 10:
        StepSparkle();
        break;
    case 11:
        StepRainbowAll();
        break;
    case 12:
        StepRowRainbow();
        break;
    case 13:
        StepEdgeRipple();
        break;
    case 14:
        StepScript();
        break;
    case 15:
        StepPulse();
        break;
    case 16:
        StepCornerRipple();
        break;
    case 17:
        StepPresetColor();
        break;
    case 18:
        StepBandRainbow();
        break;
    case 19:
        StepCustomColors();
        break;
    case 21:
        StepMusic();
        break;
    case 22:
        StepTwinkle();
        break;
    case 23:
        StepFlashColorCycle();
        break;
    case 24:
        StepSweep();
        break;
    case 26:
        StepBreathBasicColors();
        break;
    case 27:
        StepFlashBasicColors();
        break;
    case 28:
        StepLightsOff();
        break;
    case 29:
        StepTrail();
        break;
    case 31:
        StepScreenColor();
        break;
    default:
        break;
    }
}

LedColorBuffer KeyboardLightEngine::Colors() const {
    const std::lock_guard guard(lock_);
    return colors_;
}

LedColor KeyboardLightEngine::GetLedColor(int index) const {
    const std::lock_guard guard(lock_);
    return index >= 0 && IsLight(static_cast<unsigned>(index))
               ? colors_[static_cast<std::size_t>(index)]
               : LedColor{};
}

void KeyboardLightEngine::SetLedColor(int index, const LedColor& color) {
    bool changed = false;
    {
        const std::lock_guard guard(lock_);
        if (index >= 0 && IsLight(static_cast<unsigned>(index))) {
            changed = colors_[static_cast<std::size_t>(index)] != color;
            colors_[static_cast<std::size_t>(index)] = color;
            paintedSinceInput_ = false; // a mode that paints over it does so at the next pass
        }
    }
    if (changed)
        NotifyFrame();
    NotifyInput();
}

KeyboardLightEngine::EffectState KeyboardLightEngine::State() const {
    const std::lock_guard guard(lock_);
    EffectState state;
    state.step = step_;
    state.colorIndex = colorIndex_;
    state.flashOn = flashOn_;
    state.intensity = intensity_;
    state.colorIndexes = colorIndexes_;
    state.phase = phase_;
    state.keyState = keyState_;
    state.beatTotal = beatTotal_;
    state.sequencePosition = sequence_.Position();
    state.stepsRun = stepsRun_;
    return state;
}

// ---------------------------------------------------------------------------
// Seeding

void KeyboardLightEngine::Reseed(std::uint8_t lightingMode) {
    ResetEffectState();
    switch (lightingMode) {
    case 13:
        SeedEdgeRipple();
        break;
    case 15:
        SeedPulsePhases();
        break;
    case 16:
        SeedCornerRipple();
        break;
    case 19:
        LoadCustomColors();
        SeedRainbowOffsets();
        break;
    case 22:
        SeedTwinklePhases();
        break;
    default:
        SeedRainbowOffsets();
        break;
    }
}

void KeyboardLightEngine::ResetEffectState() {
    step_ = 0;
    rippleStep_ = 0;
    scriptPhase_ = 0;
    scriptStep_ = 0;
    colorIndexes_.fill(0);
    keyState_.fill(0);
    intensity_.fill(0);
    fronts_.Clear();
    ClearAudioBuffers();
}

void KeyboardLightEngine::ClearAudioBuffers() {
    audioLevels_.fill(0);
    columnLatches_.fill(1);
}

void KeyboardLightEngine::SeedRainbowOffsets() {
    for (std::size_t k = 0; k < kLightCount; ++k) {
        colorIndexes_[k] = static_cast<std::uint8_t>((33 * (k + 1)) % kWheelSize);
    }
}

void KeyboardLightEngine::SeedTwinklePhases() {
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kPhaseRows; ++r) {
            const std::uint8_t key =
                layout_.phaseLayout[static_cast<std::size_t>(x * kPhaseRows + r)];
            if (!IsLight(key)) {
                continue;
            }
            unsigned v = static_cast<unsigned>(192 - 8 * x);
            for (int i = 0; i <= r; ++i) {
                v = v < 35 ? (v + 158) % 256 : v - 35;
            }
            colorIndexes_[key] = static_cast<std::uint8_t>(7 * x);
            phase_[key] = static_cast<std::uint8_t>(v);
        }
    }
}

void KeyboardLightEngine::SeedPulsePhases() {
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            const std::uint8_t key =
                layout_.phaseLayout[static_cast<std::size_t>(x * kPhaseRows + r)];
            if (!IsLight(key)) {
                continue;
            }
            colorIndexes_[key] = static_cast<std::uint8_t>(7 * x);
            intensity_[key] = layout_.pulseStart[x][r];
        }
    }
}

void KeyboardLightEngine::SeedCornerRipple() {
    fronts_.SetBit(1, 0);
}

void KeyboardLightEngine::SeedEdgeRipple() {
    fronts_.SetBit(9, 6);
}

void KeyboardLightEngine::LoadCustomColors() {
    colors_ = customColors_;
}

// ---------------------------------------------------------------------------
// Helpers

std::uint8_t KeyboardLightEngine::Level() const {
    return LevelValue(settings_.brightness);
}

Rgb KeyboardLightEngine::KeyColor(std::uint8_t key) const {
    return settings_.multiColor ? ColorWheel()[colorIndexes_[key] % kWheelSize] : settings_.color;
}

void KeyboardLightEngine::Light(std::uint8_t key, const Rgb& color, std::uint8_t brightness) {
    if (IsLight(key)) {
        colors_[key] = {color.red, color.green, color.blue, brightness};
    }
}

void KeyboardLightEngine::FillAll(const Rgb& color, std::uint8_t brightness) {
    colors_.fill(LedColor{color.red, color.green, color.blue, brightness});
}

void KeyboardLightEngine::LightKeysByIntensity(std::span<const std::uint8_t> keys) {
    const std::uint8_t level = Level();
    for (const std::uint8_t key : keys) {
        Light(key, KeyColor(key), Scale(level, intensity_[key]));
    }
}

std::uint8_t KeyboardLightEngine::RandomWheelIndex() {
    return static_cast<std::uint8_t>(random_->Below(kWheelSize));
}

void KeyboardLightEngine::FadeLed(std::uint8_t key, int fadeMode) {
    if (!IsLight(key)) {
        return;
    }
    const int value = intensity_[key];
    int drop = 0;
    if (value == 0) {
        return;
    }
    if (fadeMode == 11 || fadeMode == 21) {
        if (value >= 144) {
            drop = 45;
        } else if (value >= 128) {
            drop = 40;
        } else if (value >= 112) {
            drop = 35;
        } else if (value >= 96) {
            drop = 30;
        } else if (value >= 80) {
            drop = 25;
        } else if (value >= 64) {
            drop = 20;
        } else if (value >= 32) {
            drop = 10;
        } else if (value >= 17) {
            drop = 5;
        } else {
            drop = 1;
        }
    } else {
        if (value >= 128) {
            drop = 40;
        } else if (value >= 64) {
            drop = 30;
        } else if (value >= 32) {
            drop = fadeMode == 0 ? 15 : 10;
        } else if (value >= 17) {
            drop = 8;
        } else {
            drop = 1;
        }
    }
    intensity_[key] = static_cast<std::uint8_t>(std::max(value - drop, 0));
}

bool KeyboardLightEngine::FlashToggleDue() {
    if (nowMs_ - flashLastMs_ >= PeriodMs(settings_.speed) || nowMs_ < flashLastMs_) {
        flashOn_ = !flashOn_;
        flashLastMs_ = nowMs_;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Ripples and key events

void KeyboardLightEngine::StartRipple(int key, int action) {
    if (action != 1 || key < 0) {
        return;
    }
    if (const auto cell = layout_.CellOf(static_cast<unsigned>(key))) {
        fronts_.SetBit(cell->column, cell->row);
    }
}

void KeyboardLightEngine::StampRippleFronts() {
    fronts_.ForEachMarkedKey(layout_, [this](std::uint8_t key) {
        intensity_[key] = 255;
        if (settings_.multiColor) {
            colorIndexes_[key] = RandomWheelIndex();
        }
    });
}

void KeyboardLightEngine::OnKeyHold(int key, int action) {
    if (key < 0 || !IsLight(static_cast<unsigned>(key))) {
        return;
    }
    keyState_[key] = static_cast<std::uint8_t>(action);
    intensity_[key] = 255;
    colorIndexes_[key] = RandomWheelIndex();
}

bool KeyboardLightEngine::HasLitNeighbour(int column, int row, int key) const {
    auto flagged = [&](int x, int r) {
        const std::uint8_t other = layout_.KeyAt(x, r);
        return IsLight(other) && other != key && flags_[other] == 1;
    };
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dr = -1; dr <= 1; ++dr) {
            if (flagged(column + dx, row + dr)) {
                return true;
            }
        }
    }
    return flagged(column, row - 2) || flagged(column, row + 2) || flagged(column - 2, row) ||
           flagged(column + 2, row);
}

void KeyboardLightEngine::OnKeySpread(int key, int action) {
    if (key < 0 || !IsLight(static_cast<unsigned>(key))) {
        return;
    }
    if (action == 2) {
        flags_[key] = 0;
        keyState_[key] = 2;
        return;
    }
    if (action != 1) {
        return;
    }
    flags_[key] = 1;
    keyState_[key] = 1;
    intensity_[key] = 255;
    colorIndexes_[key] = RandomWheelIndex();
    // Keys next to a pressed key light up with its colour and fade out.
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            const std::uint8_t other = layout_.KeyAt(x, r);
            if (!IsLight(other) || other == key || flags_[other] == 1) {
                continue;
            }
            if (HasLitNeighbour(x, r, other)) {
                intensity_[other] = std::max<std::uint8_t>(intensity_[other], 160);
                colorIndexes_[other] = colorIndexes_[key];
                keyState_[other] = 2;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Mode steps

void KeyboardLightEngine::StepColumnWave() {
    const bool forward = settings_.direction != 0;
    const std::uint8_t level = Level();
    const bool multi = settings_.multiColor;
    step_ = CyclicStep(forward, multi ? kWheelSize : kShortCurveSize, step_, 1);
    for (int x = 0; x < kMatrixColumns; ++x) {
        Rgb color = settings_.color;
        std::uint8_t brightness = level;
        if (multi) {
            color = ColorWheel()[(step_ + 1 + 7 * x) % kWheelSize];
        } else {
            brightness = Scale(level, ShortCurve()[(step_ + 1 + 2 * x) % kShortCurveSize]);
        }
        for (int r = 0; r < kMatrixRows; ++r) {
            Light(layout_.KeyAt(x, r), color, brightness);
        }
    }
}

void KeyboardLightEngine::StepColumnWaveFine() {
    const bool forward = settings_.direction != 0;
    const std::uint8_t level = Level();
    const bool multi = settings_.multiColor;
    step_ = CyclicStep(forward, multi ? kWheelSize : kShortCurveSize, step_, 1);
    for (int x = 0; x < kMatrixColumns; ++x) {
        Rgb color = settings_.color;
        std::uint8_t brightness = level;
        if (multi) {
            color = ColorWheel()[(step_ + 2 * x) % kWheelSize];
        } else {
            brightness = Scale(level, PulseCurve()[(step_ + 5 * x) % kShortCurveSize]);
        }
        for (int r = 0; r < kMatrixRows; ++r) {
            Light(layout_.KeyAt(x, r), color, brightness);
        }
    }
}

void KeyboardLightEngine::StepKeyOrderWave() {
    const bool forward = settings_.direction != 0;
    const std::uint8_t level = Level();
    const bool multi = settings_.multiColor;
    step_ = CyclicStep(forward, multi ? kWheelSize : kShortCurveSize, step_, 1);
    int n = 0;
    for (const std::uint8_t key : layout_.keyOrder) {
        if (!IsLight(key)) {
            continue; // a gap
        }
        if (multi) {
            Light(key, ColorWheel()[(step_ + 5 * n) % kWheelSize], level);
        } else {
            Light(key, settings_.color,
                  Scale(level, ShortCurve()[(step_ + 5 * n) % kShortCurveSize]));
        }
        ++n;
    }
}

void KeyboardLightEngine::StepSpectrumCycle() {
    step_ = CyclicStep(settings_.direction != 0, kWheelSize, step_, 1);
    FillAll(ColorWheel()[step_], Level());
}

void KeyboardLightEngine::StepBreathColumns() {
    step_ = step_ + 1 >= kBreathSize ? 0 : step_ + 1;
    const std::uint8_t brightness = Scale(BreathCurve()[step_], Level());
    for (int x = 0; x <= 5; ++x) {
        const Rgb color = settings_.multiColor ? ColorWheel()[15 + 30 * x] : settings_.color;
        for (int r = 0; r <= 3; ++r) {
            Light(layout_.KeyAt(x, r), color, brightness);
        }
    }
}

void KeyboardLightEngine::StepStaticBands() {
    const std::uint8_t level = Level();
    if (!settings_.multiColor) {
        FillAll(settings_.color, level);
        return;
    }
    for (int r = 0; r <= 3; ++r) {
        const Rgb& color = ColorWheel()[15 + 50 * r];
        for (const std::uint8_t entry : layout_.bands[r]) {
            Light(layout_.KeyOrderLookup(entry), color, level);
        }
    }
}

void KeyboardLightEngine::StepKeyHold() {
    for (const std::uint8_t key : layout_.keys) {
        if (keyState_[key] == 1) {
            intensity_[key] = static_cast<std::uint8_t>(std::min(intensity_[key] + 15, 255));
        } else if (keyState_[key] == 2) {
            intensity_[key] = static_cast<std::uint8_t>(std::max(intensity_[key] - 5, 0));
        }
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepRippleRainbow() {
    StampRippleFronts();
    fronts_.Advance();
    for (const std::uint8_t key : layout_.keys) {
        FadeLed(key, 8);
        colorIndexes_[key] = CyclicStep(true, kWheelSize, colorIndexes_[key], 7);
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepRipple() {
    StampRippleFronts();
    fronts_.Shift();
    for (const std::uint8_t key : layout_.keys) {
        FadeLed(key, 9);
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepSparkle() {
    const auto count = static_cast<std::uint32_t>(layout_.keyOrder.size());
    for (int i = 0; i < 6 && count > 0; ++i) {
        const std::uint8_t key = layout_.keyOrder[random_->Below(count)];
        const std::uint8_t index = RandomWheelIndex();
        if (IsLight(key)) {
            colorIndexes_[key] = index;
            intensity_[key] = 255;
        }
    }
    for (const std::uint8_t key : layout_.keys) {
        FadeLed(key, 10);
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepRainbowAll() {
    const std::uint8_t level = Level();
    for (const std::uint8_t key : layout_.keys) {
        colorIndexes_[key] = CyclicStep(true, kWheelSize, colorIndexes_[key], 1);
        Light(key, ColorWheel()[colorIndexes_[key]], level);
    }
}

void KeyboardLightEngine::StepRowRainbow() {
    step_ = CyclicStep(settings_.direction != 0, kWheelSize, step_, 1);
    const std::uint8_t level = Level();
    for (int r = 0; r < kMatrixRows; ++r) {
        const Rgb& color = ColorWheel()[(step_ + 1 + 24 * r) % kWheelSize];
        for (int x = 0; x < kMatrixColumns; ++x) {
            Light(layout_.KeyAt(x, r), color, level);
        }
    }
}

void KeyboardLightEngine::StepEdgeRipple() {
    // The ripple runs up and down column 9: a front that arrives alone at row 0 or
    // row 6 starts the next one from there.
    fronts_.RestampWhenOnly(9, 0);
    fronts_.RestampWhenOnly(9, 6);
    rippleStep_ = static_cast<std::uint8_t>(rippleStep_ + 1);
    if (rippleStep_ % 2 == 0) {
        StampRippleFronts();
        fronts_.Advance();
    }
    for (const std::uint8_t key : layout_.keys) {
        FadeLed(key, 13);
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepScript() {
    constexpr int kFirstPhaseSteps = kScriptRows;
    constexpr int kSecondPhaseSteps = 31;
    constexpr int kRippleStepLimit = 64; // ends a ripple that never reaches its end key
    auto lightKey = [this](std::uint8_t key) {
        if (IsLight(key)) {
            intensity_[key] = 255;
            if (settings_.multiColor) {
                colorIndexes_[key] = RandomWheelIndex();
            }
        }
    };
    switch (scriptPhase_) {
    case 0:
        for (const std::uint8_t key : layout_.scriptRows[scriptStep_ % kScriptRows]) {
            lightKey(key);
        }
        if (++scriptStep_ >= kFirstPhaseSteps) {
            scriptPhase_ = 1;
            scriptStep_ = 0;
        }
        break;
    case 1:
        if (scriptStep_ < kSecondPhaseSteps) {
            for (const std::uint8_t key : layout_.scriptPairs[scriptStep_ % kScriptPairs]) {
                lightKey(key);
            }
            ++scriptStep_;
        } else if (!IsLight(layout_.scriptRippleKey) || intensity_[layout_.scriptRippleKey] == 0) {
            scriptPhase_ = 2;
            scriptStep_ = 0;
        }
        break;
    case 2:
        StartRipple(layout_.scriptRippleKey, 1);
        scriptPhase_ = 3;
        break;
    default: {
        bool endReached = false;
        fronts_.ForEachMarkedKey(layout_, [&](std::uint8_t key) {
            endReached = endReached || key == layout_.scriptEndKey;
        });
        StampRippleFronts();
        fronts_.Advance();
        if (endReached || ++scriptStep_ >= kRippleStepLimit) {
            fronts_.Clear();
            scriptPhase_ = 0;
            scriptStep_ = 0;
        }
        break;
    }
    }
    for (const std::uint8_t key : layout_.keys) {
        FadeLed(key, 14);
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepPulse() {
    const std::uint8_t level = Level();
    for (const std::uint8_t key : layout_.keys) {
        intensity_[key] = static_cast<std::uint8_t>(intensity_[key] + 2);
        if (intensity_[key] >= kPulseCurveSize) {
            intensity_[key] = 0;
            colorIndexes_[key] = RandomWheelIndex();
        }
        Light(key, KeyColor(key), Scale(level, PulseCurve()[intensity_[key]]));
    }
}

void KeyboardLightEngine::StepCornerRipple() {
    // Each ripple starts the other: a front that arrives alone at its origin cell
    // starts a new ripple there.
    fronts_.RestampWhenOnly(1, 0);
    fronts_.RestampWhenOnly(5, 6);
    StampRippleFronts();
    fronts_.Advance();
    for (const std::uint8_t key : layout_.keys) {
        FadeLed(key, 16);
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepPresetColor() {
    int index = 0;
    switch (settings_.zzccLedMode) {
    case 1:
        index = 16;
        break;
    case 2:
        index = 66;
        break;
    case 3:
        index = 132;
        break;
    default:
        break;
    }
    FillAll(ColorWheel()[index], Level());
}

void KeyboardLightEngine::StepBandRainbow() {
    step_ = CyclicStep(settings_.direction != 0, kWheelSize, step_, 1);
    const std::uint8_t level = Level();
    for (int r = 0; r < kBandRows; ++r) {
        const Rgb& color = ColorWheel()[(step_ + 7 * (r + 1)) % kWheelSize];
        for (const std::uint8_t entry : layout_.bands[r]) {
            Light(layout_.KeyOrderLookup(entry), color, level);
        }
    }
}

void KeyboardLightEngine::StepCustomColors() {
    const std::uint8_t level = Level();
    for (LedColor& color : colors_) {
        color.brightness = level;
    }
}

void KeyboardLightEngine::StepTwinkle() {
    const std::uint8_t level = Level();
    for (const std::uint8_t key : layout_.keys) {
        phase_[key] = static_cast<std::uint8_t>(phase_[key] + 1);
        if (phase_[key] >= kPulseCurveSize) {
            phase_[key] = 0;
            colorIndexes_[key] = RandomWheelIndex();
        }
        Light(key, KeyColor(key), Scale(level, PulseCurve()[phase_[key]]));
    }
}

void KeyboardLightEngine::StepFlashColorCycle() {
    if (FlashToggleDue()) {
        colorIndex_ = colorIndex_ + 16 >= kWheelSize ? 0 : colorIndex_ + 16;
    }
    if (flashOn_) {
        FillAll(settings_.multiColor ? ColorWheel()[colorIndex_ % kWheelSize] : settings_.color,
                Level());
    } else {
        colors_.fill(LedColor{});
    }
}

void KeyboardLightEngine::StepSweep() {
    step_ = CyclicStep(settings_.direction != 0, kSweepRows, step_, 1);
    for (const std::uint8_t key : layout_.sweep[step_]) {
        if (IsLight(key)) {
            intensity_[key] = 255;
            colorIndexes_[key] = 0;
        }
    }
    const std::uint8_t level = Level();
    for (const std::uint8_t key : layout_.keys) {
        intensity_[key] = static_cast<std::uint8_t>(std::max(intensity_[key] - 5, 0));
        colorIndexes_[key] = static_cast<std::uint8_t>(std::min(colorIndexes_[key] + 3, 191));
        if (settings_.multiColor) {
            Light(key, ColorWheel()[colorIndexes_[key]], level);
        } else {
            Light(key, settings_.color, Scale(level, intensity_[key]));
        }
    }
}

void KeyboardLightEngine::StepBreathBasicColors() {
    step_ = CyclicStep(settings_.direction != 0, kBreathSize, step_, 1);
    if (step_ == 0) {
        colorIndex_ = colorIndex_ >= 3 ? 0 : colorIndex_ + 1;
    }
    FillAll(BasicColors()[colorIndex_ % 4], Scale(BreathCurve()[step_], Level()));
}

void KeyboardLightEngine::StepFlashBasicColors() {
    if (FlashToggleDue()) {
        colorIndex_ = colorIndex_ >= 3 ? 0 : colorIndex_ + 1;
    }
    if (flashOn_) {
        FillAll(BasicColors()[colorIndex_ % 4], Level());
    } else {
        colors_.fill(LedColor{});
    }
}

void KeyboardLightEngine::StepLightsOff() {
    colors_.fill(LedColor{});
}

void KeyboardLightEngine::StepTrail() {
    const auto& path = layout_.trailPath;
    constexpr int kEnd = static_cast<int>(kLightCount); // one past the last path position
    if (settings_.direction != 0) {
        if (step_ < kEnd) {
            const std::uint8_t key = path[step_];
            if (IsLight(key)) {
                intensity_[key] = 254;
            }
            step_ = static_cast<std::uint8_t>(step_ + 1);
        } else {
            step_ = 0;
        }
    } else {
        if (step_ > 0) {
            // Position 170 is past the path: the backward run starts reading at 169.
            if (step_ < kEnd && IsLight(path[step_])) {
                intensity_[path[step_]] = 254;
            }
            step_ = static_cast<std::uint8_t>(std::min<int>(step_, kEnd) - 1);
        } else {
            step_ = kEnd;
        }
    }
    for (const std::uint8_t key : layout_.keys) {
        FadeLed(key, 29);
    }
    LightKeysByIntensity(layout_.keys);
}

void KeyboardLightEngine::StepScreenColor() {
    const Rgb color{static_cast<std::uint8_t>(screenWords_[0] & 0xFF),
                    static_cast<std::uint8_t>(screenWords_[1] & 0xFF),
                    static_cast<std::uint8_t>(screenWords_[2] & 0xFF)};
    FillAll(color, Level());
}

} // namespace vpc::lighting
