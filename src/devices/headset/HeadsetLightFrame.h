// The headset's LED frame: twelve 17-byte output reports (red, green and blue of LEDs 0-6 and
// 7-12, each to both targets), and the worker that sends a frame when the colours changed.
#pragma once

#include "lighting/LightTypes.h"
#include "lighting/StopSignal.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace vpc::devices::headset {

inline constexpr int kHeadsetLedCount = 13;
inline constexpr std::size_t kHeadsetReportSize = 17;
inline constexpr std::size_t kHeadsetReportsPerFrame = 12;
using HeadsetLightReport = std::array<std::uint8_t, kHeadsetReportSize>;
using HeadsetLightFrame = std::array<HeadsetLightReport, kHeadsetReportsPerFrame>;

// A colour byte at a brightness as the headset takes it: colour x brightness / 256, at most 247.
std::uint8_t HeadsetLedValue(std::uint8_t colour, std::uint8_t brightness);

// The twelve reports of the first 13 LEDs (missing LEDs are dark), in the order the headset
// takes them.
HeadsetLightFrame BuildHeadsetLightFrame(std::span<const lighting::LedColor> leds);

// Sends frames from a worker thread: a frame that differs from the last one sent goes at
// once, an unchanged one only as a keep-alive. The send function gets each report.
class CHeadsetFrameSender {
public:
    using SendReport = std::function<bool(std::span<const std::uint8_t> report)>;
    static constexpr std::chrono::milliseconds kKeepAlive{1000};

    explicit CHeadsetFrameSender(SendReport send, std::chrono::milliseconds keepAlive = kKeepAlive);
    ~CHeadsetFrameSender();
    CHeadsetFrameSender(const CHeadsetFrameSender&) = delete;
    CHeadsetFrameSender& operator=(const CHeadsetFrameSender&) = delete;

    // From the UI thread: the colours now.
    void Submit(std::span<const lighting::LedColor> leds);
    std::uint64_t FramesSent() const;

private:
    void Run();

    SendReport m_send;
    const std::chrono::milliseconds m_keepAlive;
    lighting::StopSignal m_stop;
    mutable std::mutex m_mutex;
    std::optional<HeadsetLightFrame> m_latest;
    bool m_changed = false;
    std::uint64_t m_sent = 0;
    std::thread m_thread;
};

} // namespace vpc::devices::headset
