// Turns the companion's level frames into the band levels of the keyboards and the mouse:
// frame differences, the activity check that stops a stuck stream, the queue of four, the
// band averaging and the delivery every third frame. No widgets, no I/O: a test calls it.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <span>

namespace vpc::panels {

class CMusicLevels {
public:
    static constexpr std::size_t kFrameValues = 500;
    static constexpr std::size_t kKeyboardBands = 25;
    static constexpr std::size_t kMouseBands = 10;
    static constexpr std::size_t kQueueLength = 4;
    static constexpr int kDoubtfulLimit = 2; // more doubtful frames in a row stop the capture
    static constexpr std::chrono::milliseconds kQuietAfter{500};

    using Clock = std::chrono::steady_clock;
    using LevelBuffer = std::array<std::int32_t, kFrameValues>;
    using ScreenWords = std::array<std::uint32_t, 6>;

    struct FrameResult {
        bool stopCapture = false; // the stream looks stuck: stop the companion
        bool deliver = false;     // keyboard and mouse levels are ready
        LevelBuffer keyboard{};   // 25 keyboard bands, then zeros
        LevelBuffer mouse{};      // mouse bands 1-9, keyboard bands 10-24, then zeros
        std::int64_t activity = 0;
        bool valid = false;
    };

    // A level frame of `bytes` (at most 2000 are read; a shorter frame is zero-filled, a
    // trailing partial value is dropped). An empty frame changes nothing.
    FrameResult OnFrame(std::span<const std::uint8_t> bytes, Clock::time_point now);
    // Timer 1067: after kQuietAfter without frames the queues are emptied.
    void OnTimer(Clock::time_point now);
    // The screen colour record: up to six words, zero-filled.
    static ScreenWords ScreenColors(std::span<const std::uint8_t> bytes);

    bool IsDataActive() const { return m_dataActive; }
    int FrameCounter() const { return m_frameCounter; }
    int DoubtfulCount() const { return m_doubtful; }
    std::size_t QueuedFrames() const { return m_differences.size(); }
    const std::array<std::int64_t, kKeyboardBands>& KeyboardBands() const { return m_keyboard; }
    const std::array<std::int64_t, kMouseBands>& MouseBands() const { return m_mouse; }

private:
    using Frame = std::array<std::int64_t, kFrameValues>;

    Frame m_previous{};
    std::deque<Frame> m_differences;
    std::deque<bool> m_validity;
    std::array<std::int64_t, kKeyboardBands> m_keyboard{};
    std::array<std::int64_t, kMouseBands> m_mouse{};
    bool m_dataActive = false;
    Clock::time_point m_lastFrame{};
    int m_frameCounter = 0;
    int m_doubtful = 0;
};

} // namespace vpc::panels
