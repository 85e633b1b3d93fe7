#include "MouseLightEngine.h"

#include "lighting/KeyboardLightEngine.h"
#include "lighting/LightTables.h"

#include <algorithm>

namespace vpc::devices::mouse {

using lighting::LedColor;

namespace {

constexpr int kWaveWheelSteps = 192;
constexpr int kWaveCurveSteps = 96;
constexpr int kGroupStride = 7;
constexpr int kRingSteps = 192;
constexpr int kHoldStep = 15;

std::uint8_t LevelOf(const DeviceLightRecord& r) {
    return lighting::LevelValue(lighting::ClampLevel(r.brightness));
}

LedColor At(const lighting::Rgb& c, std::uint8_t brightness) {
    return LedColor{c.red, c.green, c.blue, brightness};
}

lighting::Rgb RecordColour(const DeviceLightRecord& r) {
    return {r.red, r.green, r.blue};
}

bool HasStep(std::uint8_t mode) {
    return mode <= 10 && mode != 5;
}

} // namespace

MouseLightEngine::MouseLightEngine(CDeviceLightState& state,
                                   std::unique_ptr<lighting::RandomSource> random)
    : m_state(state),
      m_random(random ? std::move(random) : std::make_unique<lighting::SeededRandom>()) {
    m_state.ClearEffectState();
    m_state.SetRingEntry(0, 1);
}

void MouseLightEngine::SetRecord(const DeviceLightRecord& record) {
    {
        const std::lock_guard lock(m_mutex);
        const bool modeChanged = record.mode != m_record.mode;
        m_record = record;
        m_state.SetRecord(record);
        if (modeChanged) {
            m_state.ClearEffectState();
            m_state.SetRingEntry(0, 1);
            m_holdState.fill(0);
            m_passes = 0;
        }
    }
    NoteInput();
}

void MouseLightEngine::SetSequence(std::span<const lighting::EffectFrame> frames) {
    {
        const std::lock_guard lock(m_mutex);
        m_sequence.SetSequence(frames);
    }
    NoteInput();
}

void MouseLightEngine::StartLedHold(int led, int state) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_record.mode != kHoldMode || led < 0 || led >= kLedCount)
            return;
        const auto i = static_cast<std::size_t>(led);
        m_holdState[i] = static_cast<std::uint8_t>(state);
        m_state.SetIntensity(led, 255);
        m_holdColourIndex[i] = static_cast<std::uint8_t>(m_random->Below(lighting::kWheelSize));
    }
    NoteInput();
}

void MouseLightEngine::HoldAllLeds() {
    for (int i = 0; i < kLedCount; ++i)
        StartLedHold(i, 1);
}

void MouseLightEngine::SetInputListener(std::function<void()> listener) {
    const std::lock_guard lock(m_listenerMutex);
    m_inputListener = std::move(listener);
}

void MouseLightEngine::SetFrameListener(std::function<void()> listener) {
    const std::lock_guard lock(m_listenerMutex);
    m_frameListener = std::move(listener);
}

void MouseLightEngine::NoteInput() {
    {
        const std::lock_guard lock(m_mutex);
        m_paintedSinceInput = false;
    }
    m_inputs.fetch_add(1);
    std::function<void()> listener;
    {
        const std::lock_guard lock(m_listenerMutex);
        listener = m_inputListener;
    }
    if (listener)
        listener();
}

void MouseLightEngine::RunPass(std::uint64_t tick) {
    bool changed = false;
    {
        const std::lock_guard lock(m_mutex);
        const std::vector<LedColor> before = m_state.Snapshot();
        const std::uint8_t mode = m_record.mode;
        if (HasStep(mode)) {
            if (++m_passes >= static_cast<std::uint32_t>(MouseStepInterval(m_record.speed))) {
                m_passes = 0;
                RunModeStep(mode);
                m_paintedSinceInput = true;
            }
        } else {
            m_sequence.Play(m_sequenceColours, m_record.speed, lighting::TickToMs(tick));
            for (int i = 0; i < kLedCount; ++i)
                m_state.SetLedColor(i, m_sequenceColours[static_cast<std::size_t>(i)]);
            m_paintedSinceInput = true;
        }
        changed = m_state.Snapshot() != before;
    }
    if (!changed)
        return;
    m_frameVersion.fetch_add(1);
    std::function<void()> listener;
    {
        const std::lock_guard lock(m_listenerMutex);
        listener = m_frameListener;
    }
    if (listener)
        listener();
}

bool MouseLightEngine::IsStill() const {
    const std::lock_guard lock(m_mutex);
    if (!m_paintedSinceInput)
        return false;
    const std::uint8_t mode = m_record.mode;
    if (mode == 3 || mode == 10)
        return true;
    if (!HasStep(mode))
        return m_sequence.Length() == 0;
    if (mode == kHoldMode) {
        for (int i = 0; i < kLedCount; ++i)
            if (m_state.Intensity(i) != 0)
                return false;
        return true;
    }
    return false;
}

void MouseLightEngine::RunStep() {
    const std::lock_guard lock(m_mutex);
    RunModeStep(m_record.mode);
    m_paintedSinceInput = true;
}

std::uint8_t MouseLightEngine::StepCounter() const {
    const std::lock_guard lock(m_mutex);
    return m_step;
}

std::uint8_t MouseLightEngine::HoldState(int led) const {
    const std::lock_guard lock(m_mutex);
    return led >= 0 && led < kLedCount ? m_holdState[static_cast<std::size_t>(led)] : 0;
}

void MouseLightEngine::RunModeStep(std::uint8_t mode) {
    const DeviceLightRecord r = m_record;
    switch (mode) {
    case 0:
        StepGroupWave(r);
        break;
    case 1:
        m_state.StepSpectrumCycle();
        break;
    case 2:
        m_state.StepBreathColorCycle();
        break;
    case 3:
        m_state.StepStaticColor();
        break;
    case 4:
        m_state.StepFlashColorCycle();
        break;
    case kHoldMode:
        StepLedHold(r);
        break;
    case 7:
        m_state.StepBreathBasicColors();
        break;
    case 8:
        m_state.StepFlashBasicColors();
        break;
    case kRingMode:
        StepGroupRing(r);
        break;
    case 10:
        m_state.StepLightsOff();
        break;
    default:
        break;
    }
}

void MouseLightEngine::PaintGroup(int group, LedColor color) {
    for (const int led : MouseLedGroups()[static_cast<std::size_t>(group)])
        if (led >= 0 && led < kLedCount)
            m_state.SetLedColor(led, color);
}

void MouseLightEngine::StepGroupWave(const DeviceLightRecord& r) {
    const bool forward = r.direction != 0;
    const std::uint8_t level = LevelOf(r);
    if (r.multiColor != 0) {
        m_step = lighting::CyclicStep(forward, kWaveWheelSteps, m_step, 1);
        for (int g = 0; g < kGroupCount; ++g) {
            const int index = (m_step + 1 + kGroupStride * g) % kWaveWheelSteps;
            PaintGroup(g, At(lighting::ColorWheel()[static_cast<std::size_t>(index)], level));
        }
        return;
    }
    m_step = lighting::CyclicStep(forward, kWaveCurveSteps, m_step, 1);
    for (int g = 0; g < kGroupCount; ++g) {
        const int index = (m_step + 1 + kGroupStride * g) % kWaveCurveSteps;
        PaintGroup(
            g, At(RecordColour(r),
                  lighting::Scale(level, lighting::ShortCurve()[static_cast<std::size_t>(index)])));
    }
}

void MouseLightEngine::StepGroupRing(const DeviceLightRecord& r) {
    const bool forward = r.direction != 0;
    m_step = lighting::CyclicStep(forward, kRingSteps, m_step, 1);
    m_state.MarkActiveLeds();
    m_state.RotateLedRing(forward);
    const std::uint8_t level = LevelOf(r);
    const bool startLit = forward ? m_state.Intensity(0) != 0 : m_state.Intensity(6) != 0;
    for (int g = 0; g < kGroupCount; ++g) {
        m_state.FadeLed(g, kRingMode);
        lighting::Rgb colour = RecordColour(r);
        if (r.multiColor != 0) {
            m_step = static_cast<std::uint8_t>((m_step + 12) % 256);
            const int index =
                m_step >= lighting::kWheelSize ? m_step - lighting::kWheelSize : m_step;
            colour = lighting::ColorWheel()[static_cast<std::size_t>(index)];
            if (startLit) {
                // the run keeps its colours while its first group is still lit
                const int first = MouseLedGroups()[static_cast<std::size_t>(g)][0];
                if (first < 0 || first >= kLedCount)
                    continue;
                const LedColor kept = m_state.GetLedColor(first);
                colour = {kept.red, kept.green, kept.blue};
            }
        }
        PaintGroup(g, At(colour, lighting::Scale(level, m_state.Intensity(g))));
    }
}

void MouseLightEngine::StepLedHold(const DeviceLightRecord& r) {
    const std::uint8_t level = LevelOf(r);
    for (int i = 0; i < kLedCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        int intensity = m_state.Intensity(i);
        if (m_holdState[at] == 1) {
            intensity = std::min(intensity + kHoldStep, 255);
            if (intensity == 255)
                m_holdState[at] = 2;
        } else if (m_holdState[at] == 2) {
            intensity = std::max(intensity - kHoldStep, 0);
        }
        m_state.SetIntensity(i, static_cast<std::uint8_t>(intensity));
        const lighting::Rgb colour =
            r.multiColor != 0 ? lighting::ColorWheel()[m_holdColourIndex[at]] : RecordColour(r);
        m_state.SetLedColor(i,
                            At(colour, lighting::Scale(level, static_cast<unsigned>(intensity))));
    }
}

} // namespace vpc::devices::mouse
