// The mouse's lighting engine: by the record's mode, every step interval one step of its
// effects (the group wave, the group ring, the held LEDs, or one of the generic steps of the
// device base) over its 15 LEDs in 7 groups; the light sequence for the modes without one.
#pragma once

#include "MouseTables.h"
#include "StepLightEngine.h"

#include <array>

namespace vpc::devices::mouse {

class MouseLightEngine : public CStepLightEngine {
public:
    static constexpr std::uint8_t kHoldMode = 6;
    static constexpr std::uint8_t kRingMode = 9;

    // Paints into state's LED colours with its record; state outlives the engine.
    explicit MouseLightEngine(CDeviceLightState& state,
                              std::unique_ptr<lighting::RandomSource> random = nullptr);

    // Mode 6 only: LED i flashes to full and then fades (state 1) or only fades (state 2).
    void StartLedHold(int led, int state);
    void HoldAllLeds();
    std::uint8_t HoldState(int led) const;

protected:
    bool HasStep(std::uint8_t mode) const override;
    void RunModeStep(std::uint8_t mode, const DeviceLightRecord& record) override;
    bool IsStillMode(std::uint8_t mode) const override;
    void OnModeChanged() override;

private:
    void StepGroupWave(const DeviceLightRecord& r);
    void StepGroupRing(const DeviceLightRecord& r);
    void StepLedHold(const DeviceLightRecord& r);
    void PaintGroup(int group, lighting::LedColor color);

    std::array<std::uint8_t, kLedCount> m_holdState{};
    std::array<std::uint8_t, kLedCount> m_holdColourIndex{};
};

} // namespace vpc::devices::mouse
