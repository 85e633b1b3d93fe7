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

} // namespace

MouseLightEngine::MouseLightEngine(CDeviceLightState& state,
                                   std::unique_ptr<lighting::RandomSource> random)
    : CStepLightEngine(state, std::move(random)) {
    m_state.ClearEffectState();
    m_state.SetRingEntry(0, 1);
}

void MouseLightEngine::OnModeChanged() {
    // a new mode starts with one lit position on the ring
    m_state.ClearEffectState();
    m_state.SetRingEntry(0, 1);
    m_holdState.fill(0);
}

void MouseLightEngine::StartLedHold(int led, int state) {
    if (Record().mode != kHoldMode)
        return;
    {
        const std::lock_guard lock(m_mutex);
        if (led < 0 || led >= kLedCount)
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

std::uint8_t MouseLightEngine::HoldState(int led) const {
    const std::lock_guard lock(m_mutex);
    return led >= 0 && led < kLedCount ? m_holdState[static_cast<std::size_t>(led)] : 0;
}

bool MouseLightEngine::HasStep(std::uint8_t mode) const {
    return mode <= 10 && mode != 5;
}

bool MouseLightEngine::IsStillMode(std::uint8_t mode) const {
    if (mode == 3 || mode == 10)
        return true;
    if (mode != kHoldMode)
        return false;
    for (int i = 0; i < kLedCount; ++i)
        if (m_state.Intensity(i) != 0)
            return false;
    return true;
}

void MouseLightEngine::RunModeStep(std::uint8_t mode, const DeviceLightRecord& r) {
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
