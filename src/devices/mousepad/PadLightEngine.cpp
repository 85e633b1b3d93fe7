#include "PadLightEngine.h"

#include "lighting/KeyboardLightEngine.h"
#include "lighting/LightTables.h"

#include <algorithm>

namespace vpc::devices::mousepad {

namespace {
constexpr int kWaveWheelSteps = 192;
constexpr int kWaveCurveSteps = 96;
constexpr int kRingSteps = 192;
constexpr int kRingLength = 23;
constexpr int kPairRingLength = 8;
} // namespace

const std::array<std::array<int, 2>, 7>& PadLedPairs() {
    static constexpr std::array<std::array<int, 2>, 7> kPairs = {
        {{1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8}}};
    return kPairs;
}

PadLightEngine::PadLightEngine(CDeviceLightState& state, int ledCount, WaveStyle wave,
                               std::unique_ptr<lighting::RandomSource> random)
    : CStepLightEngine(state, std::move(random)),
      m_ledCount(std::clamp(ledCount, 0, CDeviceLightState::kIntensityCount)), m_wave(wave) {
    OnModeChanged();
}

void PadLightEngine::OnModeChanged() {
    // nothing else lights the ring: a new mode starts it at its first position
    m_state.ClearEffectState();
    m_state.SetRingEntry(0, 1);
    m_ringCounter = 0;
}

bool PadLightEngine::HasStep(std::uint8_t mode) const {
    return mode <= 8 && mode != 5;
}

void PadLightEngine::RunModeStep(std::uint8_t mode, const DeviceLightRecord& r) {
    switch (mode) {
    case 0:
        StepLedWave(r);
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
    case kLedRingMode:
        StepRing(r, false);
        break;
    case kPairRingMode:
        StepRing(r, true);
        break;
    case 8:
        m_state.StepLightsOff();
        break;
    default:
        break;
    }
}

void PadLightEngine::StepLedWave(const DeviceLightRecord& r) {
    const bool forward = r.direction != 0;
    const std::uint8_t level = LevelOf(r);
    const bool multi = r.multiColor != 0;
    m_step = lighting::CyclicStep(forward, multi ? kWaveWheelSteps : kWaveCurveSteps, m_step,
                                  multi ? 1 : m_wave.curveStep);
    for (int i = 0; i < m_ledCount; ++i) {
        if (multi) {
            const int index = (m_step + 1 + m_wave.wheelStride * i) % kWaveWheelSteps;
            m_state.SetLedColor(i,
                                At(lighting::ColorWheel()[static_cast<std::size_t>(index)], level));
        } else {
            const int index =
                (m_step + m_wave.curveOffset + m_wave.curveStride * i) % kWaveCurveSteps;
            m_state.SetLedColor(
                i, At(RecordColour(r),
                      lighting::Scale(level,
                                      lighting::ShortCurve()[static_cast<std::size_t>(index)])));
        }
    }
}

lighting::Rgb PadLightEngine::RingColour(const DeviceLightRecord& r, bool startLit, int keptLed) {
    if (r.multiColor == 0)
        return RecordColour(r);
    m_step = static_cast<std::uint8_t>((m_step + 12) % 256);
    const int index = m_step >= lighting::kWheelSize ? m_step - lighting::kWheelSize : m_step;
    if (startLit) {
        const lighting::LedColor kept = m_state.GetLedColor(keptLed);
        return {kept.red, kept.green, kept.blue};
    }
    return lighting::ColorWheel()[static_cast<std::size_t>(index)];
}

void PadLightEngine::StepRing(const DeviceLightRecord& r, bool pairs) {
    const bool forward = r.direction != 0;
    const std::uint8_t mode = pairs ? kPairRingMode : kLedRingMode;
    m_step = lighting::CyclicStep(forward, kRingSteps, m_step, 1);
    if (m_ringCounter >= 2) {
        // the ring moves on every second step
        m_ringCounter = 0;
        m_state.MarkActiveLedsUpTo(m_ledCount);
        if (pairs)
            m_state.RotateRingPart(kPairRingLength, !forward);
        else
            m_state.RotateRingPart(kRingLength, forward);
    }
    ++m_ringCounter;
    const std::uint8_t level = LevelOf(r);
    if (pairs) {
        const bool startLit = forward ? m_state.Intensity(0) != 0 : m_state.Intensity(6) != 0;
        for (int p = 0; p < static_cast<int>(PadLedPairs().size()); ++p) {
            m_state.FadeLed(p, mode);
            const auto& pair = PadLedPairs()[static_cast<std::size_t>(p)];
            const lighting::Rgb colour = RingColour(r, startLit, pair[0]);
            for (const int led : pair)
                if (led < m_ledCount)
                    m_state.SetLedColor(led,
                                        At(colour, lighting::Scale(level, m_state.Intensity(p))));
        }
        return;
    }
    const bool startLit =
        forward ? m_state.Intensity(0) != 0 : m_state.Intensity(m_ledCount - 1) != 0;
    for (int i = 0; i < m_ledCount; ++i) {
        m_state.FadeLed(i, mode);
        const lighting::Rgb colour = RingColour(r, startLit, i);
        m_state.SetLedColor(i, At(colour, lighting::Scale(level, m_state.Intensity(i))));
    }
}

} // namespace vpc::devices::mousepad
