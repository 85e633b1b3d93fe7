#include "MusicLevels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace vpc::panels {

namespace {

std::int32_t ToLevel(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

CMusicLevels::FrameResult CMusicLevels::OnFrame(std::span<const std::uint8_t> bytes,
                                                Clock::time_point now) {
    FrameResult result;
    if (bytes.empty())
        return result;
    // the frame as 500 values: what came, zeros after it
    std::array<std::int32_t, kFrameValues> values{};
    const std::size_t count = std::min(bytes.size() / sizeof(std::int32_t), kFrameValues);
    std::memcpy(values.data(), bytes.data(), count * sizeof(std::int32_t));

    m_dataActive = true;
    m_lastFrame = now;
    ++m_frameCounter;

    Frame difference{};
    std::int64_t activity = 0;
    for (std::size_t i = 0; i < kFrameValues; ++i) {
        difference[i] = std::llabs(static_cast<std::int64_t>(values[i]) - m_previous[i]);
        m_previous[i] = values[i];
        activity += difference[i];
    }
    result.activity = activity;
    result.valid = activity <= 0 || activity >= 100;
    if (result.valid) {
        m_doubtful = 0;
    } else if (++m_doubtful > kDoubtfulLimit) {
        result.stopCapture = true;
        m_doubtful = 0;
    }

    m_differences.push_back(difference);
    m_validity.push_back(result.valid);
    if (m_validity.size() != kQueueLength)
        return result;
    if (!std::all_of(m_validity.begin(), m_validity.end(), [](bool v) { return v; })) {
        m_differences.clear();
        m_validity.clear();
        return result;
    }
    const Frame d = m_differences.front();
    m_differences.pop_front();
    m_validity.pop_front();

    const auto average = [&d](std::int64_t band, std::size_t e) {
        return (band + d[5 * e] + d[5 * e + 1] + d[5 * e + 2] + d[5 * e + 3]) / 4;
    };
    for (std::size_t e = 0; e < kKeyboardBands; ++e)
        m_keyboard[e] = average(m_keyboard[e], e);
    for (std::size_t e = 0; e < kMouseBands; ++e)
        m_mouse[e] = average(m_mouse[e], e);
    if (m_frameCounter > 2) {
        result.deliver = true;
        for (std::size_t e = 0; e < kKeyboardBands; ++e)
            result.keyboard[e] = ToLevel(m_keyboard[e]);
        // the mouse's buffer: its bands 1 to 9, then keyboard bands 10 to 24
        std::size_t at = 0;
        for (std::size_t e = 1; e < kMouseBands; ++e)
            result.mouse[at++] = ToLevel(m_mouse[e]);
        for (std::size_t e = 10; e < kKeyboardBands; ++e)
            result.mouse[at++] = ToLevel(m_keyboard[e]);
        m_frameCounter = 0;
    }
    return result;
}

void CMusicLevels::OnTimer(Clock::time_point now) {
    if (m_dataActive && now - m_lastFrame > kQuietAfter) {
        m_differences.clear();
        m_validity.clear();
        m_dataActive = false;
    }
}

CMusicLevels::ScreenWords CMusicLevels::ScreenColors(std::span<const std::uint8_t> bytes) {
    ScreenWords words{};
    const std::size_t count = std::min(bytes.size() / sizeof(std::uint32_t), words.size());
    std::memcpy(words.data(), bytes.data(), count * sizeof(std::uint32_t));
    return words;
}

} // namespace vpc::panels
