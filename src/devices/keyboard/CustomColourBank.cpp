#include "CustomColourBank.h"

#include <algorithm>

namespace vpc::devices::keyboard {

std::vector<std::uint8_t> BuildColourBank(std::span<const lighting::LedColor> lights,
                                          const KeyboardKeyMaps& maps, int keyCount,
                                          ColourScaling scaling) {
    if (keyCount < 1 || keyCount > kMaxDeviceKeys)
        return {};
    const auto n = static_cast<std::size_t>(keyCount);
    std::vector<std::uint8_t> bank(n * 3, 0);
    const std::size_t count = std::min(lights.size(), kUiKeyCount);
    const auto scale = [scaling](std::uint8_t value, std::uint8_t brightness) {
        return scaling == ColourScaling::ByBrightness
                   ? static_cast<std::uint8_t>(value * brightness / 256)
                   : value;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t led = maps.led[i];
        if (led == kNoEntry || led >= n)
            continue;
        const lighting::LedColor& c = lights[i];
        bank[led * 3u] = scale(c.red, c.brightness);
        bank[led * 3u + 1] = scale(c.green, c.brightness);
        bank[led * 3u + 2] = scale(c.blue, c.brightness);
    }
    return bank;
}

} // namespace vpc::devices::keyboard
