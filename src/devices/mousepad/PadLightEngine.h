// The lighting engine of lit mouse pads (and the headset's lights): every step interval one
// step of their effects over the LEDs (the wave along them, the LED ring, the ring of LED
// pairs, or one of the generic steps of the device base); the light sequence for the rest.
#pragma once

#include "StepLightEngine.h"

#include <array>

namespace vpc::devices::mousepad {

inline constexpr int kPadLedCount = 15;
// `PadLedPairs`: the LEDs that light together in the pair ring; LED 0 belongs to none.
const std::array<std::array<int, 2>, 7>& PadLedPairs();

// How the wave runs along the LEDs: the wheel index of LED i is s + 1 + wheelStride x i; the
// curve index s + curveOffset + curveStride x i, with s moving curveStep per step.
struct WaveStyle {
    int wheelStride = 7;
    int curveStep = 1;
    int curveStride = 7;
    int curveOffset = 1;
};
// The headset's wave: wider apart on the wheel, three curve entries per step.
inline constexpr WaveStyle kHeadsetWave{16, 3, 10, 0};

class PadLightEngine : public CStepLightEngine {
public:
    static constexpr std::uint8_t kLedRingMode = 6;
    static constexpr std::uint8_t kPairRingMode = 7;

    // ledCount: the LEDs the effects run over (held to the state's capacity).
    PadLightEngine(CDeviceLightState& state, int ledCount = kPadLedCount, WaveStyle wave = {},
                   std::unique_ptr<lighting::RandomSource> random = nullptr);

protected:
    bool HasStep(std::uint8_t mode) const override;
    void RunModeStep(std::uint8_t mode, const DeviceLightRecord& record) override;
    bool IsStillMode(std::uint8_t mode) const override { return mode == 3 || mode == 8; }
    void OnModeChanged() override;

private:
    void StepLedWave(const DeviceLightRecord& r);
    // The LED ring (pairs false) or the pair ring (pairs true).
    void StepRing(const DeviceLightRecord& r, bool pairs);
    lighting::Rgb RingColour(const DeviceLightRecord& r, bool startLit, int keptLed);

    const int m_ledCount;
    const WaveStyle m_wave;
    std::uint8_t m_ringCounter = 0;
};

} // namespace vpc::devices::mousepad
