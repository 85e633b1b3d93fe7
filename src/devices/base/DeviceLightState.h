// The lighting state every device object keeps: the 16-byte lighting record, the colour of
// each LED, the effect state and the generic lighting steps that the device classes reuse.
// Free of widgets; the light thread writes it while the UI thread reads it (under its lock).
#pragma once

#include "lighting/LightTypes.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vpc::devices {

// The lighting record as `SetLightInfo` takes it: mode, brightness (0-4), speed (0-4),
// direction, multi-colour flag, red, green, blue, then two words of the device classes.
struct DeviceLightRecord {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint32_t word0 = 0;
    std::uint32_t word1 = 0;

    // From the four 32-bit words of `SetLightInfo` (little-endian bytes).
    // The four words again, as `SetLightInfo` takes them.
    std::array<std::uint32_t, 4> ToWords() const;
    static DeviceLightRecord FromWords(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                                       std::uint32_t w3);
};

class CDeviceLightState {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kIntensityCount = 170;
    static constexpr int kRingCount = 23;

    // Resizes the LED colour list and clears every entry.
    void SetLedCapacity(int capacity);
    int LedCapacity() const;
    // Stores an entry when 0 <= index < capacity.
    void SetLedColor(int index, lighting::LedColor color);
    // The entry (zero outside the list).
    lighting::LedColor GetLedColor(int index) const;
    std::vector<lighting::LedColor> Snapshot() const;

    void SetRecord(const DeviceLightRecord& record);
    DeviceLightRecord Record() const;

    // Generic steps: each rewrites every LED entry.
    void StepBreathColorCycle();
    void StepBreathBasicColors();
    void StepStaticColor();
    void StepSpectrumCycle();
    void StepFlashColorCycle(Clock::time_point now = Clock::now());
    void StepFlashBasicColors(Clock::time_point now = Clock::now());
    void StepLightsOff();

    // Per-key intensity and the 23-entry ring of the ring effects.
    void FadeLed(int index, int mode);
    void MarkActiveLeds();
    void RotateLedRing(bool forward);
    // Rotates the first length entries (at most 23) of the ring by one position: forward
    // moves the last of them to the front.
    void RotateRingPart(int length, bool forward);
    // Every LED below count (not only the first 9) whose ring entry is set goes to full.
    void MarkActiveLedsUpTo(int count);
    void ClearEffectState();
    std::uint8_t Intensity(int index) const;
    void SetIntensity(int index, std::uint8_t value);
    std::uint8_t RingEntry(int index) const;
    void SetRingEntry(int index, std::uint8_t value);
    std::uint8_t Phase() const;
    std::uint8_t ColorIndex() const;
    bool FlashOn() const;

private:
    // Brightness level and speed of the record, held to the tables' range.
    std::uint8_t Level() const;
    int SpeedIndex() const;
    void AdvancePhase(int limit);
    void Fill(lighting::LedColor color);
    bool FlashToggleDue(Clock::time_point now);

    mutable std::mutex m_mutex;
    std::vector<lighting::LedColor> m_leds;
    DeviceLightRecord m_record;
    std::uint8_t m_phase = 0;
    std::uint8_t m_colorIndex = 0;
    bool m_flashOn = false;
    Clock::time_point m_lastToggle{};
    std::array<std::uint8_t, kIntensityCount> m_intensity{};
    std::array<std::uint8_t, kRingCount> m_ring{};
};

} // namespace vpc::devices
