// Builds the live lighting frame sent to the device (three bytes per LED number) and
// keeps the slow-write throttle that turns live frames off for a connection.
#pragma once

#include "LightTypes.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vpc::lighting {

inline constexpr std::size_t kFrameBytes = 512;
using LightFrame = std::array<std::uint8_t, kFrameBytes>;

// Frame of the lights: for light i with LED number L = ledMap[i] (255 = none, and
// anything at or above 170 is skipped), bytes 3L..3L+2 are red, green, blue scaled by
// the brightness byte. Lights beyond the map have no LED.
LightFrame BuildLightFrame(const LedColorBuffer& colors, std::span<const std::uint8_t> ledMap);

// Bytes of a frame for a device that reports `ledCount` LEDs (held to 170 LEDs).
std::size_t LiveFrameLength(int ledCount);

// The two connections a keyboard streams over.
enum class LinkKind { Cable = 0, Receiver = 1 };

// Two consecutive writes slower than the limit turn streaming off for a connection
// until ResumeStreaming; a faster write resets the count.
class LiveStreamThrottle {
public:
    static constexpr std::chrono::milliseconds kSlowWrite{500};

    explicit LiveStreamThrottle(std::chrono::milliseconds slowWrite = kSlowWrite)
        : slowWrite_(slowWrite) {}

    // Records one write's duration; returns true when this write turned streaming off.
    bool RecordWrite(std::chrono::milliseconds duration);
    bool IsStreamingOff() const { return streamingOff_; }
    void ResumeStreaming();
    // The device cannot be reached: no frames until ResumeStreaming.
    void StopStreaming();

private:
    std::chrono::milliseconds slowWrite_;
    bool streamingOff_ = false;
    int slowWrites_ = 0;
};

} // namespace vpc::lighting
