// The common part of the lighting engines of mice, mouse pads and headsets: their LEDs live
// in the device's lighting state; every pass counts towards the speed's step interval and
// then runs the mode's step, and modes without a step play the light sequence.
#pragma once

#include "DeviceLightState.h"

#include "lighting/LightEngine.h"
#include "lighting/RandomSource.h"
#include "lighting/SequencePlayer.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

namespace vpc::devices {

class CStepLightEngine : public lighting::ILightEngine {
public:
    CStepLightEngine(const CStepLightEngine&) = delete;
    CStepLightEngine& operator=(const CStepLightEngine&) = delete;
    ~CStepLightEngine() override = default;

    // A new lighting record; a changed mode starts the effect afresh (OnModeChanged).
    void SetRecord(const DeviceLightRecord& record);
    DeviceLightRecord Record() const;
    void SetSequence(std::span<const lighting::EffectFrame> frames);

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

protected:
    // Ticks between two steps, by speed 0-4: 28, 23, 18, 13, 7.
    static int StepInterval(int speed);
    // The record's brightness level, its colour, and a colour at a brightness.
    static std::uint8_t LevelOf(const DeviceLightRecord& record);
    static lighting::Rgb RecordColour(const DeviceLightRecord& record) {
        return {record.red, record.green, record.blue};
    }
    static lighting::LedColor At(const lighting::Rgb& c, std::uint8_t brightness) {
        return lighting::LedColor{c.red, c.green, c.blue, brightness};
    }

    CStepLightEngine(CDeviceLightState& state, std::unique_ptr<lighting::RandomSource> random);

    // The device class's modes, with the engine's lock held.
    virtual bool HasStep(std::uint8_t mode) const = 0;
    virtual void RunModeStep(std::uint8_t mode, const DeviceLightRecord& record) = 0;
    // True when the mode's picture stands still once painted (and no input came since).
    virtual bool IsStillMode(std::uint8_t mode) const = 0;
    virtual void OnModeChanged() {}
    // Records an input that may change what the passes paint (call without the lock).
    void NoteInput();

    CDeviceLightState& m_state;
    std::unique_ptr<lighting::RandomSource> m_random;
    mutable std::mutex m_mutex;
    std::uint8_t m_step = 0; // the effects' step counter
    std::uint32_t m_passes = 0;

private:
    DeviceLightRecord m_record;
    lighting::SequencePlayer m_sequence;
    lighting::LedColorBuffer m_sequenceColours{};
    bool m_paintedSinceInput = false;
    std::atomic<std::uint64_t> m_inputs{0};
    std::atomic<std::uint64_t> m_frameVersion{0};
    std::mutex m_listenerMutex;
    std::function<void()> m_inputListener;
    std::function<void()> m_frameListener;
};

} // namespace vpc::devices
