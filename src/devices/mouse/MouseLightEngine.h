// The mouse's lighting engine: by the record's mode, every step interval one step of its
// effects (the group wave, the group ring, the held LEDs, or one of the generic steps of the
// device base) over its 15 LEDs in 7 groups; the light sequence for the modes without one.
#pragma once

#include "DeviceLightState.h"
#include "MouseTables.h"

#include "lighting/LightEngine.h"
#include "lighting/RandomSource.h"
#include "lighting/SequencePlayer.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

namespace vpc::devices::mouse {

class MouseLightEngine : public lighting::ILightEngine {
public:
    static constexpr std::uint8_t kHoldMode = 6;
    static constexpr std::uint8_t kRingMode = 9;

    // Paints into state's LED colours with its record; state outlives the engine.
    explicit MouseLightEngine(CDeviceLightState& state,
                              std::unique_ptr<lighting::RandomSource> random = nullptr);
    MouseLightEngine(const MouseLightEngine&) = delete;
    MouseLightEngine& operator=(const MouseLightEngine&) = delete;

    // A new lighting record; a changed mode clears the effect state and starts the ring.
    void SetRecord(const DeviceLightRecord& record);
    void SetSequence(std::span<const lighting::EffectFrame> frames);
    // Mode 6 only: LED i flashes to full and then fades (state 1) or only fades (state 2).
    void StartLedHold(int led, int state);
    void HoldAllLeds();

    // ILightEngine
    void RunPass(std::uint64_t tick) override;
    bool IsStill() const override;
    std::uint64_t InputCount() const override { return m_inputs.load(); }
    void SetInputListener(std::function<void()> listener) override;
    // Called after a pass that changed the colours (on the light thread).
    void SetFrameListener(std::function<void()> listener);
    std::uint64_t FrameVersion() const { return m_frameVersion.load(); }

    // Runs the mode's step once, as a pass does when the interval has elapsed.
    void RunStep();
    std::uint8_t StepCounter() const;
    std::uint8_t HoldState(int led) const;

private:
    void RunModeStep(std::uint8_t mode); // with m_mutex held
    void StepGroupWave(const DeviceLightRecord& r);
    void StepGroupRing(const DeviceLightRecord& r);
    void StepLedHold(const DeviceLightRecord& r);
    void PaintGroup(int group, lighting::LedColor color);
    void NoteInput();

    CDeviceLightState& m_state;
    std::unique_ptr<lighting::RandomSource> m_random;
    mutable std::mutex m_mutex;
    DeviceLightRecord m_record;
    lighting::SequencePlayer m_sequence;
    lighting::LedColorBuffer m_sequenceColours{};
    std::uint8_t m_step = 0;
    std::uint32_t m_passes = 0;
    bool m_paintedSinceInput = false;
    std::array<std::uint8_t, kLedCount> m_holdState{};
    std::array<std::uint8_t, kLedCount> m_holdColourIndex{};
    std::atomic<std::uint64_t> m_inputs{0};
    std::atomic<std::uint64_t> m_frameVersion{0};
    std::mutex m_listenerMutex;
    std::function<void()> m_inputListener;
    std::function<void()> m_frameListener;
};

} // namespace vpc::devices::mouse
