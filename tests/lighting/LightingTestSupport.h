// Helpers of the lighting tests: engines with fixed settings and a random source that
// hands out a scripted list of values.
#pragma once

#include "lighting/KeyboardLightEngine.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <ostream>
#include <vector>

namespace vpc::lighting {

inline std::ostream& operator<<(std::ostream& out, const LedColor& c) {
    return out << "(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << ", "
               << int(c.brightness) << ")";
}

// Hands out the given values in order (each must be below the bound asked for),
// then zeros.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<std::uint32_t> values)
        : values_(values.begin(), values.end()) {}
    std::uint32_t Below(std::uint32_t bound) override {
        if (values_.empty()) {
            return 0;
        }
        const std::uint32_t value = values_.front();
        values_.pop_front();
        EXPECT_LT(value, bound) << "scripted random value out of range";
        return value < bound ? value : 0;
    }

private:
    std::deque<std::uint32_t> values_;
};

inline LightSettings Settings(int lightingMode, bool multi, int direction, int level,
                              Rgb color = {}, int speed = 0) {
    LightSettings settings;
    settings.mode = static_cast<std::uint8_t>(lightingMode);
    settings.multiColor = multi;
    settings.direction = static_cast<std::uint8_t>(direction);
    settings.brightness = static_cast<std::uint8_t>(level);
    settings.speed = static_cast<std::uint8_t>(speed);
    settings.color = color;
    return settings;
}

inline std::unique_ptr<KeyboardLightEngine>
MakeEngine(const LightSettings& settings, std::unique_ptr<RandomSource> random = nullptr,
           const KeyLayout& layout = KeypadLayout(), const AudioLightSettings& audio = {}) {
    if (!random) {
        random = std::make_unique<SeededRandom>(1234);
    }
    auto engine = std::make_unique<KeyboardLightEngine>(layout, std::move(random));
    engine->ApplyLightSettings(settings, audio, {}, {});
    return engine;
}

inline void RunSteps(KeyboardLightEngine& engine, int lightingMode, int steps) {
    for (int i = 0; i < steps; ++i) {
        engine.RunStep(lightingMode);
    }
}

} // namespace vpc::lighting
