#include "LiveFrame.h"

#include "LightTables.h"

#include <algorithm>

namespace vpc::lighting {

LightFrame BuildLightFrame(const LedColorBuffer& colors, std::span<const std::uint8_t> ledMap) {
    LightFrame frame{};
    const std::size_t count = std::min(ledMap.size(), colors.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t led = ledMap[i];
        if (!IsLight(led)) {
            continue;
        }
        const LedColor& color = colors[i];
        const std::size_t at = static_cast<std::size_t>(led) * 3;
        frame[at] = Scale(color.red, color.brightness);
        frame[at + 1] = Scale(color.green, color.brightness);
        frame[at + 2] = Scale(color.blue, color.brightness);
    }
    return frame;
}

std::size_t LiveFrameLength(int ledCount) {
    return static_cast<std::size_t>(std::clamp(ledCount, 0, static_cast<int>(kLightCount))) * 3;
}

bool LiveStreamThrottle::RecordWrite(std::chrono::milliseconds duration) {
    if (duration <= slowWrite_) {
        slowWrites_ = 0;
        return false;
    }
    if (++slowWrites_ >= 2) {
        slowWrites_ = 0;
        const bool turnedOff = !streamingOff_;
        streamingOff_ = true;
        return turnedOff;
    }
    return false;
}

void LiveStreamThrottle::ResumeStreaming() {
    streamingOff_ = false;
    slowWrites_ = 0;
}

void LiveStreamThrottle::StopStreaming() {
    streamingOff_ = true;
    slowWrites_ = 0;
}

} // namespace vpc::lighting
